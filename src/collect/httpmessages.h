#pragma once

// The requests and replies the HTTP layer and the collector share, and the
// content security policies of what the collector serves.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <memory>
#include <utility>

namespace Velmora {

// What a survey page may load: its style and its picture from the
// collector, its answers sent back to it, and nothing else.
inline constexpr char SurveyPagePolicy[] =
    "default-src 'none'; style-src 'self' 'unsafe-inline'; img-src 'self'; "
    "form-action 'self'; base-uri 'none'; frame-ancestors 'none'";
// What the collector's own pages and the summaries may load: their own
// style, in the page.
inline constexpr char OwnPagePolicy[] = "default-src 'none'; style-src 'unsafe-inline'";

// A request as the HTTP layer hands it to the collector, and the reply it
// sends back: what the two sides share, and all they share.
struct HttpRequest {
    QByteArray method;
    QByteArray path; // as sent, still percent-encoded, without the query
    QByteArray query;
    QByteArray contentType;
    QByteArray body;
    QString client;         // the respondent's address (behind a trusted proxy, the real one)
    bool secure = false;    // HTTPS, directly or as a trusted proxy says
    bool forwarded = false; // came through a trusted proxy
    QByteArray host = {};   // the Host header
    // Where a browser says the request comes from (Origin, Sec-Fetch-Site):
    // what tells a form of the organiser's own from another site's.
    QByteArray origin = {};
    QByteArray fetchSite = {};
    QByteArray acceptLanguage = {}; // which of the offered languages the browser reads
};

struct HttpResponse {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    // A file sent as it lies on the disk, from its start to its size when it
    // was opened, instead of `body`: a large results file is never held in memory.
    std::shared_ptr<QFile> stream;
    QList<std::pair<QByteArray, QByteArray>> headers;

    void addHeader(const QByteArray &name, const QByteArray &value) {
        headers.append({name, value});
    }
};

class Language;

// A small page of the collector's own, in UTF-8, in `words`'s language.
HttpResponse htmlResponse(const Language &words, int status, const QString &title,
                          const QString &bodyHtml);
// 413 for a body over Collector::MaxBody, read or only announced.
HttpResponse bodyTooLarge(const Language &words);
// "Busy, try again in a moment": 503 with Retry-After.
HttpResponse busyResponse(const Language &words);

} // namespace Velmora
