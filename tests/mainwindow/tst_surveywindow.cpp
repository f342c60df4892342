#include "fakeplatform.h"
#include "surveywindow.h"
#include "tempsettings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Velmora;

class TestSurveyWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void layout_data();
    void layout();
    void windowAndFonts();
    void tabOrderAndFocus();
    void multiLineFieldsUseCrLf();
    void keptFieldsAreSavedOnEveryChange_data();
    void keptFieldsAreSavedOnEveryChange();
    void failedSaveShowsInCaption();
    void buttonsRunTheirCommands();
    void closeDuringACopyOpensNothing();
    void hoverPointer();
    void skinRecolours_data();
    void skinRecolours();

private:
    template <typename T = QWidget> T *control(const char *name) const {
        auto *widget = m_form->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<QTemporaryDir> m_program;
    FakePlatform m_platform;
    std::unique_ptr<SettingsStore> m_store; // made after the temporary settings
    std::unique_ptr<SurveyWindow> m_form;
};

void TestSurveyWindow::init() {
    m_form.reset();
    m_store.reset();
    m_settings = std::make_unique<TempSettings>();
    m_store = std::make_unique<SettingsStore>();
    m_program = std::make_unique<QTemporaryDir>();
    m_platform = FakePlatform();
    m_platform.programPath = m_program->path();
    m_platform.desktopPath = m_program->path();
    m_form = std::make_unique<SurveyWindow>(m_platform, *m_store);
}

void TestSurveyWindow::cleanup() {
    m_form.reset();
}

void TestSurveyWindow::layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");

    auto row = [](const char *name, const char *container, const char *caption, int l, int t, int w,
                  int h) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(container)
                            << QString::fromLatin1(caption) << QRect(l, t, w, h);
    };
    row("helpButton", "SurveyWindow", "Help", 120, 120, 3840, 405);
    row("sampleButton", "SurveyWindow", "Load Sample/Example Survey", 4080, 120, 3840, 405);
    row("titleFrame", "SurveyWindow", "Page Title", 120, 600, 7800, 820);
    row("titleEdit", "titleFrame", "", 180, 300, 7420, 345);
    row("nameFrame", "SurveyWindow", "Name", 120, 1485, 7800, 820);
    row("nameEdit", "nameFrame", "", 180, 300, 7420, 345);
    row("emailFrame", "SurveyWindow", "Email", 120, 2400, 7800, 820);
    row("emailEdit", "emailFrame", "", 180, 300, 7420, 345);
    row("questionsEdit", "SurveyWindow", "", 120, 3360, 7800, 1995);
    row("backgroundFrame", "SurveyWindow", "Background Image", 120, 5415, 7800, 820);
    row("backgroundEdit", "backgroundFrame", "", 180, 300, 6660, 345);
    row("backgroundButton", "backgroundFrame", "...", 6960, 300, 600, 345);
    row("messageFrame", "SurveyWindow", "Message", 120, 6315, 7800, 1240);
    row("messageEdit", "messageFrame", "", 180, 300, 7420, 750);
    row("outputFolderFrame", "SurveyWindow", "Save Results To This Folder", 120, 7635, 7800, 820);
    row("outputFolderEdit", "outputFolderFrame", "", 180, 300, 6660, 345);
    row("outputFolderButton", "outputFolderFrame", "...", 6960, 300, 600, 345);
    row("createButton", "SurveyWindow", "Start Creating Survey", 120, 8580, 7800, 405);
}

void TestSurveyWindow::layout() {
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);

    auto *widget = control(name.toLatin1().constData());
    QCOMPARE(widget->parentWidget()->objectName(), container);
    const QRect pixels(qRound(twips.x() / 15.0), qRound(twips.y() / 15.0),
                       qRound(twips.width() / 15.0), qRound(twips.height() / 15.0));
    QCOMPARE(widget->geometry(), pixels);
    if (auto *frame = qobject_cast<QGroupBox *>(widget)) {
        QCOMPARE(frame->title(), caption);
        QCOMPARE(frame->focusPolicy(), Qt::NoFocus);
    } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
        QCOMPARE(button->text(), caption);
        QVERIFY(!button->autoDefault() && !button->isDefault());
        QCOMPARE(button->font().pointSizeF(), 11.25);
    } else if (auto *line = qobject_cast<QLineEdit *>(widget)) {
        QVERIFY(line->text().isEmpty());
        QCOMPARE(line->maxLength(), std::numeric_limits<int>::max()); // no text is ever cut
    } else {
        auto *box = qobject_cast<QPlainTextEdit *>(widget);
        QVERIFY(box);
        QVERIFY(box->toPlainText().isEmpty());
        QCOMPARE(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    }
    QCOMPARE(widget->font().family(), QStringLiteral("Arial"));
    QVERIFY(widget->font().bold());
}

