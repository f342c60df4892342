#include "answersfile.h"
#include "collector.h"
#include "collectsession.h"
#include "httpserver.h"
#include "runtimeerror.h"

#include "filecontent.h"
#include "httpclient.h"
#include "sampleanswer.h"
#include "smallfilesystem.h"
#include "workedexample.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <atomic>
#include <csignal>
#include <mutex>
#include <thread>

using namespace Velmora;

// The collector over real sockets on 127.0.0.1.
class TestCollectServer : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void badRequestsGetTheirStatus_data();
    void badRequestsGetTheirStatus();
    void concurrentPostsAreAllStoredAndAcknowledged();
    void slowClientsDoNotLockOthersOut();
    void tricklingRequestsAreCutOffByTime_data();
    void tricklingRequestsAreCutOffByTime();
    void downloadsLastAsLongAsTheClientReads_data();
    void downloadsLastAsLongAsTheClientReads();
    void localServesBothLoopbacks();
    void answersAreRemovedFromTheCommandLine();
    void resultsTokenIsKeptOwnerOnly();
    void fullDiskGives503AndKeepsTheFile();
    void killedDuringLoadKeepsEveryAcknowledgedAnswer();

private:
    void serve(const QString &folder, HttpServer::Limits limits = {}) {
        m_collector = std::make_unique<Collector>(
            folder, [] { return QDateTime::currentDateTime(); },
            [this](const QString &line) {
                std::lock_guard lock(m_logMutex);
                m_logged.append(line);
            });
        m_server = std::make_unique<HttpServer>(
            [this](const HttpRequest &request, Collector::Reply reply) {
                m_collector->handle(request, std::move(reply));
            },
            limits);
        QVERIFY(m_server->listen(true, 0));
    }
    void writePage(const QString &folder) {
        QFile page(folder + QStringLiteral("/My Product Survey.htm"));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write(WorkedExample::page());
    }
    QString answersPath(const QString &folder) const {
        return folder + QStringLiteral("/My Product Survey answers.csv");
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Collector> m_collector;
    std::unique_ptr<HttpServer> m_server;
    std::mutex m_logMutex;
    QStringList m_logged;
};

void TestCollectServer::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    writePage(m_dir->path());
    QFile secret(m_dir->filePath(QStringLiteral("secret.txt")));
    QVERIFY(secret.open(QIODevice::WriteOnly));
    secret.write("secret");
}

void TestCollectServer::cleanup() {
    m_server.reset();
    m_collector.reset();
}

void TestCollectServer::badRequestsGetTheirStatus_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("status");

    const QByteArray form = "application/x-www-form-urlencoded";
    QTest::newRow("PUT") << QByteArray("PUT " + SamplePage +
                                       " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n"
                                       "Content-Length: 3\r\n\r\na=b")
                         << 405;
    QTest::newRow("JSON") << postRequest(SamplePage, "{}", "application/json") << 415;
    QTest::newRow("broken encoding") << postRequest(SamplePage, "1=%%%") << 400;
    QTest::newRow("unknown page") << postRequest("/nothing.htm", sampleAnswer("x")) << 404;
    QTest::newRow("announced body over 1 MiB, never sent")
        << QByteArray("POST " + SamplePage +
                      " HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Type: " + form +
                      "\r\nContent-Length: 1048577\r\n\r\n")
        << 413;
    QByteArray chunked = "POST " + SamplePage +
                         " HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Type: " + form +
                         "\r\nTransfer-Encoding: chunked\r\n\r\n";
    for (int i = 0; i < 17; ++i)
        chunked += "10000\r\n" + QByteArray(0x10000, 'a') + "\r\n";
    QTest::newRow("chunked body over 1 MiB") << chunked + "0\r\n\r\n" << 413;
    // What RFC 9112 says to refuse: a body whose length two headers give
    // differently, or both ways; whitespace before a colon; HTTP/1.1 without Host.
    const QByteArray answer = sampleAnswer("smuggled");
    const QByteArray start =
        "POST " + SamplePage + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Type: " + form;
    QTest::newRow("two Content-Lengths that differ")
        << start + "\r\nContent-Length: 5\r\nContent-Length: " + QByteArray::number(answer.size()) +
               "\r\n\r\n" + answer
        << 400;
    QTest::newRow("Content-Length with chunked")
        << start + "\r\nContent-Length: " + QByteArray::number(answer.size()) +
               "\r\nTransfer-Encoding: chunked\r\n\r\n" + QByteArray::number(answer.size(), 16) +
               "\r\n" + answer + "\r\n0\r\n\r\n"
        << 400;
    QTest::newRow("whitespace before the colon")
        << start + "\r\nContent-Length : " + QByteArray::number(answer.size()) + "\r\n\r\n" + answer
        << 400;
    QTest::newRow("HTTP/1.1 without Host")
        << QByteArray(
               "POST " + SamplePage + " HTTP/1.1\r\nConnection: close\r\nContent-Type: " + form +
               "\r\nContent-Length: " + QByteArray::number(answer.size()) + "\r\n\r\n" + answer)
        << 400;
    QTest::newRow("headers over 32 KiB")
        << QByteArray("GET / HTTP/1.1\r\nHost: x\r\nConnection: close\r\nX-Pad: " +
                      QByteArray(40000, 'p') + "\r\n\r\n")
        << 431;
    for (const char *path :
         {"/../secret.txt", "/..%2Fsecret.txt", "/%2e%2e%2fsecret.txt", "/secret.txt",
          "/My%20Product%20Survey%20answers.csv", "/%5Csecret.txt", "/.%2E/.%2E/etc/passwd",
          "/My%20Product%20Survey.htm%00"})
        QTest::newRow(path) << getRequest(path) << 404;
}

