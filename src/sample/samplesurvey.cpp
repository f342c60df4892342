#include "samplesurvey.h"

#include "errortrap.h"
#include "shellfolders.h"

#include <QStringList>

namespace Velmora {

namespace {
const QString Title = QStringLiteral("My Product Survey");
} // namespace

QString sampleSurveyQuestions() {
    // The option letters repeat ("b)" twice, "a)" twice) exactly as in the
    // example people know from the help pages.
    return QStringList{
        QStringLiteral("[1] What product did you test?"),
        QStringLiteral("[s]"),
        QString(),
        QStringLiteral("[2] Would you use this product again?"),
        QStringLiteral("[r] a) Yes"),
        QStringLiteral("[r] b) No"),
        QStringLiteral("[r] b) Maybe"),
        QString(),
        QStringLiteral("[3] How would you rate the quality of the product?"),
        QStringLiteral("[c] a) Good"),
        QStringLiteral("[c] b) Average"),
        QStringLiteral("[c] a) Poor"),
        QString(),
        QStringLiteral("[4] Are there any additional comments that you would like to make about "
                       "the product?"),
        QStringLiteral("[l]"),
    }
        .join(QStringLiteral("\r\n"));
}

QString sampleSurveyMessage() {
    return QStringLiteral("Complete all questions, PushButton your answers ...\r\n"
                          "Click FINISHED button when survey is complete..");
}

SurveyFields sampleSurveyFields(const QString &outputFolder, const QString &backgroundImage) {
    SurveyFields fields;
    fields.pageTitle = Title;
    fields.surveyQuestions = sampleSurveyQuestions();
    fields.backgroundImage = backgroundImage;
    fields.outputFolder = outputFolder;
    fields.message = sampleSurveyMessage();
    return fields;
}

void loadSampleSurvey(Platform &platform, const SampleSurveyTarget &target) {
    ErrorTrap trap(platform, QStringLiteral("PushButton4_Click"));
    QString questions;
    trap.step(100, [&] { questions = sampleSurveyQuestions(); });
    trap.step(102, [&] { target.setPageTitle(Title); });
    trap.step(104, [&] { target.setSurveyQuestions(questions); });
    trap.step(106, [&] {
        target.setBackgroundImage(platform.programFolder() + QStringLiteral("/background.gif"));
    });
    trap.step(108, [&] {
        target.setOutputFolder(specialFolderPath(platform, DesktopFolderId) + QLatin1Char('/'));
    });
    trap.step(110, [&] { target.setMessage(sampleSurveyMessage()); });
}

} // namespace Velmora