void TestSurveyWindow::windowAndFonts() {
    QCOMPARE(m_form->size(), QSize(536, 607));
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
    const Qt::WindowFlags flags = m_form->windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(m_form->font().pointSizeF(), 9.0);
}

void TestSurveyWindow::tabOrderAndFocus() {
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    const QStringList expected{
        QStringLiteral("questionsEdit"),    QStringLiteral("createButton"),
        QStringLiteral("helpButton"),       QStringLiteral("titleEdit"),
        QStringLiteral("nameEdit"),         QStringLiteral("emailEdit"),
        QStringLiteral("outputFolderEdit"), QStringLiteral("outputFolderButton"),
        QStringLiteral("messageEdit"),      QStringLiteral("backgroundEdit"),
        QStringLiteral("backgroundButton"), QStringLiteral("sampleButton")};
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        visited.append(QApplication::focusWidget()->objectName());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, expected);
    QCOMPARE(QApplication::focusWidget()->objectName(),
             QStringLiteral("questionsEdit"));                                  // round again
    QVERIFY(control<QPlainTextEdit>("questionsEdit")->toPlainText().isEmpty()); // no tab typed
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("sampleButton"));
}

void TestSurveyWindow::multiLineFieldsUseCrLf() {
    auto *questions = control<QPlainTextEdit>("questionsEdit");
    questions->setFocus();
    QTest::keyClicks(questions, QStringLiteral("[1] Why?"));
    QTest::keyClick(questions, Qt::Key_Return);
    QTest::keyClicks(questions, QStringLiteral("[s]"));
    QCOMPARE(m_form->surveyFields().surveyQuestions, QStringLiteral("[1] Why?\r\n[s]"));
    m_store->waitForWrites();
    QCOMPARE(TempSettings::stored(QStringLiteral("Survey Questions")).toString(),
             QStringLiteral("[1] Why?\r\n[s]"));

    // Enter in a one-line box starts no command.
    QTest::keyClick(control("titleEdit"), Qt::Key_Return);
    QVERIFY(m_platform.messages.isEmpty());
}

void TestSurveyWindow::keptFieldsAreSavedOnEveryChange_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("key");

    QTest::newRow("title") << "titleEdit"
                           << "Title";
    QTest::newRow("background") << "backgroundEdit"
                                << "Background";
    QTest::newRow("output folder") << "outputFolderEdit"
                                   << "Output Folder";
    QTest::newRow("message") << "messageEdit"
                             << "Message";
    QTest::newRow("name is not kept") << "nameEdit"
                                      << "";
    QTest::newRow("e-mail is not kept") << "emailEdit"
                                        << "";
}

void TestSurveyWindow::keptFieldsAreSavedOnEveryChange() {
    QFETCH(QString, field);
    QFETCH(QString, key);

    QWidget *widget = control(field.toLatin1().constData());
    QTest::keyClicks(widget, QStringLiteral("ab"));
    m_store->waitForWrites();
    if (key.isEmpty()) {
        QVERIFY(!QFile::exists(m_settings->filePath()));
        return;
    }
    QCOMPARE(TempSettings::stored(key).toString(), QStringLiteral("ab"));
    QTest::keyClick(widget, Qt::Key_Backspace);
    m_store->waitForWrites();
    QCOMPARE(TempSettings::stored(key).toString(), QStringLiteral("a"));
    QTest::keyClick(widget, Qt::Key_Backspace);
    m_store->waitForWrites();
    QCOMPARE(TempSettings::stored(key), QVariant(QString()));
}

void TestSurveyWindow::failedSaveShowsInCaption() {
    m_form->startUp();
    m_store->waitForWrites();
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Velmora"));
    // A folder where the settings file belongs makes every save fail.
    QFile::remove(m_settings->filePath());
    QVERIFY(QDir().mkpath(m_settings->filePath()));
    auto *title = control<QLineEdit>("titleEdit");
    QTest::keyClicks(title, QStringLiteral("Typing goes on"));
    QCOMPARE(title->text(), QStringLiteral("Typing goes on"));
    QVERIFY(m_platform.messages.isEmpty());
    QTRY_COMPARE(m_form->windowTitle(), QStringLiteral("Velmora (changes are not being saved)"));

    QVERIFY(QDir(m_settings->filePath()).removeRecursively());
    QTest::keyClick(title, Qt::Key_Exclam);
    QTRY_COMPARE(m_form->windowTitle(), QStringLiteral("Velmora"));
    QCOMPARE(TempSettings::stored(QStringLiteral("Title")).toString(),
             QStringLiteral("Typing goes on!"));
}