void TestCollectServer::badRequestsGetTheirStatus() {
    QFETCH(QByteArray, request);
    QFETCH(int, status);
    serve(m_dir->path());
    httpExchange(m_server->port(),
                 postRequest(SamplePage, sampleAnswer("first"))); // the answers file exists
    const QByteArray before = fileContent(answersPath(m_dir->path()));

    const HttpReply reply = httpExchange(m_server->port(), request);
    QCOMPARE(reply.status, status);
    QVERIFY(!reply.body.contains("secret"));
    QVERIFY(!reply.body.contains("Received"));
    QCOMPARE(fileContent(answersPath(m_dir->path())), before);
}

void TestCollectServer::concurrentPostsAreAllStoredAndAcknowledged() {
    HttpServer::Limits limits;
    limits.connectionsPerAddress = 256;
    serve(m_dir->path(), limits);
    constexpr int Posts = 200;
    std::atomic<int> acknowledged = 0;
    std::vector<std::thread> clients;
    for (int i = 0; i < Posts; ++i)
        clients.emplace_back([&, i] {
            const HttpReply reply = httpExchange(
                m_server->port(), postRequest(SamplePage, sampleAnswer(QString::number(i))));
            if (reply.status == 303 &&
                reply.header("Location").startsWith("My%20Product%20Survey.htm?answered="))
                ++acknowledged;
        });
    for (std::thread &client : clients)
        client.join();

    QCOMPARE(acknowledged.load(), Posts);
    const QList<QStringList> records =
        AnswersFile::parseRecords(fileContent(answersPath(m_dir->path())));
    QCOMPARE(records.size(), 1 + Posts);
    QSet<QString> ids;
    for (qsizetype i = 1; i < records.size(); ++i)
        ids.insert(records[i].value(4));
    QCOMPARE(ids.size(), Posts);
}

void TestCollectServer::slowClientsDoNotLockOthersOut() {
    HttpServer::Limits limits;
    limits.connectionsPerAddress = 8;
    serve(m_dir->path(), limits);
    // Eight connections that send half a request and then nothing.
    std::vector<std::unique_ptr<LoopbackConnection>> slow;
    for (int i = 0; i < 8; ++i) {
        slow.push_back(std::make_unique<LoopbackConnection>(m_server->port(), "127.0.0.2"));
        QVERIFY(slow.back()->send("POST " + SamplePage + " HTTP/1.1\r\nHost: x\r\n"));
    }
    QTest::qWait(200);
    LoopbackConnection ninth(m_server->port(), "127.0.0.2");
    ninth.send(getRequest("/"));
    const HttpReply busy = ninth.receive(); // over the limit of its address: told, not cut off
    QCOMPARE(busy.status, 503);
    QCOMPARE(busy.header("Retry-After"), QByteArray("5"));

    // Someone else is still served at once.
    QCOMPARE(httpExchange(m_server->port(), postRequest(SamplePage, sampleAnswer("other"))).status,
             303);
}

