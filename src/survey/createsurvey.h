#pragma once

#include "platform.h"
#include "surveyfields.h"

#include <functional>

namespace Velmora {

// "Start Creating Survey": writes the survey page into the output folder, copies
// the background picture beside it, says "Done." and opens the page.
class CreateSurveyCommand {
public:
    explicit CreateSurveyCommand(Platform &platform);

    // Told true while the command waits for a long piece of work (the copy of a
    // picture of gigabytes) and false when it is done: the wait cursor.
    void setWaitingIndicator(std::function<void(bool)> indicator) {
        m_waiting = std::move(indicator);
    }

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
    std::function<void(bool)> m_waiting;
    bool m_busy = false;
};

} // namespace Velmora
