#pragma once

#include "questionline.h"
#include "surveyfields.h"

#include <QDateTime>

#include <functional>

namespace Velmora {

// Writes the whole survey page: the frame with title, name and e-mail inputs, the
// lines of every question line, the message and the submit button. The clock is
// read when the submit button is written, which names the time of creation.
// False when the output stopped taking lines.
bool writeSurveyPage(PageOutput &output, const SurveyFields &fields, QStringView pictureName,
                     const std::function<QDateTime()> &clock);

} // namespace Velmora
