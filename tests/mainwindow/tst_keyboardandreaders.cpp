#include "questionstextbox.h"
#include "shownform.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

using namespace Velmora;

// What people without a mouse, or with a screen reader, get from the window; and
// the window's place and size on any screen.
class TestKeyboardAndReaders : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void everyControlIsNamed();
    void faultyLineIsToldWithoutAMouse();
    void enterPressesTheFocusedButtonOnly_data();
    void enterPressesTheFocusedButtonOnly();
    void maximiseAndFullScreenAreRefused_data();
    void maximiseAndFullScreenAreRefused();
    void centredWithTheTitleBarOnScreen_data();
    void centredWithTheTitleBarOnScreen();

private:
    std::unique_ptr<ShownForm> m_shown;
    SurveyWindow *m_form = nullptr;
};

void TestKeyboardAndReaders::init() {
    m_shown = std::make_unique<ShownForm>();
    m_form = &m_shown->form;
    QVERIFY(m_shown->exposed());
}

void TestKeyboardAndReaders::cleanup() {
    m_shown.reset();
}

void TestKeyboardAndReaders::everyControlIsNamed() {
    QStringList names;
    for (QWidget *control : m_form->findChildren<QWidget *>()) {
        if (!qobject_cast<QLineEdit *>(control) && !qobject_cast<QPlainTextEdit *>(control) &&
            !qobject_cast<QPushButton *>(control))
            continue;
        const QString name =
            QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
        QVERIFY2(!name.isEmpty() && name != QLatin1String("..."),
                 qPrintable(control->objectName()));
        names.append(name);
    }
    QCOMPARE(names.size(), 12);
    QVERIFY(names.contains(QStringLiteral("Choose Background Image")));
    QVERIFY(names.contains(QStringLiteral("Choose Folder To Save Results")));
    QVERIFY(names.contains(QStringLiteral("Survey Questions")));
    names.removeDuplicates();
    QCOMPARE(names.size(), 12);
    // What Name and E-mail do to the page is said, to the eye and to the ear.
    for (const char *box : {"nameEdit", "emailEdit"}) {
        auto *control = m_form->findChild<QLineEdit *>(QLatin1String(box));
        const QString said =
            QAccessible::queryAccessibleInterface(control)->text(QAccessible::Description);
        QVERIFY2(said.startsWith(QStringLiteral("The page fills in every respondent's")), box);
        QCOMPARE(control->toolTip(), said);
    }
}

void TestKeyboardAndReaders::faultyLineIsToldWithoutAMouse() {
    auto *box = m_form->findChild<QuestionsTextBox *>(QStringLiteral("questionsEdit"));
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("[1] Fine?"));
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, QStringLiteral("[r"));
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(box);
    QVERIFY(reader->text(QAccessible::Description).contains(QStringLiteral("no closing bracket")));

    QTest::keyClick(box, Qt::Key_F1, Qt::ControlModifier);
    QTRY_VERIFY(QToolTip::isVisible());
    QVERIFY(QToolTip::text().contains(QStringLiteral("[r] a) Yes")));

    QTest::keyClick(box, Qt::Key_Up);
    QCOMPARE(reader->text(QAccessible::Description), QuestionsTextBox::markupDescription());
}

void TestKeyboardAndReaders::enterPressesTheFocusedButtonOnly_data() {
    QTest::addColumn<QString>("focused");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<int>("messages");

    QTest::newRow("Enter on Help") << "helpButton" << int(Qt::Key_Return) << false << 1;
    QTest::newRow("keypad Enter on Help") << "helpButton" << int(Qt::Key_Enter) << true << 1;
    QTest::newRow("Enter in the title") << "titleEdit" << int(Qt::Key_Return) << false << 0;
    QTest::newRow("Esc on Help") << "helpButton" << int(Qt::Key_Escape) << false << 0;
}

void TestKeyboardAndReaders::enterPressesTheFocusedButtonOnly() {
    QFETCH(QString, focused);
    QFETCH(int, key);
    QFETCH(bool, keypad);
    QFETCH(int, messages);
    QWidget *widget = m_form->findChild<QWidget *>(focused);
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key(key), keypad ? Qt::KeypadModifier : Qt::NoModifier);
    QCOMPARE(m_shown->platform.messages.size(), messages);
}

void TestKeyboardAndReaders::maximiseAndFullScreenAreRefused_data() {
    QTest::addColumn<int>("state");
    QTest::newRow("maximised") << int(Qt::WindowMaximized);
    QTest::newRow("full screen") << int(Qt::WindowFullScreen);
}

void TestKeyboardAndReaders::maximiseAndFullScreenAreRefused() {
    QFETCH(int, state);
    const QSize size = m_form->size();
    m_form->setWindowState(Qt::WindowState(state));
    QTRY_COMPARE(m_form->windowState(), Qt::WindowNoState);
    QCOMPARE(m_form->size(), size);
}

void TestKeyboardAndReaders::centredWithTheTitleBarOnScreen_data() {
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("client");

    QTest::newRow("large screen") << QRect(0, 0, 1920, 1040) << QPoint(692, 231);
    QTest::newRow("panel on the left and top") << QRect(64, 27, 1856, 1053) << QPoint(724, 264);
    // 1366x768 at scale 1.25, less a panel: the window is taller than the screen.
    QTest::newRow("small screen, scaled") << QRect(0, 0, 1093, 590) << QPoint(278, 30);
}

void TestKeyboardAndReaders::centredWithTheTitleBarOnScreen() {
    QFETCH(QRect, available);
    QFETCH(QPoint, client);
    QCOMPARE(centredClientPosition(QSize(536, 607), QMargins(1, 30, 1, 1), available), client);
}

QTEST_MAIN(TestKeyboardAndReaders)
#include "tst_keyboardandreaders.moc"
