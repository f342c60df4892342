// The results link: the organiser's answers files and summaries, behind a
// secret, over HTTPS or on the collector's own computer.
#include "collector.h"

#include "collectorpages.h"
#include "csvreader.h"
#include "formdecoder.h"
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
        return status(Language(), 403, QStringLiteral("Over HTTPS only"),
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
            return busyResponse(Language());
        return notFound(Language(), m_listed, request.path);
    }
    if (slash < 0) {
        HttpResponse moved = htmlResponse(Language(), 301, QStringLiteral("Results"), QString());
        moved.addHeader("Location", token + '/');
        return moved;
    }

    const QByteArray inside = rest.mid(slash + 1);
    if (inside.startsWith("answers/"))
        return answersPage(request,
                           requestedName('/' + inside.mid(qsizetype(qstrlen("answers/")))));
    if (inside.startsWith("required/"))
        return requiredPage(request,
                            requestedName('/' + inside.mid(qsizetype(qstrlen("required/")))));
    if (inside.startsWith("schedule/"))
        return schedulePage(request,
                            requestedName('/' + inside.mid(qsizetype(qstrlen("schedule/")))));
    if (request.method == "POST")
        return status(Language(), 405, QStringLiteral("Method not allowed"),
                      QStringLiteral("Results are read here, nothing else."), "GET, HEAD");
    const QString name = requestedName('/' + inside);
    const QMap<QString, QString> files = resultFiles();
    const QMap<QString, QByteArray> counted = countedSummaries();
    HttpResponse response;
    if (rest.mid(slash + 1).isEmpty()) {
        QString items;
        // Each survey's answers as a table for spreadsheets too.
        QStringList tables;
        for (const QString &page : folderNow()->pages.keys())
            for (const char *suffix : {"csv", "xlsx"})
                tables.append(AnswersFile::pageBase(page) + QStringLiteral(" table.") +
                              QLatin1String(suffix));
        for (const QString &file : QStringList(files.keys()) + QStringList(counted.keys()) + tables)
            items += QStringLiteral("<li><a href=\"%1\">%2</a></li>\n")
                         .arg(escapeHtml(QString::fromLatin1(QUrl::toPercentEncoding(file))),
                              escapeHtml(file));
        QString body = items.isEmpty() ? QStringLiteral("<p>No answers yet.</p>")
                                       : QStringLiteral("<ul>\n%1</ul>").arg(items);
        {
            // What the organiser does with each survey, a page each.
            const QStringList pages = folderNow()->pages.keys();
            for (const auto &[heading, folder] :
                 {std::pair{QStringLiteral("Open and close"), QStringLiteral("schedule/")},
                  std::pair{QStringLiteral("Remove test answers"), QStringLiteral("answers/")},
                  std::pair{QStringLiteral("Questions respondents must answer"),
                            QStringLiteral("required/")}}) {
                QString links;
                for (const QString &page : pages)
                    links +=
                        QStringLiteral("<li><a href=\"%1%2\">%3</a></li>\n")
                            .arg(folder,
                                 escapeHtml(QString::fromLatin1(QUrl::toPercentEncoding(page))),
                                 escapeHtml(page));
                if (!links.isEmpty())
                    body += QStringLiteral("<h2>%1</h2>\n<ul>\n%2</ul>\n").arg(heading, links);
            }
        }
        if (m_database)
            body += QStringLiteral("<p>The answers themselves are in the database: "
                                   "<code>velmora-collect --export FOLDER --database ...</code> "
                                   "writes them as answers files.</p>");
        response = htmlResponse(Language(), 200, QStringLiteral("Results"), body);
    } else if (const auto table = spreadsheetResponse(name)) {
        response = *table;
    } else if (!name.isEmpty() && counted.contains(name)) {
        response.body = counted.value(name);
        response.contentType = "text/html; charset=utf-8";
        response.addHeader("Content-Security-Policy",
                           "default-src 'none'; style-src 'unsafe-inline'");
        response.addHeader("Cache-Control", "no-store");
    } else if (!name.isEmpty() && files.contains(name)) {
        response.stream = std::make_shared<QFile>(files.value(name));
        if (!response.stream->open(QIODevice::ReadOnly))
            return notFound(Language(), m_listed, request.path);
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
        return notFound(Language(), m_listed, request.path);
    }
    response.addHeader("X-Robots-Tag", "noindex");
    return response;
}

