// The results link: the organiser's answers files and summaries, behind a
// secret, over HTTPS or on the collector's own computer.
#include "collector.h"

#include "collectorpages.h"
#include "htmltext.h"
#include "runtimeerror.h"

#include <QFileInfo>
#include <QUrl>

namespace Velmora {

void Collector::setResultsToken(const QByteArray &token) {
    std::lock_guard lock(m_mutex);
    m_resultsToken = token;
}

QMap<QString, QByteArray> Collector::countedSummaries() {
    QMap<QString, QByteArray> summaries;
    std::lock_guard lock(m_mutex);
    for (const auto &[pageFile, counted] : m_counted)
        summaries.insert(summaryPath(AnswersFile::name(pageFile)), counted.summary);
    return summaries;
}

QMap<QString, QString> Collector::resultFiles() {
    const std::shared_ptr<const Folder> folder = folderNow();
    QMap<QString, QString> files;
    if (m_database)
        return files;
    // The answers files of every version of each page, and their summaries:
    // the current one whether or not the folder was looked at since it began.
    for (auto it = folder->pages.cbegin(); it != folder->pages.cend(); ++it) {
        QStringList answers;
        for (const QString &name : folder->answersFiles.value(it.key()))
            answers.append(m_folder + QLatin1Char('/') + name);
        try {
            answers.append(AnswersFile::pathFor(
                m_folder, it.key(),
                AnswerSheet(it->page, AnswerSheet::Form::RespondentPage).header()));
        } catch (const RuntimeError &) {
        }
        for (const QString &file : std::as_const(answers))
            for (const QString &path : {file, summaryPath(file)})
                if (QFileInfo(path).isFile())
                    files.insert(QFileInfo(path).fileName(), path);
    }
    return files;
}

HttpResponse Collector::results(const HttpRequest &request) {
    // Names and e-mail addresses travel only where nobody can read them on the
    // way: over HTTPS, or on this computer itself.
    const bool loopback = !request.forwarded && (request.client == QLatin1String("127.0.0.1") ||
                                                 request.client == QLatin1String("::1"));
    if (!request.secure && !loopback)
        return status(403, QStringLiteral("Over HTTPS only"),
                      QStringLiteral("The results link works over HTTPS, or on the collector's "
                                     "own computer."));
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
            return busyResponse();
        return notFound(m_listed);
    }
    if (slash < 0) {
        HttpResponse moved = htmlResponse(301, QStringLiteral("Results"), QString());
        moved.addHeader("Location", token + '/');
        return moved;
    }

    const QString name = requestedName('/' + rest.mid(slash + 1));
    const QMap<QString, QString> files = resultFiles();
    const QMap<QString, QByteArray> counted = countedSummaries();
    HttpResponse response;
    if (rest.mid(slash + 1).isEmpty()) {
        QString items;
        for (const QString &file : QStringList(files.keys()) + QStringList(counted.keys()))
            items += QStringLiteral("<li><a href=\"%1\">%2</a></li>\n")
                         .arg(escapeHtml(QString::fromLatin1(QUrl::toPercentEncoding(file))),
                              escapeHtml(file));
        QString body = items.isEmpty() ? QStringLiteral("<p>No answers yet.</p>")
                                       : QStringLiteral("<ul>\n%1</ul>").arg(items);
        if (m_database)
            body += QStringLiteral("<p>The answers themselves are in the database: "
                                   "<code>velmora-collect --export FOLDER --database ...</code> "
                                   "writes them as answers files.</p>");
        response = htmlResponse(200, QStringLiteral("Results"), body);
    } else if (!name.isEmpty() && counted.contains(name)) {
        response.body = counted.value(name);
        response.contentType = "text/html; charset=utf-8";
        response.addHeader("Content-Security-Policy",
                           "default-src 'none'; style-src 'unsafe-inline'");
        response.addHeader("Cache-Control", "no-store");
    } else if (!name.isEmpty() && files.contains(name)) {
        response.stream = std::make_shared<QFile>(files.value(name));
        if (!response.stream->open(QIODevice::ReadOnly))
            return notFound(m_listed);
        if (name.endsWith(QLatin1String(".csv"))) {
            response.contentType = "text/csv; charset=utf-8";
            response.addHeader("Content-Disposition",
                               "attachment; filename*=UTF-8''" + QUrl::toPercentEncoding(name));
        } else {
            response.contentType = "text/html; charset=utf-8";
            response.addHeader("Content-Security-Policy",
                               "default-src 'none'; style-src 'unsafe-inline'");
        }
        response.addHeader("Cache-Control", "no-store");
    } else {
        return notFound(m_listed);
    }
    response.addHeader("X-Robots-Tag", "noindex");
    return response;
}

} // namespace Velmora
