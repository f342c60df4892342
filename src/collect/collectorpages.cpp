// The collector's own small pages.
#include "collectorpages.h"

#include "answerids.h"
#include "answersheet.h"
#include "htmltext.h"
#include "respondentpage.h"
#include "runtimeerror.h"

#include <QFile>
#include <QUrl>

#include <algorithm>

namespace Velmora {

// Every page of the collector's own leads on: to the list, where there is one.
// The link is relative, so that behind a proxy's path prefix it stays under
// it, and climbs as many folders as the request's path went down.
QString onward(const Language &words, bool listed, const QByteArray &path) {
    if (!listed)
        return QString();
    const qsizetype depth = path.mid(1).count('/');
    const QString list = depth == 0 ? QStringLiteral("./") : QStringLiteral("../").repeated(depth);
    return QStringLiteral("<p><a href=\"%1\">%2</a></p>")
        .arg(list, escapeHtml(words.tr("See the surveys here")));
}

HttpResponse notFound(const Language &words, bool listed, const QByteArray &path) {
    return htmlResponse(words, 404, words.tr("Not found"),
                        QStringLiteral("<p>%1</p>")
                                .arg(escapeHtml(words.tr("There is no survey at this address."))) +
                            onward(words, listed, path));
}

HttpResponse status(const Language &words, int code, const QString &title, const QString &text,
                    const QByteArray &allow) {
    HttpResponse response =
        htmlResponse(words, code, title, QStringLiteral("<p>%1</p>").arg(escapeHtml(text)));
    if (!allow.isEmpty())
        response.addHeader("Allow", allow);
    return response;
}

namespace {

// A paragraph of `text` that quotes `quoted` (a title, a question) in bold,
// set apart so that its own direction, right to left or not, stays its own.
QString quoting(const QString &text, const QString &quoted) {
    return QStringLiteral("<p>%1</p>")
        .arg(escapeHtml(text).arg(
            QStringLiteral("<strong><bdi>%1</bdi></strong>").arg(escapeHtml(quoted))));
}

QString titleOr(const Language &words, const QString &title) {
    return title.isEmpty() ? words.tr("This survey") : title;
}

QString stillInTheForm(const Language &words) {
    return QStringLiteral("<p>%1</p>")
        .arg(escapeHtml(
            words.tr("Please go back, shorten it and press FINISHED again: your answers are still "
                     "in the form.")));
}

} // namespace

HttpResponse tooLarge(const Language &words, const std::optional<QString> &question,
                      qsizetype characters) {
    const QString count = words.number(characters);
    const QString why =
        question ? quoting(words.tr("The answer to %1 can be %2 characters long at most.")
                               .arg(QStringLiteral("%1"), count),
                           question->isEmpty() ? words.tr("(no question)") : *question)
                 : QStringLiteral("<p>%1</p>")
                       .arg(escapeHtml(words
                                           .tr("A name or an e-mail address can be %1 "
                                               "characters long at most.")
                                           .arg(count)));
    return htmlResponse(words, 413, words.tr("Too large"), why + stillInTheForm(words));
}

bool fromThisSite(const HttpRequest &request) {
    if (!request.fetchSite.isEmpty())
        return request.fetchSite == "same-origin" || request.fetchSite == "none";
    if (request.origin.isEmpty())
        return true;
    const qsizetype scheme = request.origin.indexOf("://");
    return scheme > 0 && request.origin.mid(scheme + 3) == request.host;
}

HttpResponse surveyClosed(const Language &words, const QString &title,
                          const SurveySchedule &schedule, const QDateTime &now, bool listed) {
    QString body = quoting(
        words
            .tr("%1 has been closed since %2: it takes no more answers. "
                "Thank you for your interest.")
            .arg(QStringLiteral("%1"), SurveySchedule::said(*schedule.closes, words.locale())),
        titleOr(words, title));
    if (schedule.opens && *schedule.opens > now)
        body +=
            QStringLiteral("<p>%1</p>")
                .arg(escapeHtml(words.tr("It opens again on %1.")
                                    .arg(SurveySchedule::said(*schedule.opens, words.locale()))));
    HttpResponse response = htmlResponse(words, 200, words.tr("This survey is closed"),
                                         body + onward(words, listed, "/"));
    response.addHeader("X-Robots-Tag", "noindex");
    return response;
}

// The questions and answers are the organiser's and the respondent's words,
// each in its own direction.
HttpResponse closedToAnswers(const Language &words, const QString &title,
                             const SurveySchedule &schedule, const QStringList &header,
                             const QStringList &cells) {
    QString answers;
    for (qsizetype c = 2; c < header.size() && c < cells.size(); ++c)
        if (!cells[c].isEmpty() && header[c] != AnswerSheet::AnswerIdHeader)
            answers += QStringLiteral("<dt dir=\"auto\">%1</dt><dd dir=\"auto\">%2</dd>\n")
                           .arg(escapeHtml(header[c]), escapeHtml(cells[c]));
    return htmlResponse(
        words, 410, words.tr("This survey has closed"),
        quoting(
            words
                .tr("%1 closed on %2, and your answers were not saved. They are below, "
                    "and still in the form if you go back, for you to keep.")
                .arg(QStringLiteral("%1"), SurveySchedule::said(*schedule.closes, words.locale())),
            titleOr(words, title)) +
            QStringLiteral("\n<dl>\n%1</dl>")
                .arg(answers.isEmpty()
                         ? QStringLiteral("<dd>%1</dd>\n").arg(escapeHtml(words.tr("(none given)")))
                         : answers));
}

HttpResponse fromElsewhere(const Language &words, const QString &why) {
    return status(words, 403, words.tr("Not from this site"), why);
}

QString changeSaid(const Language &words, const std::function<QString()> &change) {
    try {
        return QStringLiteral("<p role=\"status\">%1</p>").arg(change());
    } catch (const RuntimeError &error) {
        return QStringLiteral("<p role=\"alert\">%1</p>")
            .arg(escapeHtml(words.tr("Nothing was changed: %1").arg(error.description())));
    }
}

HttpResponse answersMissing(const Language &words, const QString &title,
                            const QStringList &questions) {
    QString list;
    for (const QString &question : questions)
        list += QStringLiteral("<li dir=\"auto\">%1</li>")
                    .arg(escapeHtml(question.isEmpty() ? words.tr("(no question)") : question));
    return htmlResponse(
        words, 422, words.tr("Some answers are missing"),
        quoting(words.tr("%1 needs an answer to every question below. Please go back, answer "
                         "them and press FINISHED again: your answers are still in the form."),
                titleOr(words, title)) +
            QStringLiteral("<ul>%1</ul>").arg(list));
}

// A form that posts `fields` again to the page it came from, with a button.
namespace {

QString resendForm(const QList<FormField> &fields, const QString &button,
                   const QString &action = {}) {
    QString hidden;
    for (const FormField &field : fields)
        hidden += QStringLiteral("<input type=\"hidden\" name=\"%1\" value=\"%2\">")
                      .arg(escapeHtml(field.name), escapeHtml(field.value));
    return QStringLiteral("<form method=\"post\" action=\"%1\" accept-charset=\"utf-8\">"
                          "<input type=\"hidden\" name=\"_charset_\">%2"
                          "<button type=\"submit\">%3</button></form>")
        .arg(escapeHtml(action), hidden, escapeHtml(button));
}

} // namespace

// The answers come back in the page, ready to be sent again with "Try again"
// (to the same address, with the same answer ID, so never stored twice).
HttpResponse notSaved(const Language &words, const QString &title, const QList<FormField> &fields) {
    const QString form = fields.isEmpty() ? QString() : resendForm(fields, words.tr("Try again"));
    HttpResponse response = htmlResponse(
        words, 503, words.tr("Your answers were not saved"),
        quoting(words.tr("Sorry: your answers to %1 could not be saved just now. Please try "
                         "again in a minute, or go back: your answers are still in the form."),
                titleOr(words, title)) +
            form);
    response.addHeader("Retry-After", "60");
    return response;
}

// The answer ID of these answers is stored with other answers: Back after
// sending, a change, and FINISHED again; or the next person on a shared
// tablet whose browser brought the last person's form back. Both are offered,
// each a form carrying every answer, so nothing typed is lost.
HttpResponse differs(const Language &words, const QString &fileName, const QString &title,
                     QList<FormField> fields) {
    const QString action = QString::fromLatin1(QUrl::toPercentEncoding(fileName));
    QString body = quoting(words.tr("Answers to %1 were already sent from this form, and these "
                                    "are different. Which are they?"),
                           titleOr(words, title)) +
                   QLatin1Char('\n');
    QList<FormField> correcting = fields;
    correcting.append({ReplacesField, QStringLiteral("1")});
    body += resendForm(correcting, words.tr("A correction: replace the answers I sent"), action);
    for (FormField &field : fields)
        if (field.name == AnswerIdField)
            field.value = QString::fromLatin1(newAnswerId());
    body += resendForm(fields, words.tr("Someone else's: keep both"), action);
    body += QStringLiteral("<p>%1</p>")
                .arg(escapeHtml(words.tr("Or go back: your answers are still in the form.")));
    return htmlResponse(words, 409, words.tr("You sent this survey before"), body);
}

// An answer is stored: a redirect to the thank-you page, relative so that a
// survey served under a path prefix comes back to it. A reload of the
// thank-you page posts nothing again.
HttpResponse acknowledged(const Language &words, const QString &fileName,
                          const QByteArray &receipt) {
    HttpResponse response = htmlResponse(words, 303, words.tr("Thank you"), QString());
    response.addHeader("Location", QUrl::toPercentEncoding(fileName) + "?answered=" + receipt);
    return response;
}

// On a tablet passed round a room, the next person starts with an empty
// survey of their own (a new answer ID), not the last person's answers.
HttpResponse thanks(const Language &words, const QString &fileName, const QString &title,
                    bool listed, bool confirmed) {
    const QString link =
        QStringLiteral("\n<p><a href=\"%1\">%2</a></p>")
            .arg(escapeHtml(QString::fromLatin1(QUrl::toPercentEncoding(fileName))),
                 escapeHtml(confirmed ? words.tr("Answer the survey again, as someone else")
                                      : words.tr("Answer the survey")));
    if (!confirmed)
        return htmlResponse(words, 200, words.tr("Answers to %1").arg(titleOr(words, title)),
                            quoting(words.tr("This page confirms answers to %1 right after they "
                                             "are sent; opened otherwise, it confirms none."),
                                    titleOr(words, title)) +
                                link + onward(words, listed, "/"));
    return htmlResponse(words, 200, words.tr("Thank you"),
                        quoting(words.tr("Your answers to %1 were saved. You can close this page."),
                                titleOr(words, title)) +
                            link + onward(words, listed, "/"));
}

// The program's icon, which every browser asks for.
HttpResponse favicon() {
    static const QByteArray icon = [] {
        QFile file(QStringLiteral(":/velmora-collect/velmora-32.png"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    HttpResponse response;
    response.contentType = "image/png";
    response.body = icon;
    response.addHeader("Cache-Control", "max-age=86400");
    return response;
}

HttpResponse style() {
    static const QByteArray css = respondentStyle();
    HttpResponse response;
    response.contentType = "text/css; charset=utf-8";
    response.body = css;
    response.addHeader("Cache-Control", "max-age=3600");
    return response;
}

HttpResponse htmlResponse(const Language &words, int code, const QString &title,
                          const QString &bodyHtml) {
    HttpResponse response;
    response.status = code;
    response.contentType = "text/html; charset=utf-8";
    response.body =
        // Links and buttons large enough for a finger; words that break
        // anywhere, so that a long quoted answer never widens the page.
        QStringLiteral("<!DOCTYPE html>\n<html%3><head><meta charset=\"utf-8\">"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                       "<meta name=\"robots\" content=\"noindex\">"
                       "<meta name=\"color-scheme\" content=\"light dark\">"
                       "<title>%1</title><style>body{font-family:Arial,sans-serif;"
                       "max-width:40em;margin:2em auto;padding:0 1em;color:#111;"
                       "background:#fff;overflow-wrap:anywhere}a{color:#0645ad;"
                       "display:inline-block;box-sizing:border-box;min-height:2.75rem;"
                       "padding:.7rem 0}"
                       "li{margin:0}button{font:inherit;font-weight:bold;max-width:100%;"
                       "min-height:3rem;padding:.5rem 1.5rem;color:#fff;background:#1f5fa8;"
                       "border:0;border-radius:.5rem}form{margin:0 0 .75rem}"
                       "table{border-collapse:collapse}th,td{padding:.4rem .6rem;text-align:start}"
                       "th{overflow-wrap:normal}"
                       "input[type=checkbox]{width:1.75rem;height:1.75rem;margin:0}"
                       "@media (prefers-color-scheme:dark){body{color:#eee;background:#121212}"
                       "a{color:#8cbcf5}}</style></head>\n<body>"
                       "<main><h1>%1</h1>\n%2\n</main></body></html>\n")
            .arg(escapeHtml(title), bodyHtml, words.attributes())
            .toUtf8();
    response.addHeader("Content-Security-Policy", OwnPagePolicy);
    response.addHeader("Cache-Control", "no-store");
    return response;
}

HttpResponse bodyTooLarge(const Language &words) {
    return htmlResponse(words, 413, words.tr("Too large"),
                        QStringLiteral("<p>%1</p>")
                                .arg(escapeHtml(words.tr("These answers are larger than any "
                                                         "survey needs: a survey takes at most "
                                                         "1 MiB of answers."))) +
                            stillInTheForm(words));
}

HttpResponse busyResponse(const Language &words) {
    HttpResponse response = htmlResponse(
        words, 503, words.tr("Busy, try again in a moment"),
        QStringLiteral("<p>%1</p>")
            .arg(escapeHtml(words.tr("Many people are answering right now. Please wait a "
                                     "moment, then go back and try again: your answers are "
                                     "still in the form."))));
    response.addHeader("Retry-After", "5");
    return response;
}

HttpResponse overBudgetResponse(const Language &words, const AnswerBudget::Refusal &refusal) {
    const bool today = refusal.over == AnswerBudget::Over::DailyBytes;
    HttpResponse response = htmlResponse(
        words, 503,
        today ? words.tr("No more answers today") : words.tr("Too many answers at once"),
        QStringLiteral("<p>%1</p>")
            .arg(escapeHtml(
                today ? words.tr("This survey has taken all the answers it can store for now. "
                                 "Please come back later, within a day, go back and send them "
                                 "again: your answers are still in the form.")
                      : words.tr("More answers are arriving than this survey takes at once. "
                                 "Please wait a minute, then go back and send them again: your "
                                 "answers are still in the form."))));
    response.addHeader("Retry-After", QByteArray::number(std::max(1, refusal.retryAfterSeconds)));
    return response;
}

HttpResponse methodNotAllowed(const Language &words, const QByteArray &allow, bool onList) {
    return status(words, 405, words.tr("Method not allowed"),
                  onList ? words.tr("Answers go to the survey's own address.")
                         : words.tr("Surveys are opened and answered here, nothing else."),
                  allow);
}

HttpResponse notItsForm(const Language &words, int code, bool form) {
    return status(words, code, code == 415 ? words.tr("Unsupported form") : words.tr("Bad form"),
                  code == 415 ? words.tr("Answers are sent as an HTML form.")
                  : form      ? words.tr("The answers did not arrive as this survey's form.")
                              : words.tr("The answers did not arrive as a form."));
}

HttpResponse holdsNul(const Language &words) {
    return status(words, 400, words.tr("Bad form"),
                  words.tr("The answers hold a NUL character, which cannot be stored. Please go "
                           "back and remove it."));
}

// Titles are the organiser's words, each in its own direction.
HttpResponse surveyList(const Language &words, const QList<std::pair<QString, QString>> &surveys) {
    QString items;
    for (const auto &[address, title] : surveys)
        items += QStringLiteral("<li><a href=\"%1\" dir=\"auto\">%2</a></li>\n")
                     .arg(escapeHtml(address), escapeHtml(title));
    return htmlResponse(words, 200, words.tr("Surveys"),
                        items.isEmpty()
                            ? QStringLiteral("<p>%1</p>")
                                  .arg(escapeHtml(words.tr("There are no surveys here yet.")))
                            : QStringLiteral("<ul>\n%1</ul>").arg(items));
}

} // namespace Velmora
