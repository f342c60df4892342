#include "buildconfig.h"
#include "createsurvey.h"
#include "fakeplatform.h"
#include "workedexample.h"

#include "filecontent.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Velmora;

class TestCreateSurvey : public QObject {
    Q_OBJECT

private slots:
    void init();
    void writesPageCopiesPictureAndOpensIt();
    void pageNames_data();
    void pageNames();
    void missingFolderIsRefused_data();
    void missingFolderIsRefused();
    void secondClickWhileBusyDoesNothing();
    void shortQuestionLineIsReportedAndSkipped();
    void unwritablePageIsReportedOnce_data();
    void unwritablePageIsReportedOnce();

private:
    QString out() const { return m_dir->path() + QStringLiteral("/out/"); }
    QString picture() const { return m_dir->path() + QStringLiteral("/pics/background.gif"); }

    std::unique_ptr<QTemporaryDir> m_dir;
    FakePlatform m_platform;
};

void TestCreateSurvey::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("out")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("pics")));
    QFile file(picture());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("GIF89a picture");
    m_platform = FakePlatform();
}

void TestCreateSurvey::writesPageCopiesPictureAndOpensIt() {
    CreateSurveyCommand command(m_platform);
    const QString page = out() + QStringLiteral("My Product Survey.htm");
    QFile old(page);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older page that is much longer than nothing");
    old.close();

    command.run(WorkedExample::fields(out(), picture()), QStringLiteral("Velmora"));

    QCOMPARE(fileContent(page), WorkedExample::page());
    QCOMPARE(fileContent(out() + QStringLiteral("background.gif")), QByteArray("GIF89a picture"));
    QCOMPARE(m_platform.messages.size(), 1);
    QCOMPARE(m_platform.messages[0].text, QStringLiteral("Done."));
    QCOMPARE(m_platform.messages[0].caption, QStringLiteral("Velmora"));
    QCOMPARE(m_platform.messages[0].icon, Platform::Icon::None);
    QCOMPARE(m_platform.opened, QList<QUrl>{QUrl::fromLocalFile(page)});
    QVERIFY(!command.isBusy());
    QCOMPARE(QDir(out()).entryList(QDir::Files).size(), 2); // no temporary files left
}

void TestCreateSurvey::pageNames_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("copiedPicture");

    QTest::newRow("title names the page") << "My Product Survey"
                                          << "out/"
                                          << "out/My Product Survey.htm"
                                          << "out/background.gif";
    QTest::newRow("empty title") << ""
                                 << "out/"
                                 << "out/noname.htm"
                                 << "out/background.gif";
    QTest::newRow("folder without separator is joined directly") << "S"
                                                                 << "out"
                                                                 << "outS.htm"
                                                                 << "outbackground.gif";
}

void TestCreateSurvey::pageNames() {
    QFETCH(QString, title);
    QFETCH(QString, folder);
    QFETCH(QString, page);
    QFETCH(QString, copiedPicture);

    SurveyFields fields = WorkedExample::fields(m_dir->filePath(folder), picture());
    fields.PageTitle = title;
    CreateSurveyCommand(m_platform).run(fields, QString());

    QVERIFY(QFile::exists(m_dir->filePath(page)));
    QVERIFY(QFile::exists(m_dir->filePath(copiedPicture)));
    QCOMPARE(m_platform.messageTexts(), QStringList{QStringLiteral("Done.")});
}

void TestCreateSurvey::missingFolderIsRefused_data() {
    QTest::addColumn<QString>("folder");
    QTest::newRow("missing") << "missing/";
    QTest::newRow("names a file") << "pics/background.gif";
    QTest::newRow("empty") << "";
}

void TestCreateSurvey::missingFolderIsRefused() {
    QFETCH(QString, folder);
    const QString outputFolder = folder.isEmpty() ? QString() : m_dir->filePath(folder);
    const QStringList before =
        QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    CreateSurveyCommand command(m_platform);
    command.run(WorkedExample::fields(outputFolder, picture()), QStringLiteral("Velmora"));

    QCOMPARE(m_platform.messageTexts(),
             QStringList{QStringLiteral("Folder does not exist. Please select another folder.")});
    QCOMPARE(m_platform.messages[0].icon, Platform::Icon::None);
    QVERIFY(m_platform.opened.isEmpty());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QVERIFY(QDir(out()).isEmpty());
    QVERIFY(!command.isBusy());
}

void TestCreateSurvey::secondClickWhileBusyDoesNothing() {
    CreateSurveyCommand command(m_platform);
    const SurveyFields fields = WorkedExample::fields(out(), picture());
    bool busyDuringDone = false;
    m_platform.onMessage = [&] {
        busyDuringDone = command.isBusy();
        command.run(fields, QString()); // the click that comes while "Done." is open
    };
    command.run(fields, QString());

    QVERIFY(busyDuringDone);
    QCOMPARE(m_platform.messageTexts(), QStringList{QStringLiteral("Done.")});
    QCOMPARE(m_platform.opened.size(), 1);
    QVERIFY(!command.isBusy());
}

void TestCreateSurvey::shortQuestionLineIsReportedAndSkipped() {
    SurveyFields fields = WorkedExample::fields(out(), QString());
    fields.SurveyQuestions = QStringLiteral("[1] Ok?\r\n[r\r\n[r] a) Yes");
    CreateSurveyCommand(m_platform).run(fields, QStringLiteral("Velmora"));

    QCOMPARE(m_platform.messages.size(), 2);
    const FakePlatform::Message report = m_platform.messages[0];
    QCOMPARE(report.caption, QStringLiteral("Application Error"));
    QCOMPARE(report.icon, Platform::Icon::Warning);
    QCOMPARE(report.text,
             QStringLiteral("Invalid procedure call or argument (question line 2: [r)\r\n"
                            "in Tarvolin2021/08/31.Form1.PushButton17_Click at line 176\r\r"
                            "Please email screenshot of this message to ") +
                 QLatin1String(BuildConfig::SupportEmail));
    QCOMPARE(m_platform.messages[1].text, QStringLiteral("Done."));

    const QByteArray page = fileContent(out() + QStringLiteral("My Product Survey.htm"));
    QVERIFY(page.contains("<body background=\"\">"));
    QCOMPARE(page.count("<input type=\"radio\""), 1);
}

void TestCreateSurvey::unwritablePageIsReportedOnce_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("label");

    QTest::newRow("title leads into a missing folder") << "no/such" << 122;
    QTest::newRow("a folder is in the page's place") << "taken" << 122;
}

void TestCreateSurvey::unwritablePageIsReportedOnce() {
    QFETCH(QString, title);
    QFETCH(int, label);

    QVERIFY(QDir(out()).mkdir(QStringLiteral("taken.htm")));
    SurveyFields fields = WorkedExample::fields(out(), picture());
    fields.PageTitle = title;
    CreateSurveyCommand command(m_platform);
    command.run(fields, QString());

    QCOMPARE(m_platform.messages.size(), 1);
    QVERIFY2(m_platform.messages[0].text.contains(QStringLiteral(" at line %1\r\r").arg(label)),
             qPrintable(m_platform.messages[0].text));
    QVERIFY(m_platform.opened.isEmpty());
    QVERIFY(QFileInfo(out() + QStringLiteral("taken.htm")).isDir());
    QCOMPARE(QDir(out()).entryList(QDir::Files), QStringList{QStringLiteral("background.gif")});
    QVERIFY(!command.isBusy());
}

QTEST_GUILESS_MAIN(TestCreateSurvey)
#include "tst_createsurvey.moc"
