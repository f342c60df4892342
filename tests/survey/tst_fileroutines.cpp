#include "fileroutines.h"
#include "runtimeerror.h"

#include "filecontent.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Velmora;

class TestFileRoutines : public QObject {
    Q_OBJECT

private slots:
    void init();
    void collapsingSeparators_data();
    void collapsingSeparators();
    void parentFolder_data();
    void parentFolder();
    void existence_data();
    void existence();
    void copyIntoFolder_data();
    void copyIntoFolder();
    void copyOntoItself();

private:
    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    static void writeFile(const QString &path, const QByteArray &content) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFileRoutines::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("out")));
    writeFile(path(QStringLiteral("sky.gif")), "new picture");
    writeFile(path(QStringLiteral("out/sky.gif")), "old picture");
}

void TestFileRoutines::collapsingSeparators_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("relative with doubles") << "a//b///c////d"
                                           << "a/b//c//d";
    QTest::newRow("clean absolute") << "/home/u/pics"
                                    << "/home/u/pics";
    QTest::newRow("absolute with doubles") << "/home//u/"
                                           << "/home/u/";
    QTest::newRow("root") << "/"
                          << "/";
    QTest::newRow("leading double kept") << "//server/share//x"
                                         << "//server/share/x";
    QTest::newRow("leading triple becomes double") << "///server/x"
                                                   << "//server/x";
    QTest::newRow("separators only") << "////"
                                     << "//";
    QTest::newRow("clean relative with closing separator") << "pics/2021/"
                                                           << "pics/2021/";
}

void TestFileRoutines::collapsingSeparators() {
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(normalizePath(input), expected);
}

void TestFileRoutines::parentFolder_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("file in folder") << "/pictures/sky.gif"
                                    << "/pictures/";
    QTest::newRow("ends in separator") << "/pictures/"
                                       << "/pictures/";
    QTest::newRow("bare name") << "sky.gif"
                               << "";
    QTest::newRow("root") << "/"
                          << "/";
}

void TestFileRoutines::parentFolder() {
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(parentFolderOf(input), expected);
}

void TestFileRoutines::existence_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("folder");
    QTest::addColumn<bool>("fileByOpen");
    QTest::addColumn<bool>("byDate");

    QTest::newRow("file") << "sky.gif" << false << true << true;
    QTest::newRow("folder") << "out" << true << false << true;
    QTest::newRow("folder with separator") << "out/" << true << false << true;
    QTest::newRow("missing") << "nothing.gif" << false << false << false;
    QTest::newRow("question mark is a plain character") << "s?y.gif" << false << false << false;
}

void TestFileRoutines::existence() {
    QFETCH(QString, relative);
    QFETCH(bool, folder);
    QFETCH(bool, fileByOpen);
    QFETCH(bool, byDate);

    QCOMPARE(folderExists(path(relative)), folder);
    QCOMPARE(fileExistsByOpen(path(relative)), fileByOpen);
    QCOMPARE(fileExistsByDate(path(relative)), byDate);
    QVERIFY(!folderExists(QString()));
    QVERIFY(!fileExistsByOpen(QString()));
    QVERIFY(!fileExistsByDate(QString()));
}

void TestFileRoutines::copyIntoFolder_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("checkedFile");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<bool>("reported");

    QTest::newRow("replaces an older picture")
        << "sky.gif"
        << "out/sky.gif"
        << "out/sky.gif" << QByteArray("new picture") << false;
    QTest::newRow("into a folder named with a closing separator")
        << "sky.gif"
        << "out//new/"
        << "out/new/sky.gif" << QByteArray("<missing>") << false;
    QTest::newRow("doubled separators are collapsed")
        << "sky.gif"
        << "out//copy.gif"
        << "out/copy.gif" << QByteArray("new picture") << false;
    QTest::newRow("missing folder is not created")
        << "sky.gif"
        << "missing/sky.gif"
        << "missing/sky.gif" << QByteArray("<missing>") << false;
    QTest::newRow("folder as source") << "out"
                                      << "out/x"
                                      << "out/x" << QByteArray("<missing>") << true;
    QTest::newRow("missing source") << "none.gif"
                                    << "out/sky.gif"
                                    << "out/sky.gif" << QByteArray("old picture") << false;
    QTest::newRow("wildcard source") << "*.gif"
                                     << "out/sky.gif"
                                     << "out/sky.gif" << QByteArray("old picture") << false;
    QTest::newRow("blank source") << "   "
                                  << "out/sky.gif"
                                  << "out/sky.gif" << QByteArray("old picture") << false;
}

void TestFileRoutines::copyIntoFolder() {
    QFETCH(QString, source);
    QFETCH(QString, destination);
    QFETCH(QString, checkedFile);
    QFETCH(QByteArray, expected);
    QFETCH(bool, reported);

    const QString from = source.trimmed().isEmpty() ? source : path(source);
    bool thrown = false;
    try {
        copyFileIntoFolder(from, path(destination));
    } catch (const RuntimeError &) {
        thrown = true;
    }
    QCOMPARE(thrown, reported);
    QCOMPARE(fileContent(path(checkedFile)), expected);
}

void TestFileRoutines::copyOntoItself() {
    const QString picture = path(QStringLiteral("sky.gif"));
    copyFileIntoFolder(picture, picture);
    copyFileIntoFolder(picture, path(QStringLiteral("./sky.gif")));
    QCOMPARE(fileContent(picture), QByteArray("new picture"));

    // Without a separator the destination has no folder, so nothing is copied.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    copyFileIntoFolder(picture, QStringLiteral("bare.gif"));
    QDir::setCurrent(cwd);
    QVERIFY(!QFile::exists(path(QStringLiteral("bare.gif"))));
}

QTEST_GUILESS_MAIN(TestFileRoutines)
#include "tst_fileroutines.moc"
