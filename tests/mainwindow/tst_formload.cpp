#include "buildconfig.h"
#include "fakeplatform.h"
#include "surveywindow.h"
#include "tempsettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QLineEdit>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTest>

using namespace Velmora;

using Values = QMap<QString, QString>;

class TestFormLoad : public QObject {
    Q_OBJECT

private slots:
    void init();
    void restoresFields_data();
    void restoresFields();
    void damagedSettingsFile_data();
    void damagedSettingsFile();
    void startUpFailuresAreReported_data();
    void startUpFailuresAreReported();
    void startUpNeverRevertsAnotherCopysSave_data();
    void startUpNeverRevertsAnotherCopysSave();
    void homePage_data();
    void homePage();

private:
    QMap<QString, QString> fieldTexts(SurveyWindow &form) const {
        QMap<QString, QString> texts;
        const SurveyFields f = form.surveyFields();
        texts[QStringLiteral("Title")] = f.pageTitle;
        texts[QStringLiteral("Survey Questions")] = f.surveyQuestions;
        texts[QStringLiteral("Background")] = f.backgroundImage;
        texts[QStringLiteral("Output Folder")] = f.outputFolder;
        texts[QStringLiteral("Message")] = f.message;
        texts[QStringLiteral("Name")] = f.name;
        texts[QStringLiteral("Email")] = f.email;
        return texts;
    }

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<QTemporaryDir> m_program;
    FakePlatform m_platform;
};

void TestFormLoad::init() {
    m_settings = std::make_unique<TempSettings>();
    m_program = std::make_unique<QTemporaryDir>();
    m_platform = FakePlatform();
    m_platform.programPath = m_program->path();
    m_platform.desktopPath = QStringLiteral("/home/ann/Desktop");
}

void TestFormLoad::restoresFields_data() {
    QTest::addColumn<Values>("stored");
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<Values>("expected");
    QTest::addColumn<QStringList>("reportedLines");

    const Values empty{{"Title", ""},      {"Survey Questions", ""},
                       {"Background", ""}, {"Output Folder", "/home/ann/Desktop/"},
                       {"Message", ""},    {"Name", ""},
                       {"Email", ""}};
    QTest::newRow("first start") << Values{} << "/home/ann/Desktop" << empty << QStringList{};

    const QString longText = QString(100 * 1024, QLatin1Char('x'));
    const Values every{{"Title", "Caf\u00e9 \u20ac \"Survey\""},
                       {"Survey Questions", "[1] A?\r\n[r] a) Yes\r\n\r\n[l]"},
                       {"Background", "/pics/sky.gif"},
                       {"Output Folder", "/srv/out/"},
                       {"Message", longText + "\r\nthanks, all"}};
    Values everyExpected = every;
    everyExpected["Name"] = "";
    everyExpected["Email"] = "";
    QTest::newRow("every field kept")
        << every << "/home/ann/Desktop" << everyExpected << QStringList{};

    Values emptied = empty;
    emptied["Output Folder"] = "";
    QTest::newRow("emptied output folder stays empty")
        << Values{{"Output Folder", ""}} << "/home/ann/Desktop" << emptied << QStringList{};

    Values noDesktop = empty;
    noDesktop["Output Folder"] = "";
    noDesktop["Message"] = "still restored";
    QTest::newRow("desktop cannot be resolved")
        << Values{{"Output Folder", "/srv/out/"}, {"Message", "still restored"}} << "" << noDesktop
        << QStringList{QStringLiteral("136")};
}

