// The summary at 1,000,000 answers to the sample survey. The collector reads the
// answers file once, in pieces, into counts; after that each new answer updates
// the counts and the page is built and written again. Prints the time of the
// first read, the cost of one update (count, build, write), and the peak memory
// of a process doing just that; with the path of velmora-collect, also the peak
// memory of `velmora-collect --summary` on the same folder.
#include "answersfile.h"
#include "answersheet.h"
#include "createsurvey.h"
#include "csvreader.h"
#include "durablefile.h"
#include "samplesurvey.h"
#include "silentplatform.h"
#include "summary.h"

#include "../tests/common/processmemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Velmora;

namespace {

constexpr int Answers = 1000000;

double peakMiB(qint64 pid) {
    return double(processMemoryKiB(pid, "VmHWM:")) / 1024.0;
}

SurveyPage samplePage(const QString &folder) {
    SilentPlatform platform;
    const SurveyFields fields = sampleSurveyFields(folder + QLatin1Char('/'), QString());
    CreateSurveyCommand(platform).run(fields, QString());
    QFile page(CreateSurveyCommand::pagePath(fields));
    page.open(QIODevice::ReadOnly);
    return *readSurveyPage(page.readAll());
}

QStringList row(const SurveyPage &page, int i) {
    static const QStringList products{"Phone", "Tablet", "Laptop", "Watch"};
    return {QStringLiteral("2026-12-08T09:00:00+01:00"),
            page.stamp,
            QStringLiteral("Respondent %1").arg(i),
            QStringLiteral("r%1@example.org").arg(i),
            products[i % 4],
            i % 3 ? QStringLiteral(" a)") : QStringLiteral(" b)"),
            i % 2 ? QStringLiteral("on") : QString(),
            i % 5 ? QString() : QStringLiteral("on"),
            i % 7 ? QString() : QStringLiteral("Works well, thanks.")};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// What the collector does, in a process of its own so that its peak is its own.
int measure(const QString &folder) {
    const SurveyPage page = samplePage(folder);
    const QString answers = folder + QStringLiteral("/My Product Survey answers.csv");
    QElapsedTimer timer;
    timer.start();
    SummaryTally tally(page);
    CsvReader::readFile(answers, [&tally](const QStringList &record) { tally.add(record); });
    const double readMs = double(timer.nsecsElapsed()) / 1e6;

    std::vector<double> count, build, write;
    for (int i = 0; i < 101; ++i) {
        const QStringList next = row(page, Answers + i);
        timer.start();
        tally.add(next);
        count.push_back(double(timer.nsecsElapsed()) / 1e3);
        timer.start();
        const QByteArray html = tally.page();
        build.push_back(double(timer.nsecsElapsed()) / 1e6);
        timer.start();
        writeFileDurably(summaryPath(answers), html);
        write.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("first read, in pieces %8.0f ms for %lld answers\n", readMs,
                qlonglong(tally.answers() - 101));
    std::printf("one update: count    %8.2f us\n", median(count));
    std::printf("            build    %8.2f ms\n", median(build));
    std::printf("            write    %8.2f ms (fsync included; medians of 101)\n", median(write));
    std::printf("peak memory          %8.1f MB (goal under 100)\n",
                peakMiB(QCoreApplication::applicationPid()));
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--measure") == 0)
        return measure(QString::fromLocal8Bit(argv[2]));

    QTemporaryDir folder;
    const SurveyPage page = samplePage(folder.path());
    {
        // Written in pieces: the file is larger than anything this bench keeps.
        QFile csv(folder.filePath(QStringLiteral("My Product Survey answers.csv")));
        csv.open(QIODevice::WriteOnly);
        QByteArray chunk = "\xEF\xBB\xBF" + csvRecord(AnswerSheet(page).header());
        for (int i = 0; i < Answers; ++i) {
            chunk += csvRecord(row(page, i));
            if (chunk.size() > (1 << 20)) {
                csv.write(chunk);
                chunk.clear();
            }
        }
        csv.write(chunk);
        std::printf("answers file         %8.1f MB, %d answers\n", csv.size() / 1e6, Answers);
        std::fflush(stdout);
    }
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--measure"), folder.path()});
    child.waitForFinished(-1);

    if (argc == 2) {
        QProcess summary;
        summary.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        summary.start(QString::fromLocal8Bit(argv[1]),
                      {QStringLiteral("--summary"), folder.path()});
        double peak = 0;
        while (!summary.waitForFinished(20))
            peak = std::max(peak, peakMiB(summary.processId()));
        std::printf("velmora-collect --summary: %.0f ms, peak memory at least %.1f MB\n",
                    double(timer.elapsed()), peak);
    }
    return 0;
}