void TestSurveyWindow::buttonsRunTheirCommands() {
    m_form->startUp();
    control<QPushButton>("helpButton")->click();
    QCOMPARE(m_platform.messages.size(), 1);
    QCOMPARE(m_platform.messages[0].caption, QStringLiteral("Velmora"));
    QCOMPARE(m_platform.messages[0].text,
             QStringLiteral("[r] - Radio button\r\n[c] - PushButtonbox button\r\n[s] - Textbox\r\n"
                            "[l] - Text Area"));

    control<QLineEdit>("titleEdit")->setText(QStringLiteral("Mine"));
    control<QLineEdit>("nameEdit")->setText(QStringLiteral("Ann \"A\""));
    control<QLineEdit>("outputFolderEdit")->setText(m_program->path() + QLatin1Char('/'));
    control<QPushButton>("createButton")->click();
    QCOMPARE(m_platform.messages.last().text, QStringLiteral("Done."));
    QFile page(m_program->filePath(QStringLiteral("Mine.htm")));
    QVERIFY(page.open(QIODevice::ReadOnly));
    QVERIFY(page.readAll().contains("name=\"UserName\" value=\"Ann &quot;A&quot;\""));
    QCOMPARE(control<QLineEdit>("nameEdit")->text(),
             QStringLiteral("Ann \"A\"")); // fields unchanged
}

void TestSurveyWindow::closeDuringACopyOpensNothing() {
    // Memory-backed where the machine has it: the copy must still be going on
    // when the window closes, and the disk's speed must not decide that.
    QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                             ? QStringLiteral("/dev/shm/velmora-XXXXXX")
                             : QDir::tempPath() + QStringLiteral("/velmora-XXXXXX"));
    const QString picture = folder.filePath(QStringLiteral("big.gif"));
    {
        QFile file(picture);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray block(1 << 20, 'p');
        for (int i = 0; i < 256; ++i)
            QCOMPARE(file.write(block), block.size());
    }
    m_form->startUp();
    m_form->show();
    control<QLineEdit>("backgroundEdit")->setText(picture);
    control<QLineEdit>("outputFolderEdit")->setText(folder.path() + QStringLiteral("/out/"));
    QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("out"))));

    bool closedWhileCopying = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (m_form->mousePointer() == MousePointer::Wait && m_form->isVisible()) {
            closedWhileCopying = true;
            m_form->close();
        }
    });
    closer.start(1);
    control<QPushButton>("createButton")->click();
    closer.stop();

    QVERIFY2(closedWhileCopying, "the copy ended before the window could be closed");
    QCOMPARE(m_platform.messageTexts(), QStringList());
    QCOMPARE(m_platform.opened, QList<QUrl>());
}

void TestSurveyWindow::hoverPointer() {
    auto move = [](QWidget *widget) {
        QMouseEvent event(QEvent::MouseMove, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                          Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    };
    move(control("backgroundButton"));
    QCOMPARE(m_form->mousePointer(), MousePointer::Custom);
    move(control("backgroundFrame"));
    QCOMPARE(m_form->mousePointer(), MousePointer::Default);
    move(control("createButton"));
    move(control<QPlainTextEdit>("questionsEdit")->viewport());
    QCOMPARE(m_form->mousePointer(), MousePointer::Default);
    move(control("sampleButton"));
    move(control("backgroundEdit")); // no rule over the other boxes
    QCOMPARE(m_form->mousePointer(), MousePointer::Custom);

    m_form->setMousePointer(MousePointer::Wait);
    move(control("helpButton"));
    move(m_form.get());
    QCOMPARE(m_form->mousePointer(), MousePointer::Wait);
    QCOMPARE(m_form->cursor().shape(), Qt::WaitCursor);
}

void TestSurveyWindow::skinRecolours_data() {
    QTest::addColumn<bool>("skinFile");
    QTest::newRow("without skin file") << false;
    QTest::newRow("with skin file") << true;
}

void TestSurveyWindow::skinRecolours() {
    QFETCH(bool, skinFile);
    if (skinFile) {
        QVERIFY(QDir(m_program->path()).mkpath(QStringLiteral("x")));
        QFile skin(m_program->filePath(QStringLiteral("x/o.cjs")));
        QVERIFY(skin.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(
            QDir(m_program->path()).mkpath(QStringLiteral("x/o.cjs"))); // a folder does not count
    }
    m_form->startUp();
    const QColor expected =
        skinFile ? QApplication::palette().color(QPalette::Button) : QColor(Qt::white);
    QCOMPARE(m_form->grab().toImage().pixelColor(2, 300), expected);
    QCOMPARE(control("emailFrame")->grab().toImage().pixelColor(100, 49), expected);
    QCOMPARE(control("titleEdit")->grab().toImage().pixelColor(100, 10), QColor(Qt::white));
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Velmora"));
    QVERIFY(m_platform.messages.isEmpty());
}

QTEST_MAIN(TestSurveyWindow)
#include "tst_surveywindow.moc"
