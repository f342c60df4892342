#pragma once

#include "answersfile.h"
#include "answersheet.h"
#include "surveypagereader.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace Velmora {

struct HttpRequest {
    QByteArray method;
    QByteArray path; // as sent, still percent-encoded, without the query
    QByteArray query;
    QByteArray contentType;
    QByteArray body;
};

struct HttpResponse {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QList<std::pair<QByteArray, QByteArray>> headers;

    void addHeader(const QByteArray &name, const QByteArray &value) {
        headers.append({name, value});
    }
};

// Serves the survey pages at the top of one folder and keeps their answers.
//
// Only Velmora survey pages (known by their content), the pictures those pages
// name as their background, and an index at "/" can be reached; nothing else in
// the folder is ever read for a request. A POST to a page's own address is one
// answer, acknowledged only once it is on the disk.
//
// Thread-safe: the HTTP layer calls handle() from a thread per connection.
class Collector {
public:
    static constexpr qsizetype MaxBody = 1 << 20;

    using Clock = std::function<QDateTime()>;
    using Log = std::function<void(const QString &)>;
    Collector(QString folder, Clock clock, Log log);

    HttpResponse handle(const HttpRequest &request);

    struct Survey {
        QString fileName;
        QString title;
        qsizetype answers = 0;
        QString answersFile; // empty until there is one
    };
    // The surveys in the folder now, with their answers so far.
    QList<Survey> surveys();

    // Brings the summary of every survey that had answers since the last call up
    // to date; with `everySurvey`, of every survey that has an answers file.
    void writeSummaries(bool everySurvey = false);

    const QString &folder() const { return m_folder; }

private:
    struct Page {
        SurveyPage page;
        qint64 size = -1;
        QDateTime modified;
    };
    struct Answers {
        QString stamp;
        std::unique_ptr<AnswerSheet> sheet;
        std::shared_ptr<AnswersFile> file;
        QStringList header;
    };

    // Brings the list of pages up to date; call with m_mutex held.
    void scan();
    // The answers file for a page as it is now; call with m_mutex held. Throws RuntimeError.
    Answers &answersFor(const QString &fileName, const SurveyPage &page);
    // The file name a request path names, or empty when it names nothing servable.
    static QString requestedName(const QByteArray &path);

    HttpResponse answer(const QString &fileName, const HttpRequest &request);
    HttpResponse serveFile(const QString &fileName, const QByteArray &contentType);
    HttpResponse index();
    HttpResponse thanks(const QString &title);

    const QString m_folder;
    Clock m_clock;
    Log m_log;
    std::mutex m_mutex;
    QMap<QString, Page> m_pages;
    std::map<QString, Answers> m_answers;
    QSet<QString> m_newAnswers; // pages whose summary is behind
};

// A small page of the collector's own, in UTF-8.
HttpResponse htmlResponse(int status, const QString &title, const QString &bodyHtml);

} // namespace Velmora
