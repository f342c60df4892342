// The window's figures: time from keystroke to synced settings file while the
// questions box holds 100 KB and 1 MB, and start-up time against a bare window.
// With --start-up it measures only the start-up, on the platform QT_QPA_PLATFORM names.
// With --large: a survey of 5 and 20 MB stored, the window's start-up, keystrokes,
// and the longest time the window goes without painting while the survey loads
// and while Ctrl+End, Ctrl+A + Delete or "Load Sample/Example Survey" are pressed
// right after start.
#include "multilinetextbox.h"
#include "silentplatform.h"
#include "surveywindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Velmora;

namespace {

QString questionText(qsizetype bytes) {
    const QString block =
        QStringLiteral("[1] How would you rate it?\r\n[r] a) Good\r\n[r] b) Poor\r\n[s]\r\n\r\n");
    QString text;
    while (text.size() < bytes)
        text += block;
    text.truncate(bytes);
    return text;
}

void printPercentiles(const char *what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-46s median %6.2f ms  p99 %6.2f ms  max %6.2f ms  (%zu samples)\n", what,
                ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back(), ms.size());
}

// Types `count` keystrokes into `questions`, two letters and an erase in turn, and
// times each: with `waitForDisk` until its text is in the settings file.
std::vector<double> timeKeystrokes(QPlainTextEdit *questions, SettingsStore &store, int count,
                                   bool waitForDisk) {
    std::vector<double> ms;
    QElapsedTimer timer;
    for (int i = 0; i < count; ++i) {
        const bool erase = i % 3 == 2;
        QKeyEvent press(QEvent::KeyPress, erase ? Qt::Key_Backspace : Qt::Key_A, Qt::NoModifier,
                        erase ? QString() : QStringLiteral("a"));
        timer.start();
        QApplication::sendEvent(questions, &press);
        if (waitForDisk)
            store.waitForWrites();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        QCoreApplication::processEvents(); // let the box repaint between keystrokes
    }
    return ms;
}

// Types 200 keystrokes into the questions box. With `waitForDisk` every keystroke
// is timed until its text is in the settings file; without it only the time the
// keystroke holds the UI thread is counted, while the writer keeps up behind it.
void typing(qsizetype bytes, bool waitForDisk, const char *label) {
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    SilentPlatform platform(settings.path());
    SettingsStore store;
    SurveyWindow form(platform, store);
    auto *questions = form.findChild<QPlainTextEdit *>(QStringLiteral("questionsEdit"));
    questions->setPlainText(questionText(bytes));
    questions->moveCursor(QTextCursor::End);
    form.show();
    QCoreApplication::processEvents();

    const std::vector<double> ms = timeKeystrokes(questions, store, 200, waitForDisk);
    store.waitForWrites();
    const QString stored = store.value(QStringLiteral("Survey Questions"));
    printPercentiles(label, ms);
    if (stored != questions->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")))
        std::printf("  the settings file does NOT hold the last text\n");
}

// Child mode: start, show, and report once the window is on screen. With a
// settings folder the form starts with what is stored there.
int showAndQuit(const QByteArray &mode, const QString &storedSettings) {
    QTemporaryDir settings;
    const QString folder = storedSettings.isEmpty() ? settings.path() : storedSettings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    SilentPlatform platform(folder);
    SettingsStore store;
    std::unique_ptr<QWidget> window;
    if (mode != "form") {
        window = std::make_unique<QWidget>();
        window->setFixedSize(536, 607);
        // Any window that shows text pays for reading the font configuration once.
        if (mode == "label")
            new QLabel(QStringLiteral("Start Creating Survey"), window.get());
    } else {
        auto form = std::make_unique<SurveyWindow>(platform, store);
        form->startUp();
        window = std::move(form);
    }
    window->show();
    while (!window->windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QCoreApplication::processEvents();
    std::printf("shown\n");
    std::fflush(stdout);
    return 0;
}

// The three kinds of window start in turn, round after round, so that a busy
// moment of the machine falls on all of them alike.
void startUp() {
    const char *modes[] = {"bare", "label", "form"};
    std::vector<double> ms[3];
    for (int run = 0; run < 30; ++run) {
        for (int m = 0; m < 3; ++m) {
            QProcess child;
            QElapsedTimer timer;
            timer.start();
            child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(modes[m])});
            child.waitForReadyRead(30000);
            ms[m].push_back(double(timer.nsecsElapsed()) / 1e6);
            child.waitForFinished();
        }
    }
    for (int m = 0; m < 3; ++m)
        printPercentiles(
            qPrintable(QStringLiteral("start-up to window shown, %1").arg(QLatin1String(modes[m]))),
            ms[m]);
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("form / one-label window %.2f (goal at most 1.30), form / bare window %.2f,"
                " on the %s platform\n",
                median(ms[2]) / median(ms[1]), median(ms[2]) / median(ms[0]),
                qPrintable(QGuiApplication::platformName()));
}

