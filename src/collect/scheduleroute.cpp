// The results link's page where the organiser closes a survey and opens it
// again, now or at a time.
#include "collector.h"

#include "collectorpages.h"
#include "formdecoder.h"
#include "htmltext.h"
#include "runtimeerror.h"

#include <QUrl>

namespace Velmora {

void Collector::setSchedule(const QString &pageFile, const SurveySchedule &schedule) {
    QString error;
    if (!m_database)
        schedule.write(SurveySchedule::pathFor(m_folder, pageFile), m_fileMode);
    else if (!m_database->setSchedule(pageFile, schedule, &error))
        throw RuntimeError(QStringLiteral("the database: %1").arg(error));
    rescan();
}

SurveySchedule Collector::schedule(const QString &pageFile) {
    const std::shared_ptr<const Folder> folder = folderNow();
    return folder->pages.value(pageFile).schedule;
}

namespace {

QString scheduleForm(const QString &self, const QString &action, const QString &button) {
    return QStringLiteral("<form method=\"post\" action=\"%1\"><input type=\"hidden\" "
                          "name=\"do\" value=\"%2\"><p><label for=\"%2-at\">%3 at (leave empty "
                          "for now)</label><br><input type=\"datetime-local\" id=\"%2-at\" "
                          "name=\"at\"></p><p><button type=\"submit\">%3</button></p></form>\n")
        .arg(self, action, button);
}

} // namespace

HttpResponse Collector::schedulePage(const HttpRequest &request, const QString &pageFile) {
    const std::shared_ptr<const Folder> folder = folderNow();
    const auto page = folder->pages.constFind(pageFile);
    if (pageFile.isEmpty() || page == folder->pages.cend())
        return notFound(Language(), m_listed, request.path);
    const QDateTime now = m_clock();
    SurveySchedule schedule = page->schedule;
    QString said;
    if (request.method == "POST") {
        if (!fromThisSite(request))
            return fromElsewhere(Language(), QStringLiteral("Surveys are closed and opened"));
        QString action;
        QDateTime at = now;
        for (const FormField &field : decodeForm(request.body).value_or(QList<FormField>())) {
            if (field.name == QLatin1String("do"))
                action = field.value;
            // What a datetime-local input sends: the collector's own time.
            if (field.name == QLatin1String("at") && !field.value.isEmpty())
                at = QDateTime::fromString(field.value, Qt::ISODate);
        }
        if (!at.isValid() || (action != QLatin1String("close") && action != QLatin1String("open")))
            return status(Language(), 400, QStringLiteral("Bad form"),
                          QStringLiteral("Say close or open, now or at a time."));
        const SurveySchedule chosen = action == QLatin1String("close")
                                          ? SurveySchedule::closing(at, now)
                                          : SurveySchedule::opening(schedule, at, now);
        said = changeSaid(Language(), [&] {
            setSchedule(pageFile, chosen);
            schedule = chosen;
            return QStringLiteral("Saved.");
        });
    }
    const QString self = QString::fromLatin1(QUrl::toPercentEncoding(pageFile));
    const QString body =
        said + QStringLiteral("<p><strong>%1</strong></p>\n").arg(escapeHtml(schedule.state(now))) +
        QStringLiteral("<p>A closed survey's page says since when it is closed, and the list "
                       "of surveys leaves it out. Answers sent within %1 minutes of closing, by "
                       "respondents who were half-way through, are still stored.</p>\n")
            .arg(SurveySchedule::GraceSeconds / 60) +
        scheduleForm(self, QStringLiteral("close"), QStringLiteral("Close")) +
        scheduleForm(self, QStringLiteral("open"), QStringLiteral("Open")) +
        QStringLiteral("<p><a href=\"../\">Back to the results</a></p>");
    const QString title = page->page.title.isEmpty() ? pageFile : page->page.title;
    HttpResponse response =
        htmlResponse(Language(), 200, QStringLiteral("Open and close %1").arg(title), body);
    response.addHeader("X-Robots-Tag", "noindex");
    return response;
}

} // namespace Velmora
