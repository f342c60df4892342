#include "durablefile.h"
#include "runtimeerror.h"

#include "filecontent.h"
#include "pausedchild.h"
#include "smallfilesystem.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/types.h>

using namespace Velmora;

class TestDurableFile : public QObject {
    Q_OBJECT

private slots:
    void init();
    void failedWriteKeepsTheOlderFile_data();
    void failedWriteKeepsTheOlderFile();
    void fullDiskKeepsTheOlderFile_data();
    void fullDiskKeepsTheOlderFile();
    void readOnlyFolderIsRefused();
    void unreadablePictureIsRefused();
    void copyRefusesWhatIsNoFile_data();
    void copyRefusesWhatIsNoFile();
    void replacesThroughLinksAndKeepsPermissions();
    void readOnlyFileIsNotReplaced_data();
    void readOnlyFileIsNotReplaced();
    void killedWriteLeavesNothing();
    void staleTemporaryFilesAreRemoved();
    void sparsePictureCopyKeepsItsHoles();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void write(const QString &name, const QByteArray &bytes) {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    static QString failure(const std::function<void()> &action) {
        try {
            action();
        } catch (const RuntimeError &error) {
            return error.description();
        }
        return QString();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDurableFile::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    ::chmod(QFile::encodeName(m_dir->path()).constData(), 0755); // for the unprivileged child
    write(QStringLiteral("old.htm"), "the older page");
}

void TestDurableFile::failedWriteKeepsTheOlderFile_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason");

    QTest::newRow("folder in the way") << "folder"
                                       << "Is a directory";
    QTest::newRow("missing folder") << "missing/page.htm"
                                    << "No such file or directory";
    QTest::newRow("NUL in the name") << QStringLiteral("old.htm") + QChar(0) + "x"
                                     << "Invalid argument";
    QTest::newRow("name too long") << QString(300, u'n') << "File name too long";
}

void TestDurableFile::failedWriteKeepsTheOlderFile() {
    QFETCH(QString, target);
    QFETCH(QString, reason);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));

    const QString message = failure([&] { writeFileDurably(path(target), "new page"); });
    QVERIFY2(message.startsWith(reason), qPrintable(message));
    QVERIFY2(message.contains(path(target)), "the report names the file");
    QCOMPARE(fileContent(path(QStringLiteral("old.htm"))), QByteArray("the older page"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("old.htm")});
}

void TestDurableFile::fullDiskKeepsTheOlderFile_data() {
    QTest::addColumn<int>("newSize");
    QTest::addColumn<bool>("copy");

    // Below and above the 16 KiB that QSaveFile keeps in its buffer until commit().
    QTest::newRow("small page") << 800 << false;
    QTest::newRow("large page") << 200000 << false;
    QTest::newRow("small picture") << 900 << true;
    QTest::newRow("large picture") << 300000 << true;
}

void TestDurableFile::fullDiskKeepsTheOlderFile() {
    QFETCH(int, newSize);
    QFETCH(bool, copy);
    SmallFileSystem disk(512);
    REQUIRE_SMALL_FILE_SYSTEM(disk);

    const QString target = disk.path() + QStringLiteral("/Full.htm");
    const QByteArray older(800, 'o');
    writeFileDurably(target, older);
    const QByteArray newer(newSize, 'n');
    write(QStringLiteral("source.gif"), newer);
    disk.fill();

    const QString message = failure([&] {
        if (copy)
            copyFileDurably(path(QStringLiteral("source.gif")), target);
        else
            writeFileDurably(target, newer);
    });
    QVERIFY2(message.startsWith(QStringLiteral("No space left on device")), qPrintable(message));
    QCOMPARE(fileContent(target), older);
    QCOMPARE(disk.files(), QStringList{QStringLiteral("Full.htm")});

    disk.free();
    writeFileDurably(target, newer);
    QCOMPARE(fileContent(target), newer);
}

void TestDurableFile::readOnlyFolderIsRefused() {
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("locked")));
    const QString page = path(QStringLiteral("locked/page.htm"));
    writeFileDurably(page, "the older page");
    QVERIFY(QFile::setPermissions(path(QStringLiteral("locked")),
                                  QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                      QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup));
    QVERIFY(QFile::setPermissions(page, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther |
                                            QFile::WriteOther));

    QVERIFY(runUnprivileged([&] {
        return failure([&] { writeFileDurably(page, "new page"); })
            .startsWith(QStringLiteral("Permission denied"));
    }));
    QCOMPARE(fileContent(page), QByteArray("the older page"));
}

void TestDurableFile::unreadablePictureIsRefused() {
    write(QStringLiteral("secret.gif"), "picture");
    QVERIFY(QFile::setPermissions(path(QStringLiteral("secret.gif")), QFile::ReadOwner));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("out")));
    QVERIFY(QFile::setPermissions(path(QStringLiteral("out")), QFile::Permissions(0x7777)));

    QVERIFY(runUnprivileged([&] {
        return failure([&] {
                   copyFileDurably(path(QStringLiteral("secret.gif")),
                                   path(QStringLiteral("out/secret.gif")));
               })
            .startsWith(QStringLiteral("Permission denied"));
    }));
    QVERIFY(QDir(path(QStringLiteral("out")))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                .isEmpty());
}

void TestDurableFile::copyRefusesWhatIsNoFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");

    QTest::newRow("folder") << "folder"
                            << "Is a directory";
    QTest::newRow("FIFO, which must not hang the program") << "fifo"
                                                           << "Not a regular file";
    QTest::newRow("missing") << "missing"
                             << "No such file or directory";
}

