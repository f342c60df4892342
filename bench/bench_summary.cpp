// The summary at 100,000 answers to the sample survey: reading the answers file,
// building the page and writing it, as the collector does about once a second.
#include "answersfile.h"
#include "answersheet.h"
#include "createsurvey.h"
#include "durablefile.h"
#include "samplesurvey.h"
#include "silentplatform.h"
#include "summary.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    SilentPlatform platform;
    const Velmora::SurveyFields fields =
        Velmora::SampleSurveyFields(folder.path() + QLatin1Char('/'), QString());
    Velmora::CreateSurveyCommand(platform).run(fields, QString());
    QFile pageFile(Velmora::CreateSurveyCommand::pagePath(fields));
    pageFile.open(QIODevice::ReadOnly);
    const Velmora::SurveyPage page = *Velmora::readSurveyPage(pageFile.readAll());

    const Velmora::AnswerSheet sheet(page);
    QByteArray csv = "\xEF\xBB\xBF" + Velmora::csvRecord(sheet.header());
    const QStringList products{"Phone", "Tablet", "Laptop", "Watch"};
    for (int i = 0; i < 100000; ++i)
        csv += Velmora::csvRecord(
            {QStringLiteral("2026-12-08T09:00:00+01:00"), page.stamp,
             QStringLiteral("Respondent %1").arg(i), QStringLiteral("r%1@example.org").arg(i),
             products[i % 4], i % 3 ? QStringLiteral(" a)") : QStringLiteral(" b)"),
             i % 2 ? QStringLiteral("on") : QString(), i % 5 ? QString() : QStringLiteral("on"),
             i % 7 ? QString() : QStringLiteral("Works well, thanks.")});
    const QString answers = folder.filePath(QStringLiteral("My Product Survey answers.csv"));
    Velmora::writeFileDurably(answers, csv);

    std::vector<double> total, read, build;
    qsizetype size = 0;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        QFile file(answers);
        file.open(QIODevice::ReadOnly);
        const QList<QStringList> records = Velmora::AnswersFile::parseRecords(file.readAll());
        read.push_back(double(timer.nsecsElapsed()) / 1e6);
        const QByteArray html = Velmora::summaryPage(page, records);
        build.push_back(double(timer.nsecsElapsed()) / 1e6 - read.back());
        Velmora::writeFileDurably(Velmora::summaryPath(answers), html);
        total.push_back(double(timer.nsecsElapsed()) / 1e6);
        size = html.size();
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("answers file      %8.1f MB, 100000 answers\n", csv.size() / 1e6);
    std::printf("read and parse    %8.1f ms (median of 7)\n", median(read));
    std::printf("build the page    %8.1f ms\n", median(build));
    std::printf("whole summary     %8.1f ms, goal under 200 ms\n", median(total));
    std::printf("summary page      %8.1f KB\n", size / 1024.0);
    return 0;
}
