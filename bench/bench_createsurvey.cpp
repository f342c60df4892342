// Times the whole create command on surveys of 1,000 to 100,000 question blocks,
// against writing the same bytes with one QSaveFile write. Each size runs in a
// process of its own so that its peak memory is its own.
#include "createsurvey.h"
#include "silentplatform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

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

int runOne(int blocks) {
    QTemporaryDir dir;
    SurveyFields fields;
    fields.PageTitle = QStringLiteral("Benchmark");
    fields.OutputFolder = dir.path() + QLatin1Char('/');
    fields.SurveyQuestions = questions(blocks);
    fields.Message = QStringLiteral("Thank you.\r\nPress FINISHED.");

    SilentPlatform platform;
    CreateSurveyCommand command(platform);
    QElapsedTimer timer;
    timer.start();
    command.run(fields, QString());
    const double commandMs = double(timer.nsecsElapsed()) / 1e6;
    const double peak = peakMegabytes();

    QFile page(CreateSurveyCommand::pagePath(fields));
    if (!page.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray bytes = page.readAll();
    timer.restart();
    QSaveFile same(dir.filePath(QStringLiteral("baseline.htm")));
    same.open(QIODevice::WriteOnly);
    same.write(bytes);
    same.commit();
    const double baselineMs = double(timer.nsecsElapsed()) / 1e6;

    const double pageMb = double(bytes.size()) / 1e6;
    std::printf("%8d blocks  page %7.1f MB  command %8.1f ms  %7.1f MB/s  baseline %7.1f ms  "
                "ratio %4.2f  peak %6.1f MB (goal <= %.1f)\n",
                blocks, pageMb, commandMs, pageMb / (commandMs / 1000.0), baselineMs,
                commandMs / baselineMs, peak, 2 * double(bytes.size()) / (1 << 20) + 30);
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
