#include "fakeplatform.h"
#include "filecontent.h"
#include "surveywindow.h"
#include "tempsettings.h"
#include "terminationsignals.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <csignal>

using namespace Velmora;

// What a person types comes back exactly: in the field, in the store, after a
// restart and on the page; and a command that fills a field can be taken back.
class TestFieldRoundTrip : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void typedTextComesBackExactly_data();
    void typedTextComesBackExactly();
    void storedLineEndsComeBackAsStored();
    void fillsCanBeUndone_data();
    void fillsCanBeUndone();
    void unreadableSettingsAreReportedAndKept();
    void endingKeepsTheLastKeystroke_data();
    void endingKeepsTheLastKeystroke();

private:
    void start() {
        m_store = std::make_unique<SettingsStore>();
        m_form = std::make_unique<SurveyWindow>(m_platform, *m_store);
        m_form->startUp();
    }
    void stop() {
        m_form.reset();
        m_store.reset();
    }
    template <typename T> T *field(const char *name) {
        return m_form->findChild<T *>(QLatin1String(name));
    }
    void click(const char *button) { field<QPushButton>(button)->click(); }
    void undo(QWidget *box) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    }

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<QTemporaryDir> m_folder;
    FakePlatform m_platform;
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<SurveyWindow> m_form;
};

void TestFieldRoundTrip::init() {
    m_settings = std::make_unique<TempSettings>();
    m_folder = std::make_unique<QTemporaryDir>();
    m_platform = FakePlatform();
    m_platform.programPath = m_folder->path();
    m_platform.desktopPath = m_folder->path();
}

void TestFieldRoundTrip::cleanup() {
    stop();
}

void TestFieldRoundTrip::typedTextComesBackExactly_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("onThePage"); // empty: the page cannot be made

    QTest::newRow("no-break space in the title")
        << "titleEdit"
        << "Title" << QStringLiteral("Caf\u00e9\u00a0: avis")
        << QByteArray("<title>Caf\xe9\xa0: avis</title>");
    QTest::newRow("no-break space in a question")
        << "questionsEdit"
        << "Survey Questions" << QStringLiteral("[1] Prix\u00a0?\r\n[s]")
        << QByteArray("<p>1)  Prix\xa0?<br>");
    QTest::newRow("line separator inside a question")
        << "questionsEdit"
        << "Survey Questions" << QStringLiteral("[1] one\u2028two\r\n[s]")
        << QByteArray("<p>1)  one&#8232;two<br>");
    QTest::newRow("no-break space in the message")
        << "messageEdit"
        << "Message" << QStringLiteral("Merci\u00a0!\r\nBye")
        << QByteArray("<p>Merci\xa0!</p></p>Bye</p>");
    QTest::newRow("100,000-character title") << "titleEdit"
                                             << "Title" << QString(100000, u't') << QByteArray();
    QString questions;
    while (questions.size() < 5 * 1024 * 1024)
        questions += QStringLiteral("[1] Q\u00a0?\r\n[r] a) Oui\r\n");
    QTest::newRow("5 MB of questions")
        << "questionsEdit"
        << "Survey Questions" << questions << QByteArray("<p>1)  Q\xa0?<br>");
}

