#include "fakeplatform.h"
#include "samplesurvey.h"
#include "surveywindow.h"
#include "tempsettings.h"
#include "workedexample.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Velmora;

class TestSampleSurvey : public QObject {
    Q_OBJECT

private slots:
    void init();
    void fillsTheKeptFields_data();
    void fillsTheKeptFields();
    void sampleMakesTheWorkedExample();

private:
    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<QTemporaryDir> m_folder;
    FakePlatform m_platform;
    std::unique_ptr<SettingsStore> m_store; // made after the temporary settings
};

void TestSampleSurvey::init() {
    m_store.reset();
    m_settings = std::make_unique<TempSettings>();
    m_store = std::make_unique<SettingsStore>();
    m_folder = std::make_unique<QTemporaryDir>();
    m_platform = FakePlatform();
    m_platform.programPath = m_folder->path();
    m_platform.desktopPath = m_folder->path();
}

void TestSampleSurvey::fillsTheKeptFields_data() {
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<int>("clicks");

    QTest::newRow("once") << "/home/ann/Desktop" << 1;
    QTest::newRow("twice is the same as once") << "/home/ann/Desktop" << 2;
    QTest::newRow("desktop cannot be resolved") << "" << 1;
}

void TestSampleSurvey::fillsTheKeptFields() {
    QFETCH(QString, desktop);
    QFETCH(int, clicks);

    m_platform.desktopPath = desktop;
    SurveyWindow form(m_platform, *m_store);
    form.findChild<QLineEdit *>(QStringLiteral("nameEdit"))->setText(QStringLiteral("Ann"));
    form.findChild<QLineEdit *>(QStringLiteral("emailEdit"))
        ->setText(QStringLiteral("ann@example.org"));
    for (int i = 0; i < clicks; ++i)
        form.findChild<QPushButton *>(QStringLiteral("sampleButton"))->click();

    const SurveyFields fields = form.surveyFields();
    QCOMPARE(fields.pageTitle, QStringLiteral("My Product Survey"));
    QCOMPARE(fields.surveyQuestions, WorkedExample::questions());
    QCOMPARE(fields.surveyQuestions.size(), 302);
    QCOMPARE(fields.surveyQuestions.count(QStringLiteral("\r\n")), 14);
    QVERIFY(fields.surveyQuestions.endsWith(QStringLiteral("\r\n[l]")));
    QCOMPARE(fields.message, WorkedExample::message());
    QCOMPARE(fields.message.size(), 100);
    QCOMPARE(fields.backgroundImage, m_folder->path() + QStringLiteral("/background.gif"));
    QCOMPARE(fields.outputFolder, desktop + QLatin1Char('/'));
    QCOMPARE(fields.name, QStringLiteral("Ann"));
    QCOMPARE(fields.email, QStringLiteral("ann@example.org"));
    QVERIFY(m_platform.messages.isEmpty());

    // Kept even if the program is closed without creating the survey.
    m_store->waitForWrites();
    QCOMPARE(TempSettings::stored(QStringLiteral("Title")).toString(), fields.pageTitle);
    QCOMPARE(TempSettings::stored(QStringLiteral("Survey Questions")).toString(),
             fields.surveyQuestions);
    QCOMPARE(TempSettings::stored(QStringLiteral("Background")).toString(), fields.backgroundImage);
    QCOMPARE(TempSettings::stored(QStringLiteral("Output Folder")).toString(), fields.outputFolder);
    QCOMPARE(TempSettings::stored(QStringLiteral("Message")).toString(), fields.message);
}

void TestSampleSurvey::sampleMakesTheWorkedExample() {
    QFile picture(m_folder->filePath(QStringLiteral("background.gif")));
    QVERIFY(picture.open(QIODevice::WriteOnly));
    picture.write("GIF89a");
    picture.close();
    QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("Desktop")));
    m_platform.desktopPath = m_folder->filePath(QStringLiteral("Desktop"));

    SurveyWindow form(m_platform, *m_store);
    form.findChild<QPushButton *>(QStringLiteral("sampleButton"))->click();
    form.findChild<QPushButton *>(QStringLiteral("createButton"))->click();

    QFile page(m_folder->filePath(QStringLiteral("Desktop/My Product Survey.htm")));
    QVERIFY(page.open(QIODevice::ReadOnly));
    QCOMPARE(page.readAll(), WorkedExample::page());
    QFile copied(m_folder->filePath(QStringLiteral("Desktop/background.gif")));
    QVERIFY(copied.open(QIODevice::ReadOnly));
    QCOMPARE(copied.readAll(), QByteArray("GIF89a"));
    QCOMPARE(m_platform.messageTexts(), QStringList{QStringLiteral("Done.")});
}

QTEST_MAIN(TestSampleSurvey)
#include "tst_samplesurvey.moc"
