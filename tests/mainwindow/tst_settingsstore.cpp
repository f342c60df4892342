#include "runtimeerror.h"
#include "settingsfile.h"
#include "settingsstore.h"

#include "filecontent.h"
#include "pausedchild.h"
#include "smallfilesystem.h"
#include "tempsettings.h"

#include <QDateTime>
#include <QDir>
#include <QLockFile>
#include <QRect>
#include <QSignalSpy>
#include <QSize>
#include <QTest>

using namespace Velmora;

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void textsReadBackExactly_data();
    void textsReadBackExactly();
    void readsWhatQSettingsWrote_data();
    void readsWhatQSettingsWrote();
    void keepsWhatOthersWrote_data();
    void keepsWhatOthersWrote();
    void fullDiskKeepsTheFileAndRetries();
    void lockOfAKilledSaveIsTakenOver();
    void unreadableFileIsNeverWritten_data();
    void unreadableFileIsNeverWritten();
    void unmadeFolderGivesTheSystemsReason_data();
    void unmadeFolderGivesTheSystemsReason();
    void readOnlyFileIsNotReplaced();

private:
    static QString writeFile(const QTemporaryDir &dir, const QByteArray &bytes) {
        const QString path = dir.filePath(QStringLiteral("Velmora.conf"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return path;
    }
};

void TestSettingsStore::textsReadBackExactly_data() {
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QString();
    QTest::newRow("no-break spaces") << QStringLiteral("Caf\u00e9\u00a0: oui\u00a0!");
    QTest::newRow("line and paragraph separators") << QStringLiteral("a\u2028b\u2029c");
    QTest::newRow("CR LF lines") << QStringLiteral("[1] q\r\n[s]\r\n");
    QTest::newRow("lone CR and LF") << QStringLiteral("a\rb\nc");
    QTest::newRow("blanks and tabs at both ends") << QStringLiteral(" \t x \t ");
    QTest::newRow("list and comment characters") << QStringLiteral("a, b; c = d, \"e\"");
    QTest::newRow("backslashes") << QStringLiteral("C:\\x41\\\\n\\");
    QTest::newRow("starts with @") << QStringLiteral("@Invalid()");
    QTest::newRow("starts with @@") << QStringLiteral("@@x");
    QTest::newRow("typed value look-alike") << QStringLiteral("@ByteArray(x)");
    QTest::newRow("control character before hex digits")
        << QStringLiteral("\x01") + QStringLiteral("beef");
    QTest::newRow("NUL") << QString(QChar(0)) + QStringLiteral("7");
    QTest::newRow("DEL and C1 controls") << QStringLiteral("\x7f\u0085\u009f");
    QTest::newRow("emoji") << QString::fromUtf8("\xF0\x9F\x98\x80 \xE4\xB8\xAD");
    QTest::newRow("lone high surrogate before a hex digit")
        << QString(QChar(0xD800)) + QStringLiteral("a1");
    QTest::newRow("lone low surrogate") << QString(QChar(0xDC00)) + QStringLiteral("z");
    QTest::newRow("byte order mark") << QStringLiteral("\ufeffx");
    QTest::newRow("100,000 characters") << QString(100000, QChar(0x00e9));
}

void TestSettingsStore::textsReadBackExactly() {
    QFETCH(QString, text);
    SettingsDocument document;
    document.keys.insert(QStringLiteral("Title"), text);
    document.keys.insert(QStringLiteral("Survey Questions"), text);
    const QByteArray bytes = document.serialize();

    QCOMPARE(SettingsDocument::parse(bytes).keys, document.keys);
    QTemporaryDir dir;
    const QString file = writeFile(dir, bytes);
    QCOMPARE(TempSettings::readThroughQSettings(file, QStringLiteral("Title")).toString(), text);
    QCOMPARE(
        TempSettings::readThroughQSettings(file, QStringLiteral("Survey Questions")).toString(),
        text);
}

void TestSettingsStore::readsWhatQSettingsWrote_data() {
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");

    const auto same = [](const QString &text) { return std::pair{QVariant(text), text}; };
    for (const auto &[name, text] :
         {std::pair{"no-break space", QStringLiteral("a\u00a0b")},
          std::pair{"commas", QStringLiteral("a, b,c")},
          std::pair{"leading blank", QStringLiteral(" x")},
          std::pair{"CR LF", QStringLiteral("a\r\nb")}, std::pair{"at sign", QStringLiteral("@x")},
          std::pair{"quotes and backslashes", QStringLiteral("\"C:\\dir\\\"")},
          std::pair{"emoji", QString::fromUtf8("\xF0\x9F\x98\x80")},
          std::pair{"control characters", QStringLiteral("\x01\x02"
                                                         "3")}}) {
        const auto [value, expected] = same(text);
        QTest::newRow(name) << value << expected;
    }
    QTest::newRow("a list, as a hand edit may leave it")
        << QVariant(QStringList{QStringLiteral("a"), QStringLiteral("b")})
        << QStringLiteral("a, b");
}

void TestSettingsStore::readsWhatQSettingsWrote() {
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("written.conf"));
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Survey Questions"), value);
    }
    QCOMPARE(
        SettingsDocument::parse(fileContent(file)).keys.value(QStringLiteral("Survey Questions")),
        text);
}