void TestCollectServer::tricklingRequestsAreCutOffByTime_data() {
    QTest::addColumn<QByteArray>("start");

    QTest::newRow("headers that never end") << QByteArray("GET / HTTP/1.1\r\nHost: x\r\n");
    QTest::newRow("a body that never ends")
        << QByteArray("POST " + SamplePage +
                      " HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded"
                      "\r\nContent-Length: 100000\r\n\r\n1=");
}

void TestCollectServer::tricklingRequestsAreCutOffByTime() {
    QFETCH(QByteArray, start);
    HttpServer::Limits limits;
    limits.idleSeconds = 1;
    limits.requestSeconds = 1;
    serve(m_dir->path(), limits);
    LoopbackConnection slow(m_server->port(), "127.0.0.3");
    QVERIFY(slow.send(start));

    // A byte every 100 ms keeps any idle timer from running out; the time
    // allowed for the whole request still does.
    QElapsedTimer timer;
    timer.start();
    bool open = true;
    while (open && timer.elapsed() < 8000) {
        QTest::qWait(100);
        open = slow.send("x");
    }
    QVERIFY2(!open, "the trickling connection is still open");
    // How soon is a figure for the benchmarks; that it is cut off at all is the test.
    qInfo("cut off after %lld ms", timer.elapsed());
    QCOMPARE(httpExchange(m_server->port(), getRequest(SamplePage)).status, 200);
}

void TestCollectServer::downloadsLastAsLongAsTheClientReads_data() {
    QTest::addColumn<int>("firstReadMs"); // after the request
    QTest::addColumn<bool>("whole");
    QTest::newRow("read slowly, for longer than a request may take") << 0 << true;
    QTest::newRow("not read for longer than that: cut off") << 4000 << false;
}

void TestCollectServer::downloadsLastAsLongAsTheClientReads() {
    QFETCH(int, firstReadMs);
    QFETCH(bool, whole);
    HttpServer::Limits limits;
    limits.idleSeconds = 1;
    limits.requestSeconds = 1;
    serve(m_dir->path(), limits);
    const QByteArray token = "0123456789abcdef0123456789abcdef";
    m_collector->setResultsToken(token);
    QCOMPARE(httpExchange(m_server->port(), postRequest(SamplePage, sampleAnswer("first"))).status,
             303);
    // A large answers file: 8 MiB, sent from the disk.
    QFile answers(answersPath(m_dir->path()));
    QVERIFY(answers.open(QIODevice::Append));
    const QByteArray row = "\"" + QByteArray(1020, 'x') + "\"\r\n";
    for (int i = 0; i < 8 * 1024; ++i)
        answers.write(row);
    answers.close();
    const qint64 size = answers.size();

    LoopbackConnection client(m_server->port(), "127.0.0.1", 16 * 1024);
    QVERIFY(client.send(getRequest("/results/" + token + "/My%20Product%20Survey%20answers.csv")));
    QElapsedTimer timer;
    timer.start();
    QTest::qWait(firstReadMs);
    qint64 received = 0;
    char buffer[16384];
    for (ssize_t n;
         timer.elapsed() < 60000 && (n = ::recv(client.fd(), buffer, sizeof buffer, 0)) > 0;) {
        received += n;
        QTest::qWait(5); // about three megabytes a second at most
    }
    qInfo("%lld of %lld bytes in %lld ms", received, size, timer.elapsed());
    QCOMPARE(received > size, whole); // the head as well as the whole file
    QVERIFY(timer.elapsed() > 1000);
}

