#pragma once

#include <QString>

namespace Velmora {

// The seven texts of the main window that make one survey page.
struct SurveyFields {
    QString pageTitle;
    QString surveyQuestions; // lines separated by CR LF
    QString backgroundImage;
    QString outputFolder; // joined to file names directly, so it should end in a separator
    QString name;
    QString email;
    QString message; // CR LF becomes a paragraph break
};

} // namespace Velmora