void TestSettingsStore::keepsWhatOthersWrote_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("text") << "LastFolderDot" << QVariant(QStringLiteral("/srv/surveys"));
    QTest::newRow("list in a group") << "Window/geometry" << QVariant(QStringList{"a", "b"});
    QTest::newRow("list") << "Recent" << QVariant(QStringList{"a, b", "c"});
    QTest::newRow("rectangle") << "Geometry" << QVariant(QRect(10, 20, 300, 400));
    QTest::newRow("size") << "Size" << QVariant(QSize(640, 480));
    QTest::newRow("bytes") << "State" << QVariant(QByteArray("\0\x01\xff(\")", 6));
    QTest::newRow("date and time")
        << "Seen" << QVariant(QDateTime(QDate(2026, 12, 8), QTime(13, 45, 1, 250), Qt::UTC));
    QTest::newRow("map") << "Columns" << QVariant(QVariantMap{{"width", 120}, {"shown", true}});
}

void TestSettingsStore::keepsWhatOthersWrote() {
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    TempSettings temp;
    {
        QSettings other(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kestrand"),
                        QStringLiteral("Velmora"));
        other.setValue(key, value);
    }
    SettingsStore store;
    store.save(SettingKey::Title, QStringLiteral("T"));
    QVERIFY(store.waitForWrites());

    QCOMPARE(TempSettings::stored(SettingKey::Title).toString(), QStringLiteral("T"));
    const QVariant kept = TempSettings::stored(key);
    QCOMPARE(kept.metaType(), value.metaType());
    QCOMPARE(kept, value);
}

void TestSettingsStore::lockOfAKilledSaveIsTakenOver() {
    TempSettings temp;
    SettingsStore store;
    store.save(SettingKey::Title, QStringLiteral("before"));
    QVERIFY(store.waitForWrites());
    const QString lockFile = store.fileName() + QStringLiteral(".lock");
    {
        // A copy killed in the middle of its save leaves its lock file behind.
        PausedChild killed([&] { (new QLockFile(lockFile))->tryLock(0); });
        QVERIFY(killed.ready());
    }
    QVERIFY(QFile::exists(lockFile));

    store.save(SettingKey::Title, QStringLiteral("after"));
    QVERIFY(store.waitForWrites());
    QCOMPARE(TempSettings::stored(SettingKey::Title).toString(), QStringLiteral("after"));
    QVERIFY2(!QFile::exists(lockFile), "the next save cleans it up");
}

void TestSettingsStore::fullDiskKeepsTheFileAndRetries() {
    SmallFileSystem disk(128);
    REQUIRE_SMALL_FILE_SYSTEM(disk);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, disk.path());
    SettingsStore store;
    QSignalSpy failing(&store, &SettingsStore::writesFailingChanged);
    store.save(SettingKey::Message, QStringLiteral("older"));
    QVERIFY(store.waitForWrites());
    const QByteArray older = fileContent(store.fileName());

    disk.fill();
    const QString newer(20000, u'n');
    store.save(SettingKey::Message, newer);
    QVERIFY(!store.waitForWrites());
    QVERIFY2(store.lastError().startsWith(QStringLiteral("No space left on device")),
             qPrintable(store.lastError()));
    QCOMPARE(fileContent(store.fileName()), older);
    QTRY_COMPARE(failing.size(), 1);
    QCOMPARE(failing[0][0].toBool(), true);
    QCOMPARE(store.value(SettingKey::Message), newer); // the newest text, not the disk's

    // No further save: the retry alone brings the text to the disk.
    disk.free();
    QTRY_COMPARE_WITH_TIMEOUT(TempSettings::stored(SettingKey::Message).toString(), newer, 5000);
    QTRY_COMPARE(failing.size(), 2);
    QCOMPARE(failing[1][0].toBool(), false);
    QVERIFY(store.lastError().isEmpty());
}