void TestCollectServer::answersAreRemovedFromTheCommandLine() {
    serve(m_dir->path());
    const QByteArray test = "0123456789abcdef0123456789abcdef";
    QCOMPARE(httpExchange(m_server->port(),
                          postRequest(SamplePage, "UserName=test&velmora-answer-id=" + test))
                 .status,
             303);
    cleanup(); // no collector runs on the folder now
    const auto run = [this](const QStringList &options) {
        QProcess program;
        program.start(QStringLiteral(VELMORA_COLLECT_BINARY), QStringList{m_dir->path()} + options);
        return program.waitForFinished(30000) ? program.exitCode() : -1;
    };
    const auto holds = [this](const QString &name, const QByteArray &text) {
        return fileContent(m_dir->filePath(name)).contains(text);
    };
    const QString answers = QStringLiteral("My Product Survey answers.csv");
    const QString aside = QStringLiteral("My Product Survey answers removed.csv");
    QCOMPARE(run({QStringLiteral("--remove-answer"), QString::fromLatin1(test)}), 0);
    QVERIFY(!holds(answers, "\"test\"") && holds(aside, "\"test\""));
    QCOMPARE(run({QStringLiteral("--remove-answer"), QString(32, u'f')}), 1); // no such answer
    QCOMPARE(run({QStringLiteral("--restore-answer"), QString::fromLatin1(test)}), 0);
    QVERIFY(holds(answers, "\"test\"") && !holds(aside, "\"test\""));
}

void TestCollectServer::localServesBothLoopbacks() {
    serve(m_dir->path());
    QCOMPARE(httpExchange(m_server->port(), getRequest(SamplePage)).status, 200);

    const int fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        QSKIP("skipped: this machine has no IPv6");
    sockaddr_in6 server{};
    server.sin6_family = AF_INET6;
    server.sin6_port = htons(m_server->port());
    server.sin6_addr = in6addr_loopback;
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr *>(&server), sizeof server) == 0;
    QByteArray reply;
    if (connected) {
        const QByteArray request = getRequest(SamplePage);
        QCOMPARE(::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL),
                 ssize_t(request.size()));
        char buffer[4096];
        for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
            reply.append(buffer, n);
    }
    ::close(fd);
    QVERIFY2(connected, "nothing listens on [::1]");
    QVERIFY2(reply.startsWith("HTTP/1.1 200"), reply.left(40).constData());
}

void TestCollectServer::resultsTokenIsKeptOwnerOnly() {
    CollectOptions options;
    options.folder = m_dir->path();
    options.local = true;
    const auto startOnce = [&] {
        options.port = freePort();
        CollectSession session(options);
        QString error;
        if (!session.start(&error))
            return QString();
        const QString address = session.resultsAddress();
        const QByteArray path = QUrl(address).path(QUrl::FullyEncoded).toLatin1();
        return httpExchange(*options.port, getRequest(path)).status == 200
                   ? address.section(u'/', 4, 4)
                   : QStringLiteral("<not served>");
    };
    const QString first = startOnce();
    QCOMPARE(first.size(), 32); // 128 bits
    QCOMPARE(startOnce(), first);
    const QString tokenFile = m_dir->filePath(QStringLiteral(".velmora-results-token"));
    QCOMPARE(QFileInfo(tokenFile).permissions() & QFile::Permissions(0xF0FF),
             QFile::ReadOwner | QFile::WriteOwner);
    options.newResultsToken = true;
    const QString replaced = startOnce();
    QCOMPARE(replaced.size(), 32);
    QVERIFY(replaced != first);
}

