// Times the whole create command on surveys of 1,000 to 100,000 question blocks,
// against a durable write of the same bytes done by hand (write, fsync, rename
// in the same folder, fsync of the folder), as the command's own write is. The
// two alternate over several rounds and the medians are compared. Each size runs
// in a process of its own so that its peak memory is its own.
#include "createsurvey.h"
#include "silentplatform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Velmora;

namespace {

QString questions(int blocks) {
    QString text;
    text.reserve(qsizetype(blocks) * 120);
    for (int i = 1; i <= blocks; ++i) {
        text += QStringLiteral("[%1] How would you rate part %1 of the product?\r\n").arg(i % 1000);
        text +=
            QStringLiteral("[r] a) Good\r\n[r] b) Average\r\n[c] c) Poor\r\n[c] d) Don't know\r\n"
                           "[s]\r\n");
    }
    return text;
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// The baseline: the same bytes made durable with nothing else around them.
bool writeDurablyByHand(const QString &path, const QByteArray &bytes) {
    const QByteArray name = QFile::encodeName(path);
    const QByteArray temporary = name + ".baseline";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok =
        ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok && ::rename(temporary.constData(), name.constData()) == 0;
    const QByteArray folder = name.left(name.lastIndexOf('/'));
    const int folderFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return ok;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double milliseconds(const QElapsedTimer &timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

int runOne(int blocks) {
    constexpr int Rounds = 7;
    QTemporaryDir dir;
    SurveyFields fields;
    fields.pageTitle = QStringLiteral("Benchmark");
    fields.outputFolder = dir.path() + QLatin1Char('/');
    fields.surveyQuestions = questions(blocks);
    fields.message = QStringLiteral("Thank you.\r\nPress FINISHED.");

    SilentPlatform platform;
    CreateSurveyCommand command(platform);
    QByteArray bytes;
    std::vector<double> commandMs, baselineMs;
    QElapsedTimer timer;
    for (int round = 0; round < Rounds; ++round) {
        timer.start();
        command.run(fields, QString());
        commandMs.push_back(milliseconds(timer));

        if (bytes.isEmpty()) {
            QFile page(CreateSurveyCommand::pagePath(fields));
            if (!page.open(QIODevice::ReadOnly))
                return 1;
            bytes = page.readAll();
        }
        timer.start();
        if (!writeDurablyByHand(dir.filePath(QStringLiteral("baseline.htm")), bytes))
            return 1;
        baselineMs.push_back(milliseconds(timer));
    }
    const double peak = peakMegabytes();

    const double pageMb = double(bytes.size()) / 1e6;
    const double commandMedian = median(commandMs), baseline = median(baselineMs);
    std::printf("%8d blocks  page %7.1f MB  command %8.1f ms  %7.1f MB/s  durable write %7.1f ms  "
                "ratio %4.2f%s  peak %6.1f MB (goal <= %.1f)  medians of %d rounds\n",
                blocks, pageMb, commandMedian, pageMb / (commandMedian / 1000.0), baseline,
                commandMedian / baseline, blocks == 100000 ? " (goal <= 1.50)" : "", peak,
                2 * double(bytes.size()) / (1 << 20) + 30, Rounds);
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc > 1)
        return runOne(QString::fromLocal8Bit(argv[1]).toInt());

    for (int blocks : {1000, 10000, 100000}) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QString::number(blocks)});
        child.waitForFinished(-1);
    }
    return 0;
}