void TestDurableFile::copyRefusesWhatIsNoFile() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString source = path(QStringLiteral("source"));
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("source")));
    else if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(source).constData(), 0644), 0);

    const QString message =
        failure([&] { copyFileDurably(source, path(QStringLiteral("old.htm"))); });
    QVERIFY2(message.startsWith(reason), qPrintable(message));
    QCOMPARE(fileContent(path(QStringLiteral("old.htm"))), QByteArray("the older page"));
}

void TestDurableFile::replacesThroughLinksAndKeepsPermissions() {
    QVERIFY(QFile::setPermissions(path(QStringLiteral("old.htm")),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    QVERIFY(QFile::link(path(QStringLiteral("old.htm")), path(QStringLiteral("link.htm"))));

    writeFileDurably(path(QStringLiteral("link.htm")), "the newer page");

    QVERIFY(QFileInfo(path(QStringLiteral("link.htm"))).isSymLink());
    QCOMPARE(fileContent(path(QStringLiteral("old.htm"))), QByteArray("the newer page"));
    const QFile::Permissions modeBits(0xF0FF); // owner, group, other: not "this user"
    QCOMPARE(QFileInfo(path(QStringLiteral("old.htm"))).permissions() & modeBits,
             QFile::Permissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
}

void TestDurableFile::readOnlyFileIsNotReplaced_data() {
    QTest::addColumn<bool>("copy");

    QTest::newRow("written") << false;
    QTest::newRow("copied") << true;
}

void TestDurableFile::readOnlyFileIsNotReplaced() {
    QFETCH(bool, copy);
    QVERIFY(QFile::setPermissions(m_dir->path(), QFile::Permissions(0x7777)));
    write(QStringLiteral("source.gif"), "a newer picture");
    const QString target = path(QStringLiteral("old.htm"));
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    QVERIFY(QFile::setPermissions(target, readOnly));

    QVERIFY(runUnprivileged([&] {
        return failure([&] {
                   if (copy)
                       copyFileDurably(path(QStringLiteral("source.gif")), target);
                   else
                       writeFileDurably(target, "new page");
               })
            .startsWith(QStringLiteral("Permission denied (%1)").arg(target));
    }));
    QCOMPARE(fileContent(target), QByteArray("the older page"));
    QCOMPARE(QFileInfo(target).permissions() & QFile::Permissions(0xF0FF), readOnly);
}

void TestDurableFile::killedWriteLeavesNothing() {
    const QString target = path(QStringLiteral("old.htm"));
    PausedChild writer([&] {
        DurableFile file(target);
        file.open();
        file.write(QByteArray(6 << 20, 'n')); // half of a large page
    });
    QVERIFY(writer.ready());
    writer.kill();

    QCOMPARE(fileContent(target), QByteArray("the older page"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("old.htm")});
}

void TestDurableFile::staleTemporaryFilesAreRemoved() {
    // What a killed write left, one a running copy of the program is still
    // writing, one that was just made; then the person's own files, which only
    // look like ours.
    const QStringList names{QStringLiteral(".velmora-00c0ffee00c0ffee.tmp"),
                            QStringLiteral(".velmora-1234567890abcdef.tmp"),
                            QStringLiteral(".velmora-fedcba0987654321.tmp"),
                            QStringLiteral(".velmora-notes"),
                            QStringLiteral(".velmora-notes.tmp"),
                            QStringLiteral(".velmora-my draft.tmp"),
                            QStringLiteral(".velmora-cafe.tmp"),
                            QStringLiteral(".velmora-1234567890ABCDEF.tmp"),
                            QStringLiteral(".velmora-1234567890abcdef0.tmp")};
    const timeval longAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    for (const QString &name : names) {
        write(name, "part of a page");
        if (name != names[2])
            QCOMPARE(::utimes(QFile::encodeName(path(name)).constData(), longAgo), 0);
    }
    PausedChild writer([&] {
        const int fd = ::open(QFile::encodeName(path(names[1])).constData(), O_RDWR);
        ::flock(fd, LOCK_EX);
    });
    QVERIFY(writer.ready());

    writeFileDurably(path(QStringLiteral("page.htm")), "a page");

    writer.kill();
    QStringList left = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
    QStringList expected = names.mid(1) + QStringList{"old.htm", "page.htm"};
    left.sort();
    expected.sort();
    QCOMPARE(left, expected);
}

void TestDurableFile::sparsePictureCopyKeepsItsHoles() {
    constexpr qint64 Size = qint64(2) << 30;
    const QString source = path(QStringLiteral("huge.gif"));
    {
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write("GIF89a") == 6);
        QVERIFY(file.seek(Size / 2));
        QVERIFY(file.write("middle") == 6);
        QVERIFY(file.resize(Size));
    }
    const QString copy = path(QStringLiteral("copy.gif"));

    copyFileDurably(source, copy);

    QFile copied(copy);
    QVERIFY(copied.open(QIODevice::ReadOnly));
    QCOMPARE(copied.size(), Size);
    QCOMPARE(copied.read(6), QByteArray("GIF89a"));
    QVERIFY(copied.seek(Size / 2));
    QCOMPARE(copied.read(6), QByteArray("middle"));
    QVERIFY(copied.seek(Size - 4));
    QCOMPARE(copied.read(8), QByteArray(4, '\0'));
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(copy).constData(), &info), 0);
    const qint64 allocated = qint64(info.st_blocks) * 512;
    qInfo("a 2 GiB sparse picture copied into %lld bytes of disk", allocated);
    QVERIFY2(allocated < (16 << 20), "the holes stayed holes");
}

QTEST_GUILESS_MAIN(TestDurableFile)
#include "tst_durablefile.moc"