void TestFormLoad::restoresFields() {
    QFETCH(Values, stored);
    QFETCH(QString, desktop);
    QFETCH(Values, expected);
    QFETCH(QStringList, reportedLines);

    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        TempSettings::store(it.key(), it.value());
    m_platform.desktopPath = desktop;

    SettingsStore store;
    {
        // Name and e-mail from an earlier run are gone.
        SurveyWindow earlier(m_platform, store);
        earlier.findChild<QLineEdit *>(QStringLiteral("nameEdit"))->setText(QStringLiteral("Ann"));
    }
    SurveyWindow form(m_platform, store);
    form.startUp();

    QCOMPARE(fieldTexts(form), expected);
    QStringList reported;
    for (const FakePlatform::Message &m : m_platform.messages) {
        QCOMPARE(m.caption, QStringLiteral("Application Error"));
        QVERIFY(m.text.contains(QStringLiteral("in Tarvolin2021/08/31.Form1.Form_Load at line ")));
        reported.append(
            m.text.section(QStringLiteral("at line "), 1).section(QLatin1Char('\r'), 0, 0));
    }
    QCOMPARE(reported, reportedLines);
    QCOMPARE(form.windowTitle(), QStringLiteral("Velmora"));
    store.waitForWrites();
    // Every restored value is written back at once, also an empty one on the
    // first start; a field that was not restored keeps what the file held.
    const QList<std::pair<QString, QString>> kept{{"Title", "130"},
                                                  {"Survey Questions", "132"},
                                                  {"Background", "134"},
                                                  {"Output Folder", "136"},
                                                  {"Message", "138"}};
    for (const auto &[key, label] : kept) {
        const QVariant written = TempSettings::stored(key);
        if (reportedLines.contains(label))
            QCOMPARE(written, stored.contains(key) ? QVariant(stored[key]) : QVariant());
        else
            QCOMPARE(written, QVariant(expected[key]));
    }
}

void TestFormLoad::startUpNeverRevertsAnotherCopysSave_data() {
    QTest::addColumn<Values>("stored");
    QTest::addColumn<Values>("savedMeanwhile"); // by a copy already running
    QTest::addColumn<Values>("expected");

    const Values before{{"Title", "Draft"}, {"Message", "Thanks"}};
    QTest::newRow("a keystroke in a kept field") << before << Values{{"Title", "Draft 2"}}
                                                 << Values{{"Title", "Draft 2"},
                                                           {"Message", "Thanks"},
                                                           {"Output Folder", "/home/ann/Desktop/"}};
    QTest::newRow("a field emptied")
        << before << Values{{"Message", ""}}
        << Values{{"Title", "Draft"}, {"Message", ""}, {"Output Folder", "/home/ann/Desktop/"}};
    QTest::newRow("a key that was absent at the read")
        << Values{} << Values{{"Output Folder", "/srv/out/"}, {"Title", "x"}}
        << Values{{"Title", "x"}, {"Message", ""}, {"Output Folder", "/srv/out/"}};
    QTest::newRow("nothing saved meanwhile")
        << before << Values{}
        << Values{
               {"Title", "Draft"}, {"Message", "Thanks"}, {"Output Folder", "/home/ann/Desktop/"}};
}

void TestFormLoad::startUpNeverRevertsAnotherCopysSave() {
    QFETCH(Values, stored);
    QFETCH(Values, savedMeanwhile);
    QFETCH(Values, expected);
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        TempSettings::store(it.key(), it.value());
    QDir().mkpath(QFileInfo(m_settings->filePath()).path());

    SettingsStore store;
    SurveyWindow form(m_platform, store);
    {
        // The running copy is in the middle of its save: it holds the file's lock
        // from after this copy's read until after its own write.
        QLockFile otherCopysSave(m_settings->filePath() + QStringLiteral(".lock"));
        QVERIFY(otherCopysSave.tryLock(0));
        form.startUp();
        QTemporaryDir scratch;
        const QString written = scratch.filePath(QStringLiteral("written.conf"));
        QVERIFY(QFile::copy(m_settings->filePath(), written) || stored.isEmpty());
        {
            QSettings other(written, QSettings::IniFormat);
            for (auto it = savedMeanwhile.cbegin(); it != savedMeanwhile.cend(); ++it)
                other.setValue(it.key(), it.value());
        }
        QFile::remove(m_settings->filePath());
        QVERIFY(QFile::rename(written, m_settings->filePath()));
    }
    QVERIFY(store.waitForWrites());

    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(TempSettings::stored(it.key()), QVariant(it.value()));
}

