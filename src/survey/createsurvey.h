#pragma once

#include "platform.h"
#include "surveyfields.h"

namespace Velmora {

// "Start Creating Survey": writes the survey page into the output folder, copies
// the background picture beside it, says "Done." and opens the page.
class CreateSurveyCommand {
public:
    explicit CreateSurveyCommand(Platform &platform);

    // Plain messages carry `applicationTitle` as their caption. A click that comes
    // while a run is still going (from inside one of its message boxes) does nothing.
    void run(const SurveyFields &fields, const QString &applicationTitle);

    bool isBusy() const { return m_busy; }

    // The page a run with these fields writes.
    static QString pagePath(const SurveyFields &fields);
    // The bare file name the page names its background by.
    static QString pictureName(const QString &backgroundImage);

private:
    Platform &m_platform;
    bool m_busy = false;
};

} // namespace Velmora
