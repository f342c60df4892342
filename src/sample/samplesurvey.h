#pragma once

#include "choosers.h"
#include "platform.h"
#include "surveyfields.h"

namespace Velmora {

// Where the sample survey goes: the five kept fields of the main window, each set
// as if the person had typed the value.
struct SampleSurveyTarget {
    SetFieldText setPageTitle;
    SetFieldText setSurveyQuestions;
    SetFieldText setBackgroundImage;
    SetFieldText setOutputFolder;
    SetFieldText setMessage;
};

QString sampleSurveyQuestions();
QString sampleSurveyMessage();
// The sample survey as the create command reads it, for pages made without the window.
SurveyFields sampleSurveyFields(const QString &outputFolder, const QString &backgroundImage);

// "Load Sample/Example Survey": replaces the five fields with a ready-made product
// survey, so that "Start Creating Survey" can be tried at once.
void loadSampleSurvey(Platform &platform, const SampleSurveyTarget &target);

} // namespace Velmora
