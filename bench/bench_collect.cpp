// The collector under load, side by side with nginx in the same run and with the
// same client (wrk, 64 kept-alive connections, 2 threads, 5 s a round):
// - GET the survey page: velmora-collect against nginx serving the file;
// - POST an answer: velmora-collect, which stores it with fdatasync, against
//   nginx answering the same POST with a bare 303 and storing nothing;
// - answers a second against a plain loop of append plus fdatasync;
// - p99 latency of an answer;
// - the collector's memory with 10,000 open connections.
// Needs wrk and nginx (scripts/deps.sh installs both).
#include "answersfile.h"
#include "createsurvey.h"
#include "samplesurvey.h"
#include "silentplatform.h"

#include "../tests/common/httpclient.h"
#include "../tests/common/processmemory.h"

#include <QCoreApplication>
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

Round wrk(quint16 port, const QString &script) {
    QProcess process;
    QStringList arguments{QStringLiteral("-t2"), QStringLiteral("-c64"), QStringLiteral("-d5s"),
                          QStringLiteral("--latency")};
    if (!script.isEmpty())
        arguments << QStringLiteral("-s") << script;
    arguments << QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(QString::fromLatin1(Page));
    process.start(QStringLiteral("wrk"), arguments);
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

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_collect PATH-TO-velmora-collect\n");
        return 2;
    }
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);

    QTemporaryDir folder;
    SilentPlatform platform;
    Velmora::CreateSurveyCommand(platform).run(
        Velmora::SampleSurveyFields(folder.path() + QLatin1Char('/'), QString()), QString());
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
    collector.setStandardOutputFile(QProcess::nullDevice());
    collector.start(QString::fromLocal8Bit(argv[1]),
                    {folder.path(), QStringLiteral("--port"), QString::number(port),
                     QStringLiteral("--local"), QStringLiteral("--quiet"),
                     QStringLiteral("--max-connections"), QStringLiteral("12000"),
                     QStringLiteral("--connections-per-address"), QStringLiteral("12000"),
                     // One client measures here, far beyond any one respondent's rate.
                     QStringLiteral("--request-burst"), QStringLiteral("1e9"),
                     QStringLiteral("--requests-per-second"), QStringLiteral("1e9"),
                     QStringLiteral("--answer-burst"), QStringLiteral("1e9"),
                     QStringLiteral("--answers-per-second"), QStringLiteral("1e9")});
    if (!waitForPort(port) || !waitForPort(nginxPort)) {
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
    return 0;
}