void TestFieldRoundTrip::typedTextComesBackExactly() {
    QFETCH(QString, box);
    QFETCH(QString, key);
    QFETCH(QString, text);
    QFETCH(QByteArray, onThePage);

    start();
    QWidget *widget = m_form->findChild<QWidget *>(box);
    if (auto *line = qobject_cast<QLineEdit *>(widget)) {
        line->selectAll();
        line->insert(text);
    } else {
        auto *multi = qobject_cast<QPlainTextEdit *>(widget);
        multi->selectAll();
        multi->insertPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
    QVERIFY(m_store->waitForWrites());
    QCOMPARE(TempSettings::stored(key).toString(), text);
    stop();

    start();
    const SurveyFields fields = m_form->surveyFields();
    const QMap<QString, QString> texts{{QStringLiteral("Title"), fields.pageTitle},
                                       {QStringLiteral("Survey Questions"), fields.surveyQuestions},
                                       {QStringLiteral("Message"), fields.message}};
    QCOMPARE(texts.value(key), text);

    field<QLineEdit>("outputFolderEdit")->setText(m_folder->path() + QLatin1Char('/'));
    click("createButton");
    const QStringList messages = m_platform.messageTexts();
    if (onThePage.isEmpty()) {
        QVERIFY2(messages.size() == 1 &&
                     messages[0].startsWith(QStringLiteral("File name too long")),
                 qPrintable(messages.join(QLatin1Char('|')).left(300)));
        return;
    }
    QCOMPARE(messages, QStringList{QStringLiteral("Done.")});
    const QString title = fields.pageTitle.isEmpty() ? QStringLiteral("noname") : fields.pageTitle;
    QVERIFY(fileContent(m_folder->filePath(title + QStringLiteral(".htm"))).contains(onThePage));
}

void TestFieldRoundTrip::storedLineEndsComeBackAsStored() {
    const QString stored = QStringLiteral("[1] a\nb\r[s]\r\n");
    TempSettings::store(QStringLiteral("Survey Questions"), stored);
    start();
    QCOMPARE(m_form->surveyFields().surveyQuestions, stored);
    QVERIFY(m_store->waitForWrites());
    QCOMPARE(TempSettings::stored(QStringLiteral("Survey Questions")).toString(), stored);

    // Once the person edits, the box's lines are the text.
    auto *box = field<QPlainTextEdit>("questionsEdit");
    box->moveCursor(QTextCursor::End);
    QTest::keyClicks(box, QStringLiteral("x"));
    QCOMPARE(m_form->surveyFields().surveyQuestions, QStringLiteral("[1] a\r\nb\r\n[s]\r\nx"));
}

void TestFieldRoundTrip::fillsCanBeUndone_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("boxes");

    QTest::newRow("sample survey") << "sampleButton"
                                   << QStringList{"titleEdit", "questionsEdit", "backgroundEdit",
                                                  "outputFolderEdit", "messageEdit"};
    QTest::newRow("picture chooser") << "backgroundButton" << QStringList{"backgroundEdit"};
    QTest::newRow("folder chooser") << "outputFolderButton" << QStringList{"outputFolderEdit"};
}

void TestFieldRoundTrip::fillsCanBeUndone() {
    QFETCH(QString, button);
    QFETCH(QStringList, boxes);
    const QMap<QString, QString> keys{{"titleEdit", "Title"},
                                      {"questionsEdit", "Survey Questions"},
                                      {"backgroundEdit", "Background"},
                                      {"outputFolderEdit", "Output Folder"},
                                      {"messageEdit", "Message"}};
    m_platform.chosenFile = QStringLiteral("/pictures/sky.png");
    m_platform.chosenFolder = QStringLiteral("/surveys");
    start();
    for (const QString &box : boxes) {
        QWidget *widget = m_form->findChild<QWidget *>(box);
        widget->setFocus();
        QTest::keyClicks(widget, QStringLiteral("mine ") + box);
    }

    m_form->findChild<QPushButton *>(button)->click();
    auto shownIn = [](QWidget *widget) {
        return qobject_cast<QLineEdit *>(widget)
                   ? qobject_cast<QLineEdit *>(widget)->text()
                   : qobject_cast<QPlainTextEdit *>(widget)->toPlainText();
    };
    for (const QString &box : boxes) {
        QWidget *widget = m_form->findChild<QWidget *>(box);
        const QString filled = shownIn(widget);
        QVERIFY(!filled.contains(QStringLiteral("mine")));
        // Typing after the fill is an edit of its own: one Ctrl+Z takes back
        // the typing alone, the next one the fill.
        QTest::mouseClick(widget->focusProxy() ? widget->focusProxy() : widget, Qt::LeftButton);
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(widget, QStringLiteral(" 2026"));
        undo(widget);
        QCOMPARE(shownIn(widget), filled);
        undo(widget);
    }

    QVERIFY(m_store->waitForWrites());
    for (const QString &box : boxes) {
        QWidget *widget = m_form->findChild<QWidget *>(box);
        const QString shown = qobject_cast<QLineEdit *>(widget)
                                  ? qobject_cast<QLineEdit *>(widget)->text()
                                  : qobject_cast<QPlainTextEdit *>(widget)->toPlainText();
        QVERIFY2(shown.endsWith(QStringLiteral("mine ") + box), qPrintable(shown));
        QCOMPARE(TempSettings::stored(keys[box]).toString(), shown);
    }
}

