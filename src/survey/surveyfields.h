#pragma once

#include <QString>

namespace Velmora {

// The seven texts of the main window that make one survey page.
struct SurveyFields {
    QString PageTitle;
    QString SurveyQuestions; // lines separated by CR LF
    QString BackgroundImage;
    QString OutputFolder; // joined to file names directly, so it should end in a separator
    QString Name;
    QString Email;
    QString Message; // CR LF becomes a paragraph break
};

} // namespace Velmora
