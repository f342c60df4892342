// The results link's page where the organiser closes a survey and opens it
// again, now or at a time.
#include "collector.h"

#include "collectorpages.h"
#include "formdecoder.h"
#include "organiserpages.h"
#include "runtimeerror.h"

namespace Velmora {

void Collector::setSchedule(const QString &pageFile, const SurveySchedule &schedule) {
    m_store->setSchedule(pageFile, schedule);
    rescan();
}

SurveySchedule Collector::schedule(const QString &pageFile) {
    const std::shared_ptr<const Folder> folder = folderNow();
    return folder->pages.value(pageFile).schedule;
}

HttpResponse Collector::scheduleRoute(const OrganiserRequest &in) {
    const Language &words = in.words;
    const QDateTime now = m_clock();
    SurveySchedule schedule = in.page.schedule;
    QString said;
    if (in.request.method == "POST") {
        QString action;
        QDateTime at = now;
        for (const FormField &field : decodeForm(in.request.body).value_or(QList<FormField>())) {
            if (field.name == QLatin1String("do"))
                action = field.value;
            // What a datetime-local input sends: the collector's own time.
            if (field.name == QLatin1String("at") && !field.value.isEmpty())
                at = QDateTime::fromString(field.value, Qt::ISODate);
        }
        if (!at.isValid() || (action != QLatin1String("close") && action != QLatin1String("open")))
            return badScheduleForm(words);
        const SurveySchedule chosen = action == QLatin1String("close")
                                          ? SurveySchedule::closing(at, now)
                                          : SurveySchedule::opening(schedule, at, now);
        said = changeSaid(words, [&] {
            setSchedule(in.pageFile, chosen);
            schedule = chosen;
            return savedSchedule(words);
        });
    }
    return schedulePage(words, in.title, in.pageFile, said, schedule, now);
}

} // namespace Velmora
