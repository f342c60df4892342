#pragma once

#include "choosers.h"
#include "platform.h"

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

// "Load Sample/Example Survey": replaces the five fields with a ready-made product
// survey, so that "Start Creating Survey" can be tried at once.
void PushButton4_Click(Platform &platform, const SampleSurveyTarget &target);

} // namespace Velmora
