// The results link's pages, in the organiser's language.
#include "organiserpages.h"

#include "answersheet.h"
#include "collectorpages.h"
#include "htmltext.h"

#include <QUrl>

namespace Velmora {

namespace {

QString linkTo(const QString &address, const QString &text) {
    return QStringLiteral("<li><a href=\"%1\" dir=\"auto\">%2</a></li>\n")
        .arg(escapeHtml(address), escapeHtml(text));
}

QString paragraph(const QString &text) {
    return QStringLiteral("<p>%1</p>\n").arg(escapeHtml(text));
}

QString backToTheResults(const Language &words) {
    return QStringLiteral("<p><a href=\"../\">%1</a></p>")
        .arg(escapeHtml(words.tr("Back to the results")));
}

// The organiser's pages are theirs alone: never in a search engine.
HttpResponse organiserPage(const Language &words, const QString &title, const QString &body) {
    HttpResponse response = htmlResponse(words, 200, title, body);
    response.addHeader("X-Robots-Tag", "noindex");
    return response;
}

QString answerRows(const Language &words, const QList<QStringList> &records,
                   const QString &button) {
    QString rows;
    for (qsizetype i = records.size() - 1; i > 0; --i) {
        const QStringList &record = records[i];
        const QString id = record.last();
        if (id.size() != 32)
            continue;
        rows += QStringLiteral("<tr><td><input type=\"checkbox\" name=\"id\" value=\"%1\" "
                               "id=\"a%1\"></td><td><label for=\"a%1\" dir=\"ltr\">%2</label></td>"
                               "<td dir=\"auto\">%3</td><td dir=\"auto\">%4</td></tr>\n")
                    .arg(escapeHtml(id), escapeHtml(typedCell(record.value(0)).replace(u'T', u' ')),
                         escapeHtml(typedCell(record.value(2))),
                         escapeHtml(typedCell(record.value(3))));
    }
    if (rows.isEmpty())
        return paragraph(words.tr("None."));
    return QStringLiteral("<table><tr><th>%1</th><th>%2</th><th>%3</th><th>%4</th></tr>\n%5"
                          "</table><p><button type=\"submit\">%6</button></p>")
        .arg(escapeHtml(words.tr("Tick")), escapeHtml(words.tr("Received")),
             escapeHtml(words.tr("Name")), escapeHtml(words.tr("E-mail")), rows,
             escapeHtml(button));
}

QString scheduleForm(const QString &self, const QString &action, const QString &label,
                     const QString &button) {
    return QStringLiteral("<form method=\"post\" action=\"%1\"><input type=\"hidden\" "
                          "name=\"do\" value=\"%2\"><p><label for=\"%2-at\">%3</label><br>"
                          "<input type=\"datetime-local\" id=\"%2-at\" name=\"at\"></p>"
                          "<p><button type=\"submit\">%4</button></p></form>\n")
        .arg(self, action, escapeHtml(label), escapeHtml(button));
}

QString addressOf(const QString &pageFile) {
    return QString::fromLatin1(QUrl::toPercentEncoding(pageFile));
}

} // namespace

HttpResponse httpsOnly(const Language &words) {
    return status(words, 403, words.tr("Over HTTPS only"),
                  words.tr("The results link works over HTTPS, or on the collector's own "
                           "computer."));
}

HttpResponse resultsMoved(const Language &words, const QByteArray &location) {
    HttpResponse moved = htmlResponse(words, 301, words.tr("Results"), QString());
    moved.addHeader("Location", location);
    return moved;
}

HttpResponse resultsAreRead(const Language &words) {
    return status(words, 405, words.tr("Method not allowed"),
                  words.tr("Results are read here, nothing else."), "GET, HEAD");
}

HttpResponse resultsIndex(const Language &words, const QStringList &files, const QStringList &pages,
                          bool database) {
    QString items;
    for (const QString &file : files)
        items += linkTo(addressOf(file), file);
    QString body = items.isEmpty() ? paragraph(words.tr("No answers yet."))
                                   : QStringLiteral("<ul>\n%1</ul>\n").arg(items);
    // What the organiser does with each survey, a page each.
    for (const auto &[heading, folder] :
         {std::pair{words.tr("Open and close"), QStringLiteral("schedule/")},
          std::pair{words.tr("Remove test answers"), QStringLiteral("answers/")},
          std::pair{words.tr("Questions respondents must answer"), QStringLiteral("required/")}}) {
        QString links;
        for (const QString &page : pages)
            links += linkTo(folder + addressOf(page), page);
        if (!links.isEmpty())
            body += QStringLiteral("<h2>%1</h2>\n<ul>\n%2</ul>\n").arg(escapeHtml(heading), links);
    }
    if (database)
        body += QStringLiteral("<p>%1</p>")
                    .arg(escapeHtml(words.tr("The answers themselves are in the database: %1 "
                                             "writes them as answers files."))
                             .arg(QStringLiteral("<code>velmora-collect --export FOLDER "
                                                 "--database ...</code>")));
    return organiserPage(words, words.tr("Results"), body);
}

HttpResponse changedFromElsewhere(const Language &words, OrganiserChange change) {
    switch (change) {
    case OrganiserChange::RemoveAnswers:
        return fromElsewhere(words, words.tr("Answers are removed on the results link's own "
                                             "page, not from another site."));
    case OrganiserChange::Schedule:
        return fromElsewhere(words, words.tr("Surveys are closed and opened on the results "
                                             "link's own page, not from another site."));
    case OrganiserChange::Required:
        break;
    }
    return fromElsewhere(words, words.tr("Required questions are chosen on the results link's "
                                         "own page, not from another site."));
}

HttpResponse answersPage(const Language &words, const QString &title, const QString &pageFile,
                         const QString &said, const QString &keptAside,
                         const QList<QStringList> &kept, const QList<QStringList> &removed) {
    const QString self = addressOf(pageFile);
    const QString body =
        said +
        QStringLiteral("<p>%1</p>\n")
            .arg(escapeHtml(words.tr("Tick test answers to take them out of the answers file and "
                                     "the summary. They are kept aside in %1, and can be brought "
                                     "back."))
                     .arg(QStringLiteral("<bdi>%1</bdi>").arg(escapeHtml(keptAside)))) +
        QStringLiteral("<h2>%1</h2>\n<form method=\"post\" action=\"%2\">%3</form>\n"
                       "<h2>%4</h2>\n<form method=\"post\" action=\"%2\">"
                       "<input type=\"hidden\" name=\"restore\" value=\"1\">%5</form>\n")
            .arg(escapeHtml(words.tr("Answers, newest first")), self,
                 answerRows(words, kept, words.tr("Remove the ticked answers")),
                 escapeHtml(words.tr("Removed answers")),
                 answerRows(words, removed, words.tr("Bring the ticked answers back"))) +
        backToTheResults(words);
    return organiserPage(words, words.tr("Answers to %1").arg(title), body);
}

QString answersMoved(const Language &words, qsizetype moved, bool restore) {
    return escapeHtml(
        restore ? words.tr("%n answers brought back.", nullptr, int(moved))
                : words.tr("%n answers removed: they are kept below, and can be brought back.",
                           nullptr, int(moved)));
}

QString removedInTheDatabase(const Language &words) {
    return words.tr("the database (velmora.removed_answers)");
}

QString scheduleState(const Language &words, const SurveySchedule &schedule, const QDateTime &now) {
    const QLocale &locale = words.locale();
    QString state;
    if (schedule.isClosed(now))
        state = words.tr("Closed since %1.").arg(SurveySchedule::said(*schedule.closes, locale));
    else if (schedule.closes && *schedule.closes > now)
        state =
            words.tr("Open: it closes on %1.").arg(SurveySchedule::said(*schedule.closes, locale));
    else
        state = words.tr("Open.");
    if (schedule.opens && *schedule.opens > now && schedule.closes &&
        *schedule.opens > *schedule.closes)
        state +=
            QLatin1Char(' ') +
            words.tr("It opens again on %1.").arg(SurveySchedule::said(*schedule.opens, locale));
    return state;
}

HttpResponse schedulePage(const Language &words, const QString &title, const QString &pageFile,
                          const QString &said, const SurveySchedule &schedule,
                          const QDateTime &now) {
    const QString self = addressOf(pageFile);
    const QString body =
        said +
        QStringLiteral("<p><strong>%1</strong></p>\n")
            .arg(escapeHtml(scheduleState(words, schedule, now))) +
        paragraph(words
                      .tr("A closed survey's page says since when it is closed, and the list "
                          "of surveys leaves it out. Answers sent within %1 minutes of "
                          "closing, by respondents who were half-way through, are still "
                          "stored.")
                      .arg(words.number(SurveySchedule::GraceSeconds / 60))) +
        scheduleForm(self, QStringLiteral("close"), words.tr("Close at (leave empty for now)"),
                     words.tr("Close")) +
        scheduleForm(self, QStringLiteral("open"), words.tr("Open at (leave empty for now)"),
                     words.tr("Open")) +
        backToTheResults(words);
    return organiserPage(words, words.tr("Open and close %1").arg(title), body);
}

HttpResponse badScheduleForm(const Language &words) {
    return status(words, 400, words.tr("Bad form"),
                  words.tr("Say close or open, now or at a time."));
}

HttpResponse requiredPage(const Language &words, const QString &title, const QString &pageFile,
                          const QString &said, const QStringList &questions,
                          const RequiredAnswers &required) {
    const auto box = [](const QString &name, const QString &value, const QString &label,
                        bool checked, int n) {
        return QStringLiteral("<p><input type=\"checkbox\" name=\"%1\" value=\"%2\" id=\"r%3\"%4> "
                              "<label for=\"r%3\" dir=\"auto\">%5</label></p>\n")
            .arg(name, escapeHtml(value), QString::number(n),
                 checked ? QStringLiteral(" checked") : QString(), escapeHtml(label));
    };
    QString boxes = box(QStringLiteral("every"), QStringLiteral("1"), words.tr("Every question"),
                        required.everyQuestion, 0);
    for (qsizetype i = 0; i < questions.size(); ++i)
        boxes += box(QStringLiteral("question"), questions[i],
                     questions[i].isEmpty() ? words.tr("(no question)") : questions[i],
                     required.questions.contains(questions[i]), int(i) + 1);
    const QString body =
        said +
        paragraph(words.tr("Respondents must answer the questions ticked: the survey marks "
                           "them, and an answer without them is refused with a page that names "
                           "what is missing, the respondent's answers still in the form.")) +
        QStringLiteral("<form method=\"post\" action=\"%1\">%2<p><button type=\"submit\">%3"
                       "</button></p></form>\n")
            .arg(addressOf(pageFile), boxes, escapeHtml(words.tr("Save"))) +
        backToTheResults(words);
    return organiserPage(words, words.tr("Questions to answer in %1").arg(title), body);
}

QString savedSchedule(const Language &words) {
    return escapeHtml(words.tr("Saved."));
}

QString savedRequired(const Language &words) {
    return escapeHtml(words.tr("Saved: the survey asks for them now."));
}

HttpResponse tableNotMade(const Language &words, const QString &why) {
    return status(words, 503, words.tr("Not made"),
                  words.tr("The table cannot be made now: %1").arg(why));
}

} // namespace Velmora