namespace {

QString answerRows(const QList<QStringList> &records, const QString &button) {
    QString rows;
    for (qsizetype i = records.size() - 1; i > 0; --i) {
        const QStringList &record = records[i];
        const QString id = record.last();
        if (id.size() != 32)
            continue;
        rows += QStringLiteral("<tr><td><input type=\"checkbox\" name=\"id\" value=\"%1\" "
                               "id=\"a%1\"></td><td><label for=\"a%1\">%2</label></td>"
                               "<td>%3</td><td>%4</td></tr>\n")
                    .arg(escapeHtml(id), escapeHtml(typedCell(record.value(0)).replace(u'T', u' ')),
                         escapeHtml(typedCell(record.value(2))),
                         escapeHtml(typedCell(record.value(3))));
    }
    if (rows.isEmpty())
        return QStringLiteral("<p>None.</p>");
    return QStringLiteral(
               "<table><tr><th>Tick</th><th>Received</th><th>Name</th><th>E-mail</th></tr>"
               "\n%1</table><p><button type=\"submit\">%2</button></p>")
        .arg(rows, escapeHtml(button));
}

} // namespace

HttpResponse Collector::answersPage(const HttpRequest &request, const QString &pageFile) {
    QString answersPath;
    QString title;
    {
        const std::shared_ptr<const Folder> folder = folderNow();
        const auto page = folder->pages.constFind(pageFile);
        if (pageFile.isEmpty() || page == folder->pages.cend())
            return notFound(Language(), m_listed, request.path);
        title = page->page.title.isEmpty() ? pageFile : page->page.title;
        try {
            if (!m_database)
                answersPath = AnswersFile::pathFor(
                    m_folder, pageFile,
                    AnswerSheet(page->page, AnswerSheet::Form::RespondentPage).header());
        } catch (const RuntimeError &) {
            return notFound(Language(), m_listed, request.path);
        }
    }
    QString said;
    if (request.method == "POST") {
        if (!fromThisSite(request))
            return fromElsewhere(Language(), QStringLiteral("Answers are removed"));
        const std::optional<QList<FormField>> fields = decodeForm(request.body);
        QSet<QString> ids;
        bool restore = false;
        for (const FormField &field : fields.value_or(QList<FormField>())) {
            if (field.name == QLatin1String("id"))
                ids.insert(field.value);
            restore = restore || (field.name == QLatin1String("restore"));
        }
        said = changeSaid(Language(), [&] {
            const qsizetype moved = moveAnswers(pageFile, ids, restore);
            return restore ? QStringLiteral("%1 answers brought back.").arg(moved)
                           : QStringLiteral("%1 answers removed: they are kept below, and can "
                                            "be brought back.")
                                 .arg(moved);
        });
    }
    const auto recordsOf = [&](bool removed) {
        QList<QStringList> records;
        if (m_database) {
            QString error;
            records = m_database->listAnswers(pageFile, removed, &error).value_or(records);
        } else {
            CsvReader::readFile(removed ? AnswersFile::removedPath(answersPath) : answersPath,
                                [&records](const QStringList &record) { records.append(record); });
        }
        return records;
    };
    const QString self = QString::fromLatin1(QUrl::toPercentEncoding(pageFile));
    const QString body =
        said +
        QStringLiteral("<p>Tick test answers to take them out of the answers file and the "
                       "summary. They are kept aside in %1, and can be brought back.</p>\n"
                       "<h2>Answers, newest first</h2>\n<form method=\"post\" action=\"%2\">%3"
                       "</form>\n<h2>Removed answers</h2>\n<form method=\"post\" action=\"%2\">"
                       "<input type=\"hidden\" name=\"restore\" value=\"1\">%4</form>\n"
                       "<p><a href=\"../\">Back to the results</a></p>")
            .arg(m_database
                     ? QStringLiteral("the database (velmora.removed_answers)")
                     : escapeHtml(QFileInfo(AnswersFile::removedPath(answersPath)).fileName()),
                 self, answerRows(recordsOf(false), QStringLiteral("Remove the ticked answers")),
                 answerRows(recordsOf(true), QStringLiteral("Bring the ticked answers back")));
    HttpResponse response =
        htmlResponse(Language(), 200, QStringLiteral("Answers to %1").arg(title), body);
    response.addHeader("X-Robots-Tag", "noindex");
    return response;
}

} // namespace Velmora