void TestSettingsStore::unreadableFileIsNeverWritten_data() {
    QTest::addColumn<bool>("folderInTheWay");
    QTest::newRow("a folder where the file should be") << true;
    QTest::newRow("a file nobody may read") << false;
}

void TestSettingsStore::unreadableFileIsNeverWritten() {
    QFETCH(bool, folderInTheWay);
    TempSettings temp;
    QVERIFY(QDir().mkpath(QFileInfo(temp.filePath()).absolutePath()));
    if (folderInTheWay) {
        QVERIFY(QDir().mkpath(temp.filePath()));
    } else {
        if (::geteuid() == 0)
            QSKIP("skipped: root reads every file; the folder case covers it");
        QFile file(temp.filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\nTitle=kept\n");
        file.close();
        QVERIFY(file.setPermissions(QFile::Permissions()));
    }

    SettingsStore store;
    QVERIFY_THROWS_EXCEPTION(RuntimeError, store.value(SettingKey::Title));
    store.save(SettingKey::Title, QStringLiteral("typed"));
    QVERIFY(!store.waitForWrites());
    QVERIFY(!store.flush());
    QVERIFY(!store.lastError().isEmpty());
    QCOMPARE(QFileInfo(temp.filePath()).isDir(), folderInTheWay);
    QDir folder(QFileInfo(temp.filePath()).absolutePath());
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden).size(), folderInTheWay ? 0 : 1);
}

void TestSettingsStore::unmadeFolderGivesTheSystemsReason_data() {
    QTest::addColumn<bool>("fullDisk");
    QTest::addColumn<QString>("reason");

    QTest::newRow("a file where the folder should be") << false << "Not a directory";
    QTest::newRow("a full disk") << true << "No space left on device";
}

void TestSettingsStore::unmadeFolderGivesTheSystemsReason() {
    QFETCH(bool, fullDisk);
    QFETCH(QString, reason);
    SmallFileSystem disk(128);
    TempSettings temp;
    const QString folder = QFileInfo(temp.filePath()).absolutePath();
    if (fullDisk) {
        REQUIRE_SMALL_FILE_SYSTEM(disk);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, disk.path());
        disk.fill();
    } else {
        QFile inTheWay(folder);
        QVERIFY(inTheWay.open(QIODevice::WriteOnly));
    }

    SettingsStore store;
    store.save(SettingKey::Title, QStringLiteral("typed"));
    QVERIFY(!store.waitForWrites());
    QVERIFY2(store.lastError().startsWith(reason), qPrintable(store.lastError()));
}

void TestSettingsStore::readOnlyFileIsNotReplaced() {
    TempSettings temp;
    const QString folder = QFileInfo(temp.filePath()).absolutePath();
    QVERIFY(QDir().mkpath(folder));
    for (const QString &path : {temp.folder(), folder})
        QVERIFY(QFile::setPermissions(path, QFile::Permissions(0x7777)));
    const QByteArray kept("[General]\nTitle=\"kept\"\n");
    {
        QFile file(temp.filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kept);
    }
    QVERIFY(QFile::setPermissions(temp.filePath(),
                                  QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    // The save stays pending with the system's reason, as any failed save.
    QVERIFY(runUnprivileged([] {
        SettingsStore store;
        store.save(SettingKey::Title, QStringLiteral("typed"));
        return !store.waitForWrites() &&
               store.lastError().startsWith(QStringLiteral("Permission denied")) &&
               store.value(SettingKey::Title) == QStringLiteral("typed");
    }));
    QCOMPARE(fileContent(temp.filePath()), kept);
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
