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

QString SampleSurveyQuestions();
QString SampleSurveyMessage();
// The sample survey as the create command reads it, for pages made without the window.
SurveyFields SampleSurveyFields(const QString &outputFolder, const QString &backgroundImage);

// "Load Sample/Example Survey": replaces the five fields with a ready-made product
// survey, so that "Start Creating Survey" can be tried at once.
void PushButton4_Click(Platform &platform, const SampleSurveyTarget &target);

} // namespace Velmora