void TestCollectServer::fullDiskGives503AndKeepsTheFile() {
    SmallFileSystem disk(128);
    REQUIRE_SMALL_FILE_SYSTEM(disk);
    writePage(disk.path());
    serve(disk.path());
    const QByteArray kept = "&velmora-answer-id=" + QByteArray(32, 'a');
    const QByteArray removed = "&velmora-answer-id=" + QByteArray(32, 'b');
    QCOMPARE(httpExchange(m_server->port(), postRequest(SamplePage, sampleAnswer("before") + kept))
                 .status,
             303);
    QCOMPARE(httpExchange(m_server->port(), postRequest(SamplePage, sampleAnswer("test") + removed))
                 .status,
             303);
    const QString page = QStringLiteral("My Product Survey.htm");
    QCOMPARE(m_collector->moveAnswers(page, {QString(32, u'b')}, false), 1);
    const QString aside = AnswersFile::removedPath(answersPath(disk.path()));
    const QByteArray before = fileContent(answersPath(disk.path()));
    const QByteArray asideBefore = fileContent(aside);
    const QStringList files = disk.files();
    disk.fill();

    // Removing or bringing back an answer moves nothing: both files stay as they
    // were, and the organiser is told.
    for (const auto &[id, restore] :
         {std::pair{QString(32, u'a'), false}, std::pair{QString(32, u'b'), true}}) {
        QString failure;
        try {
            m_collector->moveAnswers(page, {id}, restore);
        } catch (const RuntimeError &error) {
            failure = error.description();
        }
        QVERIFY2(failure.contains(QStringLiteral("No space left")), qPrintable(failure));
    }
    QCOMPARE(fileContent(aside), asideBefore);
    QCOMPARE(disk.files(), files);

    for (int i = 0; i < 5; ++i) {
        const HttpReply reply = httpExchange(
            m_server->port(),
            postRequest(SamplePage, sampleAnswer("x") + "&4=" + QByteArray(19000, 'x')));
        QCOMPARE(reply.status, 503);
        QVERIFY(reply.body.contains("not saved"));
    }
    QCOMPARE(fileContent(answersPath(disk.path())), before);
    QCOMPARE(fileContent(aside), asideBefore);

    disk.free();
    QCOMPARE(httpExchange(m_server->port(), postRequest(SamplePage, sampleAnswer("after"))).status,
             303);
    // The reason once, then how many more: not five lines that bury the rest.
    std::lock_guard lock(m_logMutex);
    const QStringList refused = m_logged.filter(QStringLiteral("NOT saved"));
    QCOMPARE(refused.size(), 2);
    QVERIFY2(refused[0].startsWith(QStringLiteral("An answer to My Product Survey was NOT saved: "
                                                  "No space left on device")),
             qPrintable(refused[0]));
    QVERIFY2(refused[1].startsWith(QStringLiteral("4 more answers were NOT saved: No space")),
             qPrintable(refused[1]));
}

void TestCollectServer::killedDuringLoadKeepsEveryAcknowledgedAnswer() {
    const quint16 port = freePort();
    QProcess collector;
    collector.start(QStringLiteral(VELMORA_COLLECT_BINARY),
                    {m_dir->path(), QStringLiteral("--port"), QString::number(port),
                     QStringLiteral("--local")});
    QVERIFY(collector.waitForReadyRead(10000));

    std::atomic<bool> loading = true;
    std::mutex mutex;
    QStringList acknowledged;
    std::vector<std::thread> clients;
    for (int c = 0; c < 8; ++c)
        clients.emplace_back([&, c] {
            for (int i = 0; loading; ++i) {
                const QString id = QStringLiteral("%1-%2").arg(c).arg(i);
                if (httpExchange(port, postRequest(SamplePage, sampleAnswer(id))).status == 303) {
                    std::lock_guard lock(mutex);
                    acknowledged.append(id);
                }
            }
        });
    QTest::qWait(1500);
    ::kill(pid_t(collector.processId()), SIGKILL);
    collector.waitForFinished();
    loading = false;
    for (std::thread &client : clients)
        client.join();

    // A write cut short by the kill may leave a last record unfinished; it was
    // never acknowledged, and the next start removes it before anything else.
    const QByteArray killed = fileContent(answersPath(m_dir->path()));
    collector.start(QStringLiteral(VELMORA_COLLECT_BINARY),
                    {m_dir->path(), QStringLiteral("--port"), QString::number(port),
                     QStringLiteral("--local")});
    QVERIFY(collector.waitForReadyRead(10000));
    collector.terminate();
    QVERIFY(collector.waitForFinished(10000));
    const QByteArray csv = fileContent(answersPath(m_dir->path()));
    QVERIFY(killed.startsWith(csv));
    qsizetype complete = 0;
    const QList<QStringList> records = AnswersFile::parseRecords(csv, &complete);
    QCOMPARE(complete, csv.size()); // no half record: the file parses whole
    QSet<QString> stored;
    for (qsizetype i = 1; i < records.size(); ++i) {
        QCOMPARE(records[i].size(), records[0].size());
        stored.insert(records[i].value(4));
    }
    QVERIFY2(acknowledged.size() > 10, "the load reached the collector");
    for (const QString &id : std::as_const(acknowledged))
        QVERIFY2(stored.contains(id), qPrintable(id));
    qInfo("%lld answers acknowledged before kill -9, %lld in the file",
          qsizetype(acknowledged.size()), qsizetype(stored.size()));
}

QTEST_GUILESS_MAIN(TestCollectServer)
#include "tst_collectserver.moc"
