// The collector under load, side by side with nginx in the same run and with the
// same client (wrk, 64 kept-alive connections, 2 threads, 5 s a round):
// - GET the survey page: velmora-collect against nginx serving the file;
// - POST an answer: velmora-collect, which stores it with fdatasync, against
//   nginx answering the same POST with a bare 303 and storing nothing;
// - answers a second against a plain loop of append plus fdatasync;
// - p99 latency of an answer;
// - the collector's memory with 10,000 open connections;
// - its memory while 2,000 connections from two addresses hold unfinished
//   bodies of answers, and while 10,300 from one address send nothing;
// - HTTPS: full and resumed handshakes a second (openssl s_time, one client)
//   and the server's CPU time for each, beside nginx on the same certificate.
// Needs wrk, nginx and openssl (scripts/deps.sh installs them).
//
// With --database, answers go to PostgreSQL instead (a throwaway cluster
// started here, as the tests start theirs): one collector and then two, 64
// clients in all, each answer with an answer ID of its own, against pgbench
// inserting the same rows with 64 clients into the same server in the same run.
#include "answersfile.h"
#include "createsurvey.h"
#include "pgconnection.h"
#include "samplesurvey.h"
#include "silentplatform.h"

#include "../tests/common/httpclient.h"
#include "../tests/common/processmemory.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

const QByteArray Page = "/My%20Product%20Survey.htm";
const QByteArray Answers = "UserName=Ann+Lee&UserEmail=ann%40example.org&1=A+phone&2=+a%29&"
                           "3%29+a%29=on&3%29+b%29=on&4=Works+well%2C+thanks.&"
                           "14%3A03%3A27%7C08-31-2021=FINISHED";

struct Round {
    double perSecond = 0;
    double p99Ms = 0;
    QByteArray output;
};

double milliseconds(const QString &text) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("([0-9.]+)(us|ms|s)")).match(text);
    const double value = m.captured(1).toDouble();
    return m.captured(2) == QLatin1String("us")  ? value / 1000
           : m.captured(2) == QLatin1String("s") ? value * 1000
                                                 : value;
}

QStringList wrkArguments(quint16 port, const QString &script, int connections = 64,
                         const QStringList &scriptArguments = {}) {
    QStringList arguments{QStringLiteral("-t2"), QStringLiteral("-c%1").arg(connections),
                          QStringLiteral("-d5s"), QStringLiteral("--latency")};
    if (!script.isEmpty())
        arguments << QStringLiteral("-s") << script;
    arguments << QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(QString::fromLatin1(Page));
    if (!scriptArguments.isEmpty())
        arguments << QStringLiteral("--") << scriptArguments;
    return arguments;
}

Round roundOf(QProcess &process) {
    process.waitForFinished(60000);
    Round round;
    round.output = process.readAllStandardOutput();
    const QString text = QString::fromLatin1(round.output);
    round.perSecond = QRegularExpression(QStringLiteral("Requests/sec:\\s+([0-9.]+)"))
                          .match(text)
                          .captured(1)
                          .toDouble();
    round.p99Ms = milliseconds(
        QRegularExpression(QStringLiteral("\\n\\s+99%\\s+(\\S+)")).match(text).captured(1));
    return round;
}

Round wrk(quint16 port, const QString &script, int connections = 64,
          const QStringList &scriptArguments = {}) {
    QProcess process;
    process.start(QStringLiteral("wrk"), wrkArguments(port, script, connections, scriptArguments));
    return roundOf(process);
}