// The window started with a large survey stored: how long until it is on the
// screen, and then how long a keystroke takes to reach the disk.
void largeStoredSurvey(qsizetype bytes) {
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    {
        SettingsStore store;
        store.save(QStringLiteral("Survey Questions"), questionText(bytes));
        store.waitForWrites();
    }
    std::vector<double> ms;
    for (int run = 0; run < 5; ++run) {
        QProcess child;
        QElapsedTimer timer;
        timer.start();
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("form"), settings.path()});
        child.waitForReadyRead(120000);
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        child.waitForFinished(120000);
    }
    const QString label = QStringLiteral("start-up to window shown, %1 MB stored")
                              .arg(double(bytes) / (1024 * 1024), 0, 'f', 0);
    printPercentiles(qPrintable(label + QStringLiteral(" (goal 500 ms)")), ms);

    SilentPlatform platform(settings.path());
    SettingsStore store;
    SurveyWindow form(platform, store);
    form.startUp();
    form.show();
    QCoreApplication::processEvents();
    auto *questions = form.findChild<QPlainTextEdit *>(QStringLiteral("questionsEdit"));
    questions->setFocus();
    questions->moveCursor(QTextCursor::End);
    store.waitForWrites();
    ms = timeKeystrokes(questions, store, 20, true);
    const QString typed = QStringLiteral("keystroke to synced file right after start, %1 MB")
                              .arg(double(bytes) / (1024 * 1024), 0, 'f', 0);
    printPercentiles(qPrintable(typed + QStringLiteral(" (goal 100 ms)")), ms);
}

// Starts the window with `bytes` of survey stored, does `action` at once, and
// runs until the whole survey is in the box: the longest time the event loop
// went without a turn is the longest the window went without painting.
void pausesWhileLoading(qsizetype bytes, const QString &action) {
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    {
        SettingsStore store;
        store.save(QStringLiteral("Survey Questions"), questionText(bytes));
        store.waitForWrites();
    }
    SilentPlatform platform(settings.path());
    SettingsStore store;
    SurveyWindow form(platform, store);
    QElapsedTimer clock;
    clock.start();
    form.startUp();
    form.show();
    QCoreApplication::processEvents();
    const qint64 shown = clock.elapsed();
    auto *questions = form.findChild<MultiLineTextBox *>(QStringLiteral("questionsEdit"));
    questions->setFocus();

    qint64 last = clock.elapsed();
    qint64 worst = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        worst = std::max(worst, clock.elapsed() - last);
        last = clock.elapsed();
    });
    ticker.start(5);
    auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(questions, &event);
    };
    if (action == QLatin1String("Ctrl+End")) {
        press(Qt::Key_End, Qt::ControlModifier);
    } else if (action == QLatin1String("Ctrl+A + Delete")) {
        press(Qt::Key_A, Qt::ControlModifier);
        press(Qt::Key_Delete, Qt::NoModifier);
    } else if (action == QLatin1String("Load Sample")) {
        form.findChild<QPushButton *>(QStringLiteral("sampleButton"))->click();
    }
    worst = std::max(worst, clock.elapsed() - last); // what the action itself held
    last = clock.elapsed();
    while (questions->isLoading() && clock.elapsed() < 300000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QCoreApplication::processEvents();
    worst = std::max(worst, clock.elapsed() - last);
    const bool atTheEnd = action != QLatin1String("Ctrl+End") || questions->textCursor().atEnd();
    std::printf("%-46s longest without painting %5lld ms (goal 100), all in %6lld ms%s\n",
                qPrintable(QStringLiteral("%1 MB, %2 right after start")
                               .arg(double(bytes) / (1024 * 1024), 0, 'f', 0)
                               .arg(action.isEmpty() ? QStringLiteral("nothing") : action)),
                worst, clock.elapsed() - shown, atTheEnd ? "" : "  (the cursor is NOT at the end)");
    store.waitForWrites();
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--start-up") == 0) {
        startUp();
        return 0;
    }
    if (argc > 1 && qstrcmp(argv[1], "--large") == 0) {
        largeStoredSurvey(5 * 1024 * 1024);
        largeStoredSurvey(20 * 1024 * 1024);
        for (const char *action : {"", "Ctrl+End", "Ctrl+A + Delete", "Load Sample"})
            pausesWhileLoading(20 * 1024 * 1024, QString::fromLatin1(action));
        return 0;
    }
    if (argc > 1)
        return showAndQuit(argv[1], argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString());
    typing(100 * 1024, true, "keystroke to synced file, 100 KB questions");
    typing(1024 * 1024, true, "keystroke to synced file, 1 MB questions");
    typing(100 * 1024, false, "keystroke on the UI thread, 100 KB highlighted");
    typing(1024 * 1024, false, "keystroke on the UI thread, 1 MB highlighted");
    largeStoredSurvey(5 * 1024 * 1024);
    startUp();
    return 0;
}
