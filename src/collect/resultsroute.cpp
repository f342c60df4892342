// The results link: the organiser's answers files and summaries, behind a
// secret, over HTTPS or on the collector's own computer.
#include "collector.h"

#include "collectorpages.h"
#include "csvreader.h"
#include "formdecoder.h"
#include "organiserpages.h"
#include "runtimeerror.h"

#include <QFileInfo>
#include <QUrl>

namespace Velmora {

void Collector::setResultsToken(const QByteArray &token) {
    std::lock_guard lock(m_mutex);
    m_resultsToken = token;
}

Language Collector::organiserLanguage() const {
    std::lock_guard lock(m_mutex);
    return m_languages.survey();
}

bool Collector::resultsRoute(const Incoming &in, const Reply &reply) {
    if (!in.request.path.startsWith("/results/"))
        return false;
    reply(results(in.request));
    return true;
}

HttpResponse Collector::results(const HttpRequest &request) {
    const Language words = organiserLanguage();
    // Names and e-mail addresses travel only where nobody can read them on the
    // way: over HTTPS, or on this computer itself.
    const bool loopback = !request.forwarded && (request.client == QLatin1String("127.0.0.1") ||
                                                 request.client == QLatin1String("::1"));
    if (!request.secure && !loopback)
        return httpsOnly(words);
    const QByteArray rest = request.path.mid(qsizetype(qstrlen("/results/")));
    const qsizetype slash = rest.indexOf('/');
    const QByteArray token = slash < 0 ? rest : rest.left(slash);
    QByteArray secret;
    {
        std::lock_guard lock(m_mutex);
        secret = m_resultsToken;
    }
    // Every byte compared, whatever the first difference: the time taken tells
    // nothing about how much of a guess was right.
    unsigned char difference = secret.isEmpty() || token.size() != secret.size() ? 1 : 0;
    for (qsizetype i = 0; i < std::min(token.size(), secret.size()); ++i)
        difference |= static_cast<unsigned char>(token[i] ^ secret[i]);
    if (difference != 0) {
        if (!m_tokenGuesses.admit(request.client, false, m_steady.elapsed()))
            return busyResponse(words);
        return notFound(words, m_listed, request.path);
    }
    if (slash < 0)
        return resultsMoved(words, token + '/');

    const QByteArray inside = rest.mid(slash + 1);
    const std::shared_ptr<const Folder> folder = folderNow();
    // The pages about one survey, each changing something of it.
    static constexpr struct {
        const char *prefix;
        OrganiserChange change;
        HttpResponse (Collector::*route)(const OrganiserRequest &);
    } organiserPages[] = {
        {"answers/", OrganiserChange::RemoveAnswers, &Collector::answersRoute},
        {"required/", OrganiserChange::Required, &Collector::requiredRoute},
        {"schedule/", OrganiserChange::Schedule, &Collector::scheduleRoute},
    };
    for (const auto &organiser : organiserPages) {
        if (!inside.startsWith(organiser.prefix))
            continue;
        const QString pageFile = requestedName('/' + inside.mid(qstrlen(organiser.prefix)));
        const auto page = folder->pages.constFind(pageFile);
        if (pageFile.isEmpty() || page == folder->pages.cend())
            return notFound(words, m_listed, request.path);
        if (request.method == "POST" && !fromThisSite(request))
            return changedFromElsewhere(words, organiser.change);
        return (this->*organiser.route)({request, words, pageFile, *page,
                                         page->page.title.isEmpty() ? pageFile : page->page.title,
                                         folder});
    }
    if (request.method == "POST")
        return resultsAreRead(words);
    const QString name = requestedName('/' + inside);
    const QMap<QString, ResultFile> files = m_store->resultFiles(*folder);
    HttpResponse response;
    if (rest.mid(slash + 1).isEmpty()) {
        // Each survey's answers as a table for spreadsheets too.
        const QStringList pages = folder->pages.keys();
        QStringList tables;
        for (const QString &page : pages)
            for (const char *suffix : {"csv", "xlsx"})
                tables.append(AnswersFile::pageBase(page) + QStringLiteral(" table.") +
                              QLatin1String(suffix));
        return resultsIndex(words, QStringList(files.keys()) + tables, pages,
                            m_store->inDatabase());
    } else if (const auto table = spreadsheetResponse(words, name)) {
        response = *table;
    } else if (!name.isEmpty() && files.contains(name) && files[name].path.isEmpty()) {
        response.body = files[name].summary;
        response.contentType = "text/html; charset=utf-8";
        response.addHeader("Content-Security-Policy", OwnPagePolicy);
        response.addHeader("Cache-Control", "no-store");
    } else if (!name.isEmpty() && files.contains(name)) {
        response.stream = std::make_shared<QFile>(files.value(name).path);
        if (!response.stream->open(QIODevice::ReadOnly))
            return notFound(words, m_listed, request.path);
        if (name.endsWith(QLatin1String(".csv"))) {
            response.contentType = "text/csv; charset=utf-8";
            response.addHeader("Content-Disposition",
                               "attachment; filename*=UTF-8''" + QUrl::toPercentEncoding(name));
        } else {
            response.contentType = "text/html; charset=utf-8";
            response.addHeader("Content-Security-Policy", OwnPagePolicy);
        }
        response.addHeader("Cache-Control", "no-store");
    } else {
        return notFound(words, m_listed, request.path);
    }
    response.addHeader("X-Robots-Tag", "noindex");
    return response;
}

HttpResponse Collector::answersRoute(const OrganiserRequest &in) {
    const Language &words = in.words;
    const QString &pageFile = in.pageFile;
    QString said;
    if (in.request.method == "POST") {
        const std::optional<QList<FormField>> fields = decodeForm(in.request.body);
        QSet<QString> ids;
        bool restore = false;
        for (const FormField &field : fields.value_or(QList<FormField>())) {
            if (field.name == QLatin1String("id"))
                ids.insert(field.value);
            restore = restore || (field.name == QLatin1String("restore"));
        }
        said = changeSaid(words, [&] {
            return answersMoved(words, moveAnswers(pageFile, ids, restore), restore);
        });
    }
    return answersPage(words, in.title, pageFile, said,
                       m_store->removedPlace(*in.folder, pageFile, words),
                       m_store->records(*in.folder, pageFile, false),
                       m_store->records(*in.folder, pageFile, true));
}

} // namespace Velmora