void TestFieldRoundTrip::unreadableSettingsAreReportedAndKept() {
    QVERIFY(QDir().mkpath(m_settings->filePath())); // a folder where the file should be
    start();

    const QStringList messages = m_platform.messageTexts();
    QCOMPARE(messages.size(), 5);
    for (int i = 0; i < 5; ++i)
        QVERIFY2(messages[i].contains(QStringLiteral(" at line %1\r\r").arg(130 + 2 * i)),
                 qPrintable(messages[i]));
    QTest::keyClicks(field<QLineEdit>("titleEdit"), QStringLiteral("typed"));
    QVERIFY(!m_store->waitForWrites());
    QTRY_VERIFY(m_form->windowTitle().contains(QStringLiteral("(changes are not being saved)")));

    m_platform.messages.clear();
    m_form->close();
    QCOMPARE(m_platform.messages.size(), 1);
    QVERIFY(m_platform.messages[0].text.startsWith(
        QStringLiteral("The last changes could not be saved: ")));
    QVERIFY(m_platform.messages[0].text.contains(QStringLiteral("--- Page Title ---\r\ntyped")));
    QVERIFY(QFileInfo(m_settings->filePath()).isDir());
}

void TestFieldRoundTrip::endingKeepsTheLastKeystroke_data() {
    QTest::addColumn<bool>("bySignal"); // SIGTERM as the program takes it, or the close box
    QTest::addColumn<bool>("savesFail");

    QTest::newRow("closed") << false << false;
    QTest::newRow("SIGTERM") << true << false;
    QTest::newRow("closed while saves fail") << false << true;
    QTest::newRow("SIGTERM while saves fail") << true << true;
}

void TestFieldRoundTrip::endingKeepsTheLastKeystroke() {
    QFETCH(bool, bySignal);
    QFETCH(bool, savesFail);
    start();
    m_form->show();
    QVERIFY(m_store->waitForWrites());
    if (savesFail) {
        QVERIFY(QFile::remove(m_settings->filePath()));
        QVERIFY(QDir().mkpath(m_settings->filePath())); // a folder where the file belongs
    }
    onTerminationSignals(m_form.get(), [this] {
        m_platform.endSession();
        m_form->close();
    });
    auto *title = field<QLineEdit>("titleEdit");
    title->setFocus();
    QTest::keyClicks(title, QStringLiteral("last words"));
    if (bySignal)
        QTimer::singleShot(10, [] { std::raise(SIGTERM); });
    else
        m_form->close();

    QTRY_VERIFY(!m_form->isVisible());
    const QStringList kept = QDir(m_folder->path()).entryList({"Velmora unsaved changes *.txt"});
    if (!savesFail) {
        QCOMPARE(TempSettings::stored(QStringLiteral("Title")).toString(),
                 QStringLiteral("last words"));
        QCOMPARE(kept, QStringList());
        QVERIFY(m_platform.messages.isEmpty());
        return;
    }
    QCOMPARE(kept, QStringList{QStringLiteral("Velmora unsaved changes 2021-08-31 140327.txt")});
    const QString file = m_folder->filePath(kept[0]);
    QVERIFY(fileContent(file).contains("--- Page Title ---\r\nlast words\r\n"));
    // Only the close box has a person to show the box to; it names the file.
    QCOMPARE(m_platform.messages.size(), bySignal ? 0 : 1);
    if (!bySignal)
        QVERIFY2(
            m_platform.messages[0].text.contains(QStringLiteral("They are kept in %1.").arg(file)),
            qPrintable(m_platform.messages[0].text));
}

QTEST_MAIN(TestFieldRoundTrip)
#include "tst_fieldroundtrip.moc"
