#include "choosers.h"
#include "fakeplatform.h"
#include "runtimeerror.h"
#include "surveywindow.h"
#include "tempsettings.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Velmora;

class TestChoosers : public QObject {
    Q_OBJECT

private slots:
    void init();
    void pictureChooser_data();
    void pictureChooser();
    void folderChooser_data();
    void folderChooser();
    void failedFieldStillRestoresPointer();
    void unreadableSettingStillOpensTheDialog();

private:
    QString text(const char *name) const {
        return m_form->findChild<QLineEdit *>(QLatin1String(name))->text();
    }
    void click(const char *name) { m_form->findChild<QPushButton *>(QLatin1String(name))->click(); }

    std::unique_ptr<TempSettings> m_settings;
    FakePlatform m_platform;
    std::unique_ptr<SettingsStore> m_store; // made after the temporary settings
    std::unique_ptr<SurveyWindow> m_form;
};

void TestChoosers::init() {
    m_form.reset();
    m_store.reset();
    m_settings = std::make_unique<TempSettings>();
    m_store = std::make_unique<SettingsStore>();
    m_platform = FakePlatform();
    m_form = std::make_unique<SurveyWindow>(m_platform, *m_store);
    m_form->findChild<QLineEdit *>(QStringLiteral("backgroundEdit"))
        ->setText(QStringLiteral("/before.gif"));
    m_form->findChild<QLineEdit *>(QStringLiteral("outputFolderEdit"))
        ->setText(QStringLiteral("/before/"));
    m_form->setMousePointer(MousePointer::Custom);
}

void TestChoosers::pictureChooser_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expected");

    QTest::newRow("cancel") << ""
                            << "/before.gif";
    QTest::newRow("picture") << "/home/ann/Pictures/SKY.PNG"
                             << "/home/ann/Pictures/SKY.PNG";
    QTest::newRow("taken as returned") << "/odd  name//x.gif"
                                       << "/odd  name//x.gif";
}

void TestChoosers::pictureChooser() {
    QFETCH(QString, chosen);
    QFETCH(QString, expected);

    m_platform.chosenFile = chosen;
    click("backgroundButton");

    QCOMPARE(m_platform.dialogTitles, QStringList{QStringLiteral("Select single file")});
    QCOMPARE(m_platform.initialFolders, QStringList{QStringLiteral("/")}); // where "/before.gif" is
    QCOMPARE(text("backgroundEdit"), expected);
    m_store->waitForWrites();
    QCOMPARE(TempSettings::stored(QStringLiteral("Background")).toString(), expected);
    QCOMPARE(m_form->mousePointer(),
             chosen.isEmpty() ? MousePointer::Custom : MousePointer::Default);
    QVERIFY(m_platform.messages.isEmpty());
}

void TestChoosers::folderChooser_data() {
    QTest::addColumn<QString>("lastFolderDot");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expected");

    QTest::newRow("cancel") << ""
                            << ""
                            << "/before/";
    QTest::newRow("ordinary folder") << ""
                                     << "/srv/surveys"
                                     << "/srv/surveys/";
    QTest::newRow("root keeps its own separator") << ""
                                                  << "/"
                                                  << "/";
    QTest::newRow("network folder keeps two") << ""
                                              << "//server/share"
                                              << "//server/share/";
    QTest::newRow("doubles collapse") << ""
                                      << "/srv//surveys/"
                                      << "/srv/surveys/";
    QTest::newRow("starts at LastFolderDot") << "/srv/last"
                                             << "/srv/other"
                                             << "/srv/other/";
}

void TestChoosers::folderChooser() {
    QFETCH(QString, lastFolderDot);
    QFETCH(QString, chosen);
    QFETCH(QString, expected);

    if (!lastFolderDot.isEmpty())
        TempSettings::store(QStringLiteral("LastFolderDot"), lastFolderDot);
    m_platform.chosenFolder = chosen;
    click("outputFolderButton");

    QCOMPARE(m_platform.dialogTitles, QStringList{QStringLiteral("Please select folder:")});
    QCOMPARE(m_platform.initialFolders,
             QStringList{lastFolderDot.isEmpty() ? QStringLiteral("/before/") : lastFolderDot});
    QCOMPARE(text("outputFolderEdit"), expected);
    m_store->waitForWrites();
    QCOMPARE(TempSettings::stored(QStringLiteral("Output Folder")).toString(), expected);
    QCOMPARE(m_form->mousePointer(),
             chosen.isEmpty() ? MousePointer::Custom : MousePointer::Default);
    // Read at every use, never written.
    QCOMPARE(TempSettings::stored(QStringLiteral("LastFolderDot")),
             lastFolderDot.isEmpty() ? QVariant() : QVariant(lastFolderDot));
}

void TestChoosers::failedFieldStillRestoresPointer() {
    std::vector<MousePointer> pointers;
    m_platform.chosenFolder = QStringLiteral("/srv");
    chooseOutputFolder(
        m_platform, [] { return QString(); },
        [](const QString &) { throw RuntimeError(QStringLiteral("Out of string space")); },
        [&](MousePointer p) { pointers.push_back(p); });

    QCOMPARE(m_platform.messages.size(), 1);
    QVERIFY(m_platform.messages[0].text.startsWith(QStringLiteral(
        "Out of string space\r\nin Tarvolin2021/08/31.Form1.PushButton3_Click at line 110\r\r")));
    QCOMPARE(pointers, (std::vector<MousePointer>{MousePointer::Wait, MousePointer::Default}));

    pointers.clear();
    m_platform.chosenFile = QStringLiteral("/p.png");
    chooseBackgroundPicture(
        m_platform, QString(),
        [](const QString &) { throw RuntimeError(QStringLiteral("Out of memory")); },
        [&](MousePointer p) { pointers.push_back(p); });
    QVERIFY(
        m_platform.messages[1].text.contains(QStringLiteral("PushButton2_Click at line 112\r\r")));
    QCOMPARE(pointers, (std::vector<MousePointer>{MousePointer::Wait, MousePointer::Default}));
}

void TestChoosers::unreadableSettingStillOpensTheDialog() {
    m_platform.chosenFolder = QStringLiteral("/srv/out");
    chooseOutputFolder(
        m_platform, []() -> QString { throw RuntimeError(QStringLiteral("Permission denied")); },
        [&](const QString &folder) { m_platform.chosenFile = folder; }, [](MousePointer) {});

    QCOMPARE(m_platform.messages.size(), 1);
    QVERIFY(m_platform.messages[0].text.startsWith(QStringLiteral(
        "Permission denied\r\nin Tarvolin2021/08/31.Form1.PushButton3_Click at line 100\r\r")));
    QCOMPARE(m_platform.initialFolders, QStringList{QString()}); // nothing preselected
    QCOMPARE(m_platform.chosenFile, QStringLiteral("/srv/out/"));
}

QTEST_MAIN(TestChoosers)
#include "tst_choosers.moc"