void TestFormLoad::damagedSettingsFile_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe[\x01=\x02\n\x7f\x80garbage", 18);
    QTest::newRow("truncated") << QByteArray("[General]\nTitle=\"half a quo");
    QTest::newRow("unreadable lines") << QByteArray("[[[\n=\n==\n\\\n[General\nTitle");
    QTest::newRow("a readable key survives") << QByteArray("[General]\nMessage=kept\n\x01\x02\n");
}

void TestFormLoad::damagedSettingsFile() {
    QFETCH(QByteArray, content);
    QVERIFY(QDir().mkpath(QFileInfo(m_settings->filePath()).path()));
    QFile file(m_settings->filePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    SettingsStore store;
    SurveyWindow form(m_platform, store);
    form.startUp();
    QCOMPARE(form.surveyFields().outputFolder.isEmpty(), false);
    if (content.contains("Message=kept"))
        QCOMPARE(form.surveyFields().message, QStringLiteral("kept"));

    // The next save leaves a file that reads back soundly.
    auto *title = form.findChild<QLineEdit *>(QStringLiteral("titleEdit"));
    title->setText(QStringLiteral("Sound again, with = and ; and \"quotes\""));
    store.waitForWrites();
    QCOMPARE(TempSettings::stored(QStringLiteral("Title")).toString(), title->text());
    QCOMPARE(form.windowTitle(), QStringLiteral("Velmora"));
}

void TestFormLoad::startUpFailuresAreReported_data() {
    QTest::addColumn<QByteArray>("cursorFile");
    QTest::addColumn<QStringList>("reportedLines");

    QTest::newRow("no cursor file") << QByteArray() << QStringList{};
    QTest::newRow("cursor file that holds no picture")
        << QByteArray("not a cursor") << QStringList{QStringLiteral("110")};
}

void TestFormLoad::startUpFailuresAreReported() {
    QFETCH(QByteArray, cursorFile);
    QFETCH(QStringList, reportedLines);

    if (!cursorFile.isEmpty()) {
        QFile file(m_program->filePath(QStringLiteral("HAND-M.CUR")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(cursorFile);
    }
    TempSettings::store(QStringLiteral("Title"), QStringLiteral("after the failure"));
    SettingsStore store;
    SurveyWindow form(m_platform, store);
    form.startUp();

    QStringList reported;
    for (const FakePlatform::Message &m : m_platform.messages)
        reported.append(
            m.text.section(QStringLiteral("at line "), 1).section(QLatin1Char('\r'), 0, 0));
    QCOMPARE(reported, reportedLines);
    QCOMPARE(form.surveyFields().pageTitle, QStringLiteral("after the failure"));
    QCOMPARE(form.applicationTitle(), QStringLiteral("Velmora"));
    form.setMousePointer(MousePointer::Custom);
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
}

void TestFormLoad::homePage_data() {
    QTest::addColumn<double>("random");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("desktopOpens");

    QTest::newRow("n = 1") << 0.0 << false << true;
    QTest::newRow("n = 6") << 0.0599 << false << true;
    QTest::newRow("n = 7") << 0.06 << true << true;
    QTest::newRow("n = 7, upper end") << 0.0699 << true << true;
    QTest::newRow("n = 8") << 0.07 << false << true;
    QTest::newRow("n = 100") << 0.9999 << false << true;
    QTest::newRow("n = 7, nothing opens it") << 0.065 << true << false;
}

void TestFormLoad::homePage() {
    QFETCH(double, random);
    QFETCH(bool, opens);
    QFETCH(bool, desktopOpens);

    m_platform.randomValue = random;
    m_platform.openSucceeds = desktopOpens;
    SettingsStore store;
    SurveyWindow form(m_platform, store);
    form.startUp();

    const QList<QUrl> expected =
        opens ? QList<QUrl>{QUrl(QLatin1String(BuildConfig::HomePage))} : QList<QUrl>{};
    QCOMPARE(m_platform.opened, expected);
    QCOMPARE(m_platform.messages.size(), desktopOpens ? 0 : 1);
    if (!desktopOpens)
        QVERIFY(m_platform.messages[0].text.contains(QStringLiteral("Form_Load at line 112")));
}

QTEST_MAIN(TestFormLoad)
#include "tst_formload.moc"
