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
QString onward(bool listed, const QByteArray &path) {
    if (!listed)
        return QString();
    const qsizetype depth = path.mid(1).count('/');
    const QString list = depth == 0 ? QStringLiteral("./") : QStringLiteral("../").repeated(depth);
    return QStringLiteral("<p><a href=\"%1\">See the surveys here</a></p>").arg(list);
}

HttpResponse notFound(bool listed, const QByteArray &path) {
    return htmlResponse(404, QStringLiteral("Not found"),
                        QStringLiteral("<p>There is no survey at this address.</p>") +
                            onward(listed, path));
}

HttpResponse status(int code, const QString &title, const QString &text, const QByteArray &allow) {
    HttpResponse response =
        htmlResponse(code, title, QStringLiteral("<p>%1</p>").arg(escapeHtml(text)));
    if (!allow.isEmpty())
        response.addHeader("Allow", allow);
    return response;
}

HttpResponse tooLarge(const QString &why) {
    return htmlResponse(413, QStringLiteral("Too large"),
                        QStringLiteral("<p>%1</p><p>Please go back, shorten it and press FINISHED "
                                       "again: your answers are still in the form.</p>")
                            .arg(escapeHtml(why)));
}

bool fromThisSite(const HttpRequest &request) {
    if (!request.fetchSite.isEmpty())
        return request.fetchSite == "same-origin" || request.fetchSite == "none";
    if (request.origin.isEmpty())
        return true;
    const qsizetype scheme = request.origin.indexOf("://");
    return scheme > 0 && request.origin.mid(scheme + 3) == request.host;
}

HttpResponse surveyClosed(const QString &title, const SurveySchedule &schedule,
                          const QDateTime &now, bool listed) {
    QString body = QStringLiteral("<p><strong>%1</strong> has been closed since %2: it takes no "
                                  "more answers. Thank you for your interest.</p>")
                       .arg(escapeHtml(title.isEmpty() ? QStringLiteral("This survey") : title),
                            escapeHtml(SurveySchedule::said(*schedule.closes)));
    if (schedule.opens && *schedule.opens > now)
        body += QStringLiteral("<p>It opens again on %1.</p>")
                    .arg(escapeHtml(SurveySchedule::said(*schedule.opens)));
    HttpResponse response =
        htmlResponse(200, QStringLiteral("This survey is closed"), body + onward(listed, "/"));
    response.addHeader("X-Robots-Tag", "noindex");
    return response;
}

HttpResponse closedToAnswers(const QString &title, const SurveySchedule &schedule,
                             const QStringList &header, const QStringList &cells) {
    QString answers;
    for (qsizetype c = 2; c < header.size() && c < cells.size(); ++c)
        if (!cells[c].isEmpty() && header[c] != AnswerSheet::AnswerIdHeader)
            answers += QStringLiteral("<dt>%1</dt><dd>%2</dd>\n")
                           .arg(escapeHtml(header[c]), escapeHtml(cells[c]));
    return htmlResponse(
        410, QStringLiteral("This survey has closed"),
        QStringLiteral("<p><strong>%1</strong> closed on %2, and your answers were not saved. "
                       "They are below, and still in the form if you go back, for you to keep."
                       "</p>\n<dl>\n%3</dl>")
            .arg(escapeHtml(title.isEmpty() ? QStringLiteral("This survey") : title),
                 escapeHtml(SurveySchedule::said(*schedule.closes)),
                 answers.isEmpty() ? QStringLiteral("<dd>(none given)</dd>\n") : answers));
}

HttpResponse fromElsewhere(const QString &done) {
    return status(
        403, QStringLiteral("Not from this site"),
        QStringLiteral("%1 on the results link's own page, not from another site.").arg(done));
}

QString changeSaid(const std::function<QString()> &change) {
    try {
        return QStringLiteral("<p role=\"status\">%1</p>").arg(change());
    } catch (const RuntimeError &error) {
        return QStringLiteral("<p role=\"alert\">Nothing was changed: %1</p>")
            .arg(escapeHtml(error.description()));
    }
}

