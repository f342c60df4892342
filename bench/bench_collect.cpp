// The collector under load: 64 clients post the sample survey's answers for ten
// seconds to velmora-collect running as its own process, each waiting for its
// acknowledgement. Prints answers per second, latency, rows written against
// acknowledgements, the collector's peak memory, and the ratio to a plain loop
// that appends the same rows with one fdatasync each into the same folder.
#include "answersfile.h"
#include "createsurvey.h"
#include "samplesurvey.h"
#include "silentplatform.h"

#include "../tests/common/httpclient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr int Clients = 64;
constexpr int Seconds = 10;
const QByteArray Page = "/My%20Product%20Survey.htm";
const QByteArray Answers = "UserName=Ann+Lee&UserEmail=ann%40example.org&1=A+phone&2=+a%29&"
                           "3%29+a%29=on&3%29+b%29=on&4=Works+well%2C+thanks.&"
                           "14%3A03%3A27%7C08-31-2021=FINISHED";

qint64 peakMemoryKiB(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
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

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_collect PATH-TO-velmora-collect\n");
        return 2;
    }
    QTemporaryDir folder;
    SilentPlatform platform;
    Velmora::CreateSurveyCommand(platform).run(
        Velmora::SampleSurveyFields(folder.path() + QLatin1Char('/'), QString()), QString());

    const quint16 port = freePort();
    QProcess collector;
    collector.setStandardOutputFile(QProcess::nullDevice());
    collector.start(QString::fromLocal8Bit(argv[1]),
                    {folder.path(), QStringLiteral("--port"), QString::number(port),
                     QStringLiteral("--local"), QStringLiteral("--connections-per-address"),
                     QString::number(2 * Clients)});
    QElapsedTimer starting;
    starting.start();
    while (!LoopbackConnection(port).connected()) {
        if (starting.elapsed() > 10000) {
            std::fprintf(stderr, "velmora-collect did not start\n");
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    std::atomic<bool> running = true;
    std::atomic<int> acknowledged = 0, failed = 0;
    std::mutex mutex;
    std::vector<double> latencies;
    std::vector<std::thread> clients;
    QElapsedTimer wall;
    wall.start();
    for (int c = 0; c < Clients; ++c)
        clients.emplace_back([&] {
            std::vector<double> mine;
            QElapsedTimer timer;
            while (running) {
                timer.start();
                const HttpReply reply = httpExchange(port, postRequest(Page, Answers));
                mine.push_back(double(timer.nsecsElapsed()) / 1e6);
                ++(reply.status == 303 ? acknowledged : failed);
            }
            std::lock_guard lock(mutex);
            latencies.insert(latencies.end(), mine.begin(), mine.end());
        });
    std::this_thread::sleep_for(std::chrono::seconds(Seconds));
    running = false;
    for (std::thread &client : clients)
        client.join();
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    const qint64 memory = peakMemoryKiB(collector.processId());
    collector.terminate();
    collector.waitForFinished();

    QFile csv(folder.filePath(QStringLiteral("My Product Survey answers.csv")));
    csv.open(QIODevice::ReadOnly);
    const QByteArray content = csv.readAll();
    const qsizetype rows = Velmora::AnswersFile::parseRecords(content).size() - 1;
    const QByteArray lastRow = content.mid(content.lastIndexOf("\r\n\"", content.size() - 3) + 2);
    const double plain = plainAppendRate(folder.path(), lastRow);

    std::sort(latencies.begin(), latencies.end());
    const double rate = acknowledged / seconds;
    std::printf("clients %d, %.1f s\n", Clients, seconds);
    std::printf("answers per second      %10.0f\n", rate);
    std::printf("latency p50             %10.2f ms\n", latencies[latencies.size() / 2]);
    std::printf("latency p99             %10.2f ms\n", latencies[latencies.size() * 99 / 100]);
    std::printf("acknowledged            %10d (failed %d)\n", acknowledged.load(), failed.load());
    std::printf("rows in the file        %10lld\n", qlonglong(rows));
    std::printf("collector peak memory   %10.1f MB\n", memory / 1024.0);
    std::printf("plain append + fdatasync%10.0f rows per second\n", plain);
    std::printf("ratio                   %10.2f (goal at least 1.0)\n", rate / plain);
    return rows >= acknowledged ? 0 : 1;
}
