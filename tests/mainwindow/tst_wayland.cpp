#include "messagebox.h"
#include "shownform.h"

#include <QGuiApplication>
#include <QTest>
#include <QWindow>

using namespace Velmora;

// Run natively on Wayland (tst_wayland.sh starts a headless weston): a title-bar
// request to maximise or go full screen must neither end the program nor change
// the window's size. A protocol error would end this process, failing the test.
class TestWayland : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void windowKeepsItsSize_data();
    void windowKeepsItsSize();
    void compositorAnswerIsTaken_data();
    void compositorAnswerIsTaken();
    void messageBoxShows();

private:
    void answerHeldBack(Qt::WindowState state);
};

void TestWayland::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
}

void TestWayland::windowKeepsItsSize_data() {
    QTest::addColumn<int>("state");
    QTest::newRow("maximise") << int(Qt::WindowMaximized);
    QTest::newRow("full screen") << int(Qt::WindowFullScreen);
}

void TestWayland::windowKeepsItsSize() {
    QFETCH(int, state);
    ShownForm shown;
    QVERIFY(shown.exposed());
    SurveyWindow &form = shown.form;
    const QSize size = form.size();

    // What Qt's title bar does when its maximise button is clicked. Whether the
    // compositor's answer comes before the window turns the state back is a race,
    // so the click comes several times.
    for (int click = 0; click < 8; ++click) {
        form.windowHandle()->setWindowState(Qt::WindowState(state));
        QTest::qWait(100 + 50 * (click % 3));
        QTRY_COMPARE(form.windowState(), Qt::WindowNoState);
        QCOMPARE(form.size(), size);
    }
    QTest::qWait(300);
    QVERIFY(form.isVisible());
}

void TestWayland::compositorAnswerIsTaken_data() {
    windowKeepsItsSize_data();
}

// The compositor's maximised configure can arrive before the window has turned
// the state back; holding the window's own answer back makes that certain. Not
// every compositor round answers alike, so it is tried with a few new windows.
void TestWayland::compositorAnswerIsTaken() {
    QFETCH(int, state);
    for (int window = 0; window < 4; ++window)
        answerHeldBack(Qt::WindowState(state));
}

void TestWayland::answerHeldBack(Qt::WindowState state) {
    ShownForm shown;
    QVERIFY(shown.exposed());
    SurveyWindow &form = shown.form;
    const QSize size = form.size();

    class HoldStateChanges : public QObject {
    public:
        bool eventFilter(QObject *, QEvent *event) override {
            return event->type() == QEvent::WindowStateChange;
        }
    } hold;
    form.installEventFilter(&hold);
    form.windowHandle()->setWindowState(state);
    QTest::qWait(400); // the configure is applied and answered: no protocol error
    form.removeEventFilter(&hold);

    form.windowHandle()->setWindowState(Qt::WindowNoState);
    QTRY_COMPARE(form.windowHandle()->windowState(), Qt::WindowNoState);
    QTRY_COMPARE(form.size(), size);
    QVERIFY(form.isVisible());
}

void TestWayland::messageBoxShows() {
    ShownForm shown;
    QVERIFY(shown.exposed());
    SurveyWindow &form = shown.form;
    MessageBox box(QStringLiteral("Velmora"), QStringLiteral("Done."), Platform::Icon::None, &form);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.windowHandle()->transientParent(), form.windowHandle());
}

QTEST_MAIN(TestWayland)
#include "tst_wayland.moc"
