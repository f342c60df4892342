#include "collectwindow.h"

#include "httpclient.h"
#include "pausedchild.h"
#include "workedexample.h"

#include <QAccessible>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/file.h>

using namespace Velmora;

class TestCollectWindow : public QObject {
    Q_OBJECT

private slots:
    void showsAddressesAndLiveCounts();
    void everyControlHasAName();
    void closingStopsCollecting();
    void answersThatCannotBeStoredShowNoCode();

private:
    std::unique_ptr<CollectWindow> open(QTemporaryDir &dir) {
        QFile page(dir.filePath(QStringLiteral("My Product Survey.htm")));
        page.open(QIODevice::WriteOnly);
        page.write(WorkedExample::page());
        page.close();
        CollectOptions options;
        options.folder = dir.path();
        options.local = true;
        options.port = 0; // any free port
        auto window = std::make_unique<CollectWindow>(options);
        window->show();
        return window;
    }
    static quint16 port(QWidget &window) {
        static const QRegularExpression address(QStringLiteral("^http://127\\.0\\.0\\.1:(\\d+)/$"));
        for (QLabel *label : window.findChildren<QLabel *>())
            if (const auto match = address.match(label->text()); match.hasMatch())
                return quint16(match.captured(1).toUInt());
        return 0;
    }
    static QStringList texts(QWidget &window) {
        QStringList all;
        for (QLabel *label : window.findChildren<QLabel *>())
            all.append(label->text());
        return all;
    }
};

void TestCollectWindow::showsAddressesAndLiveCounts() {
    QTemporaryDir dir;
    auto window = open(dir);
    const quint16 listening = port(*window);
    QVERIFY(listening != 0);
    QVERIFY(texts(*window).contains(QStringLiteral("My Product Survey")));
    QVERIFY(texts(*window).contains(QStringLiteral("0 answers")));

    QCOMPARE(httpExchange(listening, postRequest("/My%20Product%20Survey.htm", "2=+a%29")).status,
             303);
    QTRY_VERIFY_WITH_TIMEOUT(texts(*window).contains(QStringLiteral("1 answer")), 5000);
    // The latest log line, stamped with its time and the respondent's address.
    QVERIFY(!texts(*window)
                 .filter(QStringLiteral("127.0.0.1: 1 answers to My Product Survey"))
                 .isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(
        QFile::exists(dir.filePath(QStringLiteral("My Product Survey summary.html"))), 5000);

    // Closed from the window, and opened again.
    QPushButton *closeOrOpen = nullptr;
    for (QPushButton *button : window->findChildren<QPushButton *>())
        if (button->text() == QStringLiteral("Close Now"))
            closeOrOpen = button;
    QVERIFY(closeOrOpen);
    closeOrOpen->click();
    QVERIFY(texts(*window).contains(QStringLiteral("1 answer, closed")));
    QCOMPARE(closeOrOpen->text(), QStringLiteral("Open Now"));
    QVERIFY(httpExchange(listening, getRequest("/My%20Product%20Survey.htm"))
                .body.contains("This survey is closed"));
    closeOrOpen->click();
    QVERIFY(texts(*window).contains(QStringLiteral("1 answer")));
    QVERIFY(!httpExchange(listening, getRequest("/My%20Product%20Survey.htm"))
                 .body.contains("This survey is closed"));
}

void TestCollectWindow::everyControlHasAName() {
    QTemporaryDir dir;
    auto window = open(dir);
    int buttons = 0;
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(button);
        QVERIFY(accessible);
        QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(button->text()));
        ++buttons;
    }
    // Choose folder; open summary, answers, page; close now, schedule; stop.
    QCOMPARE(buttons, 7);
    bool code = false;
    for (QLabel *label : window->findChildren<QLabel *>())
        code = code || (!label->pixmap().isNull() &&
                        QAccessible::queryAccessibleInterface(label)
                            ->text(QAccessible::Name)
                            .startsWith(QStringLiteral("QR code of http://127.0.0.1:")));
    QVERIFY(code);
}

void TestCollectWindow::closingStopsCollecting() {
    QTemporaryDir dir;
    auto window = open(dir);
    const quint16 listening = port(*window);
    QCOMPARE(httpExchange(listening, getRequest("/")).status, 200);
    window->close();
    // Refused outright: nothing is left listening on the port.
    QVERIFY(!LoopbackConnection(listening).connected());
}

void TestCollectWindow::answersThatCannotBeStoredShowNoCode() {
    QTemporaryDir dir;
    // Another collector on the same folder holds the answers file.
    const QByteArray answers = QFile::encodeName(dir.filePath("My Product Survey answers.csv"));
    auto other = std::make_unique<PausedChild>(
        [&] { ::flock(::open(answers.constData(), O_RDWR | O_CREAT, 0600), LOCK_EX); });
    QVERIFY(other->ready());
    auto window = open(dir);
    const auto codes = [&window] {
        int shown = 0;
        for (QLabel *label : window->findChildren<QLabel *>())
            shown += label->accessibleName().startsWith(QStringLiteral("QR code of"));
        return shown;
    };
    QTRY_VERIFY_WITH_TIMEOUT(texts(*window).contains(QStringLiteral(
                                 "Answers cannot be stored: another program is writing to My "
                                 "Product Survey answers.csv. Respondents are asked to try again "
                                 "later.")),
                             5000);
    QCOMPARE(codes(), 0);

    other.reset();
    QTRY_VERIFY_WITH_TIMEOUT(codes() > 0, 5000);
}

QTEST_MAIN(TestCollectWindow)
#include "tst_collectwindow.moc"
