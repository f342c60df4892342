// Writes the sample survey's page and picture into a folder, through the same
// command "Start Creating Survey" runs, for tests that need a real page to serve.
#include "createsurvey.h"
#include "samplesurvey.h"
#include "silentplatform.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: write_sample_survey FOLDER PICTURE\n");
        return 2;
    }
    SilentPlatform platform;
    const Velmora::SurveyFields fields = Velmora::sampleSurveyFields(
        QFile::decodeName(argv[1]) + QLatin1Char('/'), QFile::decodeName(argv[2]));
    Velmora::CreateSurveyCommand(platform).run(fields, QStringLiteral("Velmora"));
    return QFile::exists(Velmora::CreateSurveyCommand::pagePath(fields)) ? 0 : 1;
}