// Rows per second that a loop of write plus fdatasync reaches here.
double plainAppendRate(const QString &folder, const QByteArray &row) {
    const int fd = ::open(QFile::encodeName(folder + QStringLiteral("/plain.csv")).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    QElapsedTimer timer;
    timer.start();
    int rows = 0;
    while (timer.elapsed() < 3000) {
        if (::write(fd, row.constData(), size_t(row.size())) != row.size() || ::fdatasync(fd) != 0)
            break;
        ++rows;
    }
    ::close(fd);
    return rows / (double(timer.nsecsElapsed()) / 1e9);
}

bool waitForPort(quint16 port) {
    QElapsedTimer starting;
    starting.start();
    while (!LoopbackConnection(port).connected()) {
        if (starting.elapsed() > 10000)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void writeSampleSurvey(const QString &folder) {
    SilentPlatform platform;
    Velmora::CreateSurveyCommand(platform).run(
        Velmora::sampleSurveyFields(folder + QLatin1Char('/'), QString()), QString());
}

// One client measures here, far beyond any one respondent's rate.
const QStringList Unlimited{QStringLiteral("--local"),
                            QStringLiteral("--quiet"),
                            QStringLiteral("--max-connections"),
                            QStringLiteral("12000"),
                            QStringLiteral("--connections-per-address"),
                            QStringLiteral("12000"),
                            QStringLiteral("--request-burst"),
                            QStringLiteral("1e9"),
                            QStringLiteral("--requests-per-second"),
                            QStringLiteral("1e9"),
                            QStringLiteral("--answer-burst"),
                            QStringLiteral("1e9"),
                            QStringLiteral("--answers-per-second"),
                            QStringLiteral("1e9"),
                            QStringLiteral("--all-answer-burst"),
                            QStringLiteral("1e9"),
                            QStringLiteral("--all-answers-per-second"),
                            QStringLiteral("1e9"),
                            QStringLiteral("--answer-megabytes-per-day"),
                            QStringLiteral("0")};

bool startCollector(QProcess &collector, const QString &program, const QString &folder,
                    quint16 port, const QStringList &more = {}) {
    collector.setStandardOutputFile(QProcess::nullDevice());
    collector.start(program, QStringList{folder, QStringLiteral("--port"), QString::number(port)} +
                                 Unlimited + more);
    return waitForPort(port);
}

// User and system CPU time of a process so far, in milliseconds.
double cpuMs(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) * 1000.0 /
           double(::sysconf(_SC_CLK_TCK));
}

struct Handshakes {
    double perSecond = 0;
    double serverCpuMs = 0; // for each
};

// One client making TLS connections for three seconds, each a whole
// handshake or each resuming the first one's session, and fetching the page.
Handshakes handshakes(quint16 port, qint64 serverPid, bool resumed) {
    const double cpuBefore = cpuMs(serverPid);
    QElapsedTimer timer;
    timer.start();
    QProcess client;
    client.start(QStringLiteral("openssl"),
                 {QStringLiteral("s_time"), QStringLiteral("-connect"),
                  QStringLiteral("127.0.0.1:%1").arg(port),
                  resumed ? QStringLiteral("-reuse") : QStringLiteral("-new"),
                  QStringLiteral("-www"), QString::fromLatin1(Page), QStringLiteral("-time"),
                  QStringLiteral("3")});
    client.waitForFinished(60000);
    const double seconds = double(timer.elapsed()) / 1000.0;
    const double cpu = cpuMs(serverPid) - cpuBefore;
    const QString text = QString::fromLatin1(client.readAllStandardOutput());
    const double count = QRegularExpression(QStringLiteral("(\\d+) connections in [0-9.]+s"))
                             .match(text)
                             .captured(1)
                             .toDouble();
    return {count / seconds, count > 0 ? cpu / count : 0};
}

struct TlsRounds {
    Handshakes fullCollector, fullNginx, resumedCollector, resumedNginx;
};

// The collector and nginx serving HTTPS on one new certificate of the key
// `newKey` (openssl req's options), one after the other, a page fetched on
// every connection, so that TLS 1.3 tickets arrive as they do in a browser.
TlsRounds tlsBesideNginx(const QString &program, const QString &folder, const QString &work,
                         const QStringList &newKey) {
    const QString certificate = work + QStringLiteral("/cert.pem");
    const QString key = work + QStringLiteral("/key.pem");
    QProcess::execute(QStringLiteral("openssl"),
                      QStringList{QStringLiteral("req"), QStringLiteral("-x509"),
                                  QStringLiteral("-nodes"), QStringLiteral("-keyout"), key,
                                  QStringLiteral("-out"), certificate, QStringLiteral("-days"),
                                  QStringLiteral("2"), QStringLiteral("-subj"),
                                  QStringLiteral("/CN=localhost")} +
                          newKey);
    const quint16 tlsPort = freePort();
    QProcess collector;
    const bool started = startCollector(
        collector, program, folder, tlsPort,
        {QStringLiteral("--tls-cert"), certificate, QStringLiteral("--tls-key"), key});
    const quint16 nginxPort = freePort();
    const QByteArray dir = work.toUtf8();
    QFile config(work + QStringLiteral("/nginx-tls.conf"));
    config.open(QIODevice::WriteOnly);
    config.write("daemon off; master_process off; worker_processes 1; error_log " + dir +
                 "/error-tls.log; pid " + dir +
                 "/nginx-tls.pid;\nevents { worker_connections 1024; }\nhttp { access_log off;"
                 " client_body_temp_path " +
                 dir + "/body; proxy_temp_path " + dir + "/proxy; fastcgi_temp_path " + dir +
                 "/fastcgi; uwsgi_temp_path " + dir + "/uwsgi; scgi_temp_path " + dir +
                 "/scgi;\n server { listen 127.0.0.1:" + QByteArray::number(nginxPort) +
                 " ssl; ssl_certificate " + certificate.toUtf8() + "; ssl_certificate_key " +
                 key.toUtf8() + "; root " + folder.toUtf8() + "; } }\n");
    config.close();
    QProcess nginx;
    nginx.start(QStringLiteral("/usr/sbin/nginx"),
                {QStringLiteral("-p"), work, QStringLiteral("-c"), config.fileName()});
    TlsRounds rounds;
    if (started && waitForPort(nginxPort)) {
        rounds.fullCollector = handshakes(tlsPort, collector.processId(), false);
        rounds.fullNginx = handshakes(nginxPort, nginx.processId(), false);
        rounds.resumedCollector = handshakes(tlsPort, collector.processId(), true);
        rounds.resumedNginx = handshakes(nginxPort, nginx.processId(), true);
    }
    nginx.terminate();
    nginx.waitForFinished();
    collector.terminate();
    collector.waitForFinished();
    return rounds;
}

// Peak memory of a collector started for it while `connections` connections
// from each of `addresses` addresses send `body` bytes of an answer announced
// as 1 MB (or nothing, for an empty `body`) and hold.
double peakUnderAttack(const QString &program, const QString &folder, int addresses,
                       int connections, int bodyBytes) {
    const quint16 port = freePort();
    QProcess collector;
    collector.setStandardOutputFile(QProcess::nullDevice());
    collector.start(program, {folder, QStringLiteral("--port"), QString::number(port),
                              QStringLiteral("--local"), QStringLiteral("--quiet")});
    if (!waitForPort(port))
        return -1;
    const QByteArray held =
        "POST " + Page +
        " HTTP/1.1\r\nHost: x\r\nContent-Type: "
        "application/x-www-form-urlencoded\r\nContent-Length: 1000000\r\n\r\n1=" +
        QByteArray(bodyBytes, 'x');
    std::vector<std::unique_ptr<LoopbackConnection>> attack;
    for (int address = 1; address <= addresses; ++address)
        for (int i = 0; i < connections; ++i) {
            const QByteArray from = "127.0.8." + QByteArray::number(address);
            attack.push_back(std::make_unique<LoopbackConnection>(port, from.constData()));
            if (bodyBytes > 0)
                attack.back()->send(held);
        }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double peak = double(processMemoryKiB(collector.processId(), "VmHWM:")) / 1024.0;
    attack.clear();
    collector.terminate();
    collector.waitForFinished();
    return peak;
}

bool pgCluster(const QString &action, const QString &state) {
    return QProcess::execute(QStringLiteral(VELMORA_PGCLUSTER_SCRIPT), {action, state}) == 0;
}

struct PgBench {
    double perSecond = 0;
    double meanMs = 0;
};

// pgbench's own clients inserting the rows the collector inserts, one a
// transaction, as many at once as wrk's connections.
PgBench pgbench(const QByteArray &conninfo, const QString &folder, qint64 surveyId) {
    QFile script(folder + QStringLiteral("/insert.sql"));
    script.open(QIODevice::WriteOnly);
    script.write("INSERT INTO velmora.answers (survey_id, received_at, answer_id, cells) VALUES (" +
                 QByteArray::number(surveyId) +
                 ", now(), md5(random()::text || clock_timestamp()::text), "
                 "'{\"14:03:27|08-31-2021\",\"Ann Lee\",\"ann@example.org\",\"A phone\","
                 "\" a)\",\"on\",\"on\",\"Works well, thanks.\"}') "
                 "ON CONFLICT (answer_id) DO NOTHING;\n");
    script.close();
    const QStringList found =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QProcess process;
    process.start(QStringLiteral("/usr/lib/postgresql/%1/bin/pgbench").arg(found.value(0)),
                  {QStringLiteral("-n"), QStringLiteral("-c64"), QStringLiteral("-j2"),
                   QStringLiteral("-T5"), QStringLiteral("-f"), script.fileName(),
                   QString::fromUtf8(conninfo)});
    process.waitForFinished(60000);
    const QString text = QString::fromLatin1(process.readAllStandardOutput());
    return {
        QRegularExpression(QStringLiteral("tps = ([0-9.]+)")).match(text).captured(1).toDouble(),
        QRegularExpression(QStringLiteral("latency average = ([0-9.]+) ms"))
            .match(text)
            .captured(1)
            .toDouble()};
}

int benchDatabase(const QString &program) {
    QTemporaryDir work;
    const QString state = work.filePath(QStringLiteral("cluster"));
    if (!pgCluster(QStringLiteral("start"), state)) {
        std::fprintf(stderr, "PostgreSQL did not start (scripts/pgcluster.sh)\n");
        return 1;
    }
    QFile conninfoFile(state + QStringLiteral("/conninfo"));
    conninfoFile.open(QIODevice::ReadOnly);
    const QByteArray conninfo = conninfoFile.readAll().trimmed();
    const QStringList database{QStringLiteral("--database"), QString::fromUtf8(conninfo)};

    // Every answer with an answer ID of its own: round, wrk thread, count (the
    // collector tells IDs apart by their first half).
    const QString script = work.filePath(QStringLiteral("post.lua"));
    {
        QFile lua(script);
        lua.open(QIODevice::WriteOnly);
        lua.write("local threads = 0\n"
                  "function setup(thread) threads = threads + 1; thread:set('tid', threads) end\n"
                  "function init(args) round = tonumber(args[1]); count = 0 end\n"
                  "wrk.method = 'POST'\n"
                  "wrk.headers['Content-Type'] = 'application/x-www-form-urlencoded'\n"
                  "function request()\n"
                  "  count = count + 1\n"
                  "  return wrk.format(nil, nil, nil, '" +
                  Answers +
                  "&velmora-answer-id=' .. "
                  "string.format('%04x%04x%08x%016x', round, tid, count, count))\n"
                  "end\n");
    }
    const QString folders[2] = {work.filePath(QStringLiteral("a")),
                                work.filePath(QStringLiteral("b"))};
    QProcess collectors[2];
    const quint16 ports[2] = {freePort(), freePort()};
    for (int i = 0; i < 2; ++i) {
        QDir().mkpath(folders[i]);
        writeSampleSurvey(folders[i]);
    }
    if (!startCollector(collectors[0], program, folders[0], ports[0], database)) {
        std::fprintf(stderr, "velmora-collect did not start\n");
        return 1;
    }
    const Round one = wrk(ports[0], script, 64, {QStringLiteral("1")});
    startCollector(collectors[1], program, folders[1], ports[1], database);
    QProcess both[2];
    for (int i = 0; i < 2; ++i)
        both[i].start(QStringLiteral("wrk"),
                      wrkArguments(ports[i], script, 32, {QString::number(2 + i)}));
    const Round two[2] = {roundOf(both[0]), roundOf(both[1])};
    for (QProcess &collector : collectors) {
        collector.terminate();
        collector.waitForFinished();
    }

    Velmora::PgConnection connection(conninfo);
    QString error;
    connection.connect(&error);
    const qint64 surveyId = connection.exec("SELECT min(id) FROM velmora.surveys").number(0, 0);
    const qint64 rows = connection.exec("SELECT count(*) FROM velmora.answers").number(0, 0);
    const PgBench bench = pgbench(conninfo, work.path(), surveyId);
    pgCluster(QStringLiteral("stop"), state);

    const double twoRate = two[0].perSecond + two[1].perSecond;
    std::printf("PostgreSQL on loopback, fsync and synchronous commit on; 64 clients, 5 s a "
                "round, all on two cores\n");
    std::printf("one collector:  %9.0f answers/s, p99 %.2f ms\n", one.perSecond, one.p99Ms);
    std::printf("two collectors: %9.0f answers/s, p99 %.2f ms\n", twoRate,
                std::max(two[0].p99Ms, two[1].p99Ms));
    std::printf("pgbench:        %9.0f inserts/s, mean latency %.2f ms\n", bench.perSecond,
                bench.meanMs);
    std::printf("ratio to pgbench: one collector %.2f (goal >= 0.8), two collectors %.2f\n",
                one.perSecond / bench.perSecond, twoRate / bench.perSecond);
    const bool refused = one.output.contains("Non-2xx") || two[0].output.contains("Non-2xx") ||
                         two[1].output.contains("Non-2xx");
    std::printf("rows stored by the collectors: %lld; answers refused: %s\n", qlonglong(rows),
                refused ? "SOME (see wrk's output)" : "none");
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const bool database = argc == 3 && qstrcmp(argv[1], "--database") == 0;
    if (argc != 2 && !database) {
        std::fprintf(stderr, "usage: bench_collect [--database] PATH-TO-velmora-collect\n");
        return 2;
    }
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
    if (database)
        return benchDatabase(QString::fromLocal8Bit(argv[2]));

    QTemporaryDir folder;
    writeSampleSurvey(folder.path());
    QTemporaryDir work;
    const QString script = work.filePath(QStringLiteral("post.lua"));
    {
        QFile lua(script);
        lua.open(QIODevice::WriteOnly);
        lua.write("wrk.method = \"POST\"\nwrk.body = \"" + Answers +
                  "\"\nwrk.headers[\"Content-Type\"] = \"application/x-www-form-urlencoded\"\n");
    }

    // nginx: the page as a static file, and a bare 303 for the same POST.
    const quint16 nginxPort = freePort();
    QFile config(work.filePath(QStringLiteral("nginx.conf")));
    config.open(QIODevice::WriteOnly);
    const QByteArray dir = work.path().toUtf8();
    config.write("daemon off; worker_processes 2; error_log " + dir + "/error.log; pid " + dir +
                 "/nginx.pid;\nevents { worker_connections 4096; }\nhttp { access_log off;"
                 " client_body_temp_path " +
                 dir + "/body; proxy_temp_path " + dir +
                 "/proxy;"
                 " fastcgi_temp_path " +
                 dir + "/fastcgi; uwsgi_temp_path " + dir +
                 "/uwsgi;"
                 " scgi_temp_path " +
                 dir + "/scgi;\n server { listen 127.0.0.1:" + QByteArray::number(nginxPort) +
                 "; root " + folder.path().toUtf8() +
                 ";\n  location / { if ($request_method = POST) {"
                 " return 303 \"My%20Product%20Survey.htm?answered\"; } } } }\n");
    config.close();
    QProcess nginx;
    nginx.start(QStringLiteral("/usr/sbin/nginx"),
                {QStringLiteral("-p"), work.path(), QStringLiteral("-c"), config.fileName()});

    const quint16 port = freePort();
    QProcess collector;
    if (!startCollector(collector, QString::fromLocal8Bit(argv[1]), folder.path(), port) ||
        !waitForPort(nginxPort)) {
        std::fprintf(stderr, "velmora-collect or nginx did not start\n");
        return 1;
    }

    const Round getCollector = wrk(port, {});
    const Round getNginx = wrk(nginxPort, {});
    const Round postCollector = wrk(port, script);
    const Round postNginx = wrk(nginxPort, script);
    nginx.terminate();
    nginx.waitForFinished();

    // 10,000 connections held open at once, from ten loopback addresses.
    std::vector<std::unique_ptr<LoopbackConnection>> idle;
    for (int i = 0; i < 10000; ++i) {
        const QByteArray from = "127.0.9." + QByteArray::number(1 + i / 1000);
        idle.push_back(std::make_unique<LoopbackConnection>(port, from.constData()));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const bool stillServing = httpExchange(port, getRequest(Page)).status == 200;
    const qint64 rssWithConnections = processMemoryKiB(collector.processId(), "VmRSS:");
    const qint64 peak = processMemoryKiB(collector.processId(), "VmHWM:");
    idle.clear();
    collector.terminate();
    collector.waitForFinished();

    const QString program = QString::fromLocal8Bit(argv[1]);
    const TlsRounds rsa = tlsBesideNginx(program, folder.path(), work.path(),
                                         {QStringLiteral("-newkey"), QStringLiteral("rsa:2048")});
    const TlsRounds ecdsa =
        tlsBesideNginx(program, folder.path(), work.path(),
                       {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                        QStringLiteral("ec_paramgen_curve:P-256")});

    const double heldBodies = peakUnderAttack(program, folder.path(), 2, 1000, 512 * 1024);
    const double silent = peakUnderAttack(program, folder.path(), 1, 10300, 0);

    QFile csv(folder.filePath(QStringLiteral("My Product Survey answers.csv")));
    csv.open(QIODevice::ReadOnly);
    const QByteArray content = csv.readAll();
    const qsizetype rows = Velmora::AnswersFile::parseRecords(content).size() - 1;
    const QByteArray lastRow = content.mid(content.lastIndexOf("\r\n\"", content.size() - 3) + 2);
    const double plain = plainAppendRate(folder.path(), lastRow);

    std::printf("wrk, 64 connections, 2 threads, 5 s a round\n");
    std::printf("GET page:  collector %9.0f/s, nginx static %9.0f/s, ratio %.2f (goal >= 0.5)\n",
                getCollector.perSecond, getNginx.perSecond,
                getCollector.perSecond / getNginx.perSecond);
    std::printf("POST:      collector %9.0f/s durable, nginx bare 303 %9.0f/s, ratio %.2f "
                "(goal >= 0.2)\n",
                postCollector.perSecond, postNginx.perSecond,
                postCollector.perSecond / postNginx.perSecond);
    std::printf("answers:   %9.0f/s against a plain append+fdatasync loop of %.0f/s, ratio %.2f "
                "(goal >= 3)\n",
                postCollector.perSecond, plain, postCollector.perSecond / plain);
    std::printf("latency:   answer p99 %.2f ms (goal < 20), page p99 %.2f ms\n",
                postCollector.p99Ms, getCollector.p99Ms);
    std::printf("rows in the answers file: %lld; POSTs answered otherwise than 303: %s\n",
                qlonglong(rows),
                postCollector.output.contains("Non-2xx") ? "SOME (see wrk's output)" : "none");
    std::printf("memory:    %.1f MB with 10,000 open connections (peak %.1f MB); still serving: "
                "%s\n",
                rssWithConnections / 1024.0, peak / 1024.0, stillServing ? "yes" : "NO");
    std::printf("attacks:   peak %.1f MB with 2,000 connections holding bodies of answers (two "
                "addresses), %.1f MB with 10,300 silent connections (one address) (goal < 300)\n",
                heldBodies, silent);
    std::printf("HTTPS, one openssl s_time client fetching the page on each connection:\n");
    for (const auto &[name, collectorRound, nginxRound] :
         {std::tuple{"RSA 2048, full", rsa.fullCollector, rsa.fullNginx},
          std::tuple{"RSA 2048, resumed", rsa.resumedCollector, rsa.resumedNginx},
          std::tuple{"P-256, full", ecdsa.fullCollector, ecdsa.fullNginx},
          std::tuple{"P-256, resumed", ecdsa.resumedCollector, ecdsa.resumedNginx}})
        std::printf("  %-18s collector %6.0f/s at %.2f ms server CPU each; nginx %6.0f/s at "
                    "%.2f ms; CPU ratio %.2f (goal <= 1.2)\n",
                    name, collectorRound.perSecond, collectorRound.serverCpuMs,
                    nginxRound.perSecond, nginxRound.serverCpuMs,
                    nginxRound.serverCpuMs > 0 ? collectorRound.serverCpuMs / nginxRound.serverCpuMs
                                               : 0.0);
    return 0;
}
