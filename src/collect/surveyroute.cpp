// The survey pages respondents load, each with an answer ID of its own,
// their thank-you pages, and the pictures behind them. Answers posted to a
// page go to answerroute.cpp.
#include "collector.h"

#include "answerids.h"
#include "collectorpages.h"
#include "respondentpage.h"

#include <QFile>
#include <QFileInfo>

namespace Velmora {

namespace {

QByteArray pictureType(const QString &name) {
    const QString suffix = QFileInfo(name).suffix().toLower();
    if (suffix == QLatin1String("gif"))
        return "image/gif";
    if (suffix == QLatin1String("png"))
        return "image/png";
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return "image/jpeg";
    if (suffix == QLatin1String("bmp"))
        return "image/bmp";
    return "application/octet-stream";
}

} // namespace

bool Collector::surveyRoute(const Incoming &in, const Reply &reply) {
    const auto page = in.folder->pages.constFind(in.name);
    if (in.name.isEmpty() || page == in.folder->pages.cend())
        return false;
    const QByteArray &query = in.request.query;
    if (in.post)
        answer(in, *page, reply);
    else if (query == "answered" || query.startsWith("answered="))
        reply(thanks(in.words, in.name, page->page.title, m_listed,
                     isReceipt(m_receiptKey, in.name, query.mid(9))));
    else if (page->schedule.isClosed(m_clock()))
        reply(surveyClosed(in.words, page->page.title, page->schedule, m_clock(), m_listed));
    else
        reply(respondentResponse(*page));
    return true;
}

bool Collector::pictureRoute(const Incoming &in, const Reply &reply) {
    if (!in.read || !in.folder->pictures.contains(in.name))
        return false;
    QFile file(m_folder + QLatin1Char('/') + in.name);
    if (!file.open(QIODevice::ReadOnly) || file.size() > Folder::MaxPageSize)
        return false;
    HttpResponse response;
    response.contentType = pictureType(in.name);
    response.body = file.readAll();
    reply(std::move(response));
    return true;
}

void Collector::makeRespondentPage(Page &page, const QString &fileName,
                                   const QString &language) const {
    static const QByteArray marker = "@answer-id@";
    const QByteArray html = respondentPage(page.page, fileName, language, marker, page.required);
    const qsizetype at = html.indexOf(marker);
    page.before = html.left(at);
    page.after = html.mid(at + marker.size());
    page.language = language;
}

HttpResponse Collector::respondentResponse(const Page &page) {
    HttpResponse response;
    response.contentType = "text/html; charset=utf-8";
    // Each load carries an answer ID of its own.
    response.body = page.before + newAnswerId() + page.after;
    response.addHeader("Content-Security-Policy", SurveyPagePolicy);
    // Kept by the respondent's browser only, and asked for again on every visit
    // (a new answer ID): "no-store" would make Firefox load it anew on Back,
    // empty, from the busy, too-large and not-saved pages that promise the
    // answers are still in the form. The page holds no answers, only the
    // form; the pages that carry answers back are never stored.
    response.addHeader("Cache-Control", "private, no-cache");
    response.addHeader("X-Robots-Tag", "noindex");
    return response;
}

} // namespace Velmora