HttpResponse answersMissing(const QString &title, const QStringList &questions) {
    QString list;
    for (const QString &question : questions)
        list +=
            QStringLiteral("<li>%1</li>")
                .arg(escapeHtml(question.isEmpty() ? QStringLiteral("(no question)") : question));
    return htmlResponse(
        422, QStringLiteral("Some answers are missing"),
        QStringLiteral("<p>%1 needs an answer to every question below. Please go "
                       "back, answer them and press FINISHED again: your "
                       "answers are still in the form.</p><ul>%2</ul>")
            .arg(escapeHtml(title.isEmpty() ? QStringLiteral("This survey") : title), list));
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
HttpResponse notSaved(const QString &title, const QList<FormField> &fields) {
    const QString form =
        fields.isEmpty() ? QString() : resendForm(fields, QStringLiteral("Try again"));
    HttpResponse response = htmlResponse(
        503, QStringLiteral("Your answers were not saved"),
        QStringLiteral("<p>Sorry: your answers to %1 could not be saved just now. Please try "
                       "again in a minute, or go back: your answers are still in the form.</p>")
                .arg(escapeHtml(title)) +
            form);
    response.addHeader("Retry-After", "60");
    return response;
}

// The answer ID of these answers is stored with other answers: Back after
// sending, a change, and FINISHED again; or the next person on a shared
// tablet whose browser brought the last person's form back. Both are offered,
// each a form carrying every answer, so nothing typed is lost.
HttpResponse differs(const QString &fileName, const QString &title, QList<FormField> fields) {
    const QString action = QString::fromLatin1(QUrl::toPercentEncoding(fileName));
    QString body = QStringLiteral("<p>Answers to <strong>%1</strong> were already sent from this "
                                  "form, and these are different. Which are they?</p>\n")
                       .arg(escapeHtml(title));
    QList<FormField> correcting = fields;
    correcting.append({ReplacesField, QStringLiteral("1")});
    body +=
        resendForm(correcting, QStringLiteral("A correction: replace the answers I sent"), action);
    for (FormField &field : fields)
        if (field.name == AnswerIdField)
            field.value = QString::fromLatin1(newAnswerId());
    body += resendForm(fields, QStringLiteral("Someone else's: keep both"), action);
    body += QStringLiteral("<p>Or go back: your answers are still in the form.</p>");
    return htmlResponse(409, QStringLiteral("You sent this survey before"), body);
}

// An answer is stored: a redirect to the thank-you page, relative so that a
// survey served under a path prefix comes back to it. A reload of the
// thank-you page posts nothing again.
HttpResponse acknowledged(const QString &fileName, const QByteArray &receipt) {
    static const HttpResponse redirect = htmlResponse(303, QStringLiteral("Thank you"), QString());
    HttpResponse response = redirect;
    response.addHeader("Location", QUrl::toPercentEncoding(fileName) + "?answered=" + receipt);
    return response;
}

// On a tablet passed round a room, the next person starts with an empty
// survey of their own (a new answer ID), not the last person's answers.
HttpResponse thanks(const QString &fileName, const QString &title, bool listed, bool confirmed) {
    const QString survey = escapeHtml(QString::fromLatin1(QUrl::toPercentEncoding(fileName)));
    if (!confirmed)
        return htmlResponse(
            200, QStringLiteral("Answers to %1").arg(title),
            QStringLiteral("<p>This page confirms answers to <strong>%1</strong> right after "
                           "they are sent; opened otherwise, it confirms none.</p>\n"
                           "<p><a href=\"%2\">Answer the survey</a></p>")
                    .arg(escapeHtml(title), survey) +
                onward(listed, "/"));
    return htmlResponse(
        200, QStringLiteral("Thank you"),
        QStringLiteral("<p>Your answers to <strong>%1</strong> were saved. "
                       "You can close this page.</p>\n<p><a href=\"%2\">Answer the survey "
                       "again, as someone else</a></p>")
                .arg(escapeHtml(title), survey) +
            onward(listed, "/"));
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

HttpResponse htmlResponse(int code, const QString &title, const QString &bodyHtml) {
    HttpResponse response;
    response.status = code;
    response.contentType = "text/html; charset=utf-8";
    response.body =
        // Links and buttons large enough for a finger; words that break
        // anywhere, so that a long quoted answer never widens the page.
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
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
                       "table{border-collapse:collapse}th,td{padding:.4rem .6rem;text-align:left}"
                       "input[type=checkbox]{width:1.75rem;height:1.75rem;margin:0}"
                       "@media (prefers-color-scheme:dark){body{color:#eee;background:#121212}"
                       "a{color:#8cbcf5}}</style></head>\n<body>"
                       "<main><h1>%1</h1>\n%2\n</main></body></html>\n")
            .arg(escapeHtml(title), bodyHtml)
            .toUtf8();
    response.addHeader("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
    response.addHeader("Cache-Control", "no-store");
    return response;
}

HttpResponse bodyTooLarge() {
    return tooLarge(QStringLiteral("These answers are larger than any survey needs: a survey "
                                   "takes at most 1 MiB of answers."));
}

HttpResponse busyResponse() {
    HttpResponse response = htmlResponse(
        503, QStringLiteral("Busy, try again in a moment"),
        QStringLiteral("<p>Many people are answering right now. Please wait a moment, then "
                       "go back and try again: your answers are still in the form.</p>"));
    response.addHeader("Retry-After", "5");
    return response;
}

HttpResponse overBudgetResponse(const AnswerBudget::Refusal &refusal) {
    const bool today = refusal.over == AnswerBudget::Over::DailyBytes;
    HttpResponse response = htmlResponse(
        503,
        today ? QStringLiteral("No more answers today")
              : QStringLiteral("Too many answers at once"),
        today ? QStringLiteral("<p>This survey has taken all the answers it can store for now. "
                               "Please come back later, within a day, go back and send them "
                               "again: your answers are still in the form.</p>")
              : QStringLiteral("<p>More answers are arriving than this survey takes at once. "
                               "Please wait a minute, then go back and send them again: your "
                               "answers are still in the form.</p>"));
    response.addHeader("Retry-After", QByteArray::number(std::max(1, refusal.retryAfterSeconds)));
    return response;
}

} // namespace Velmora
