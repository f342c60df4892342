#include "collector.h"

#include "formdecoder.h"
#include "htmltext.h"
#include "runtimeerror.h"
#include "summary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace Velmora {

namespace {

// A page is a few hundred bytes a question; anything larger is no survey of ours.
constexpr qint64 MaxPageSize = 256 * 1024 * 1024;

const QByteArray PageType = "text/html; charset=windows-1252";

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

HttpResponse notFound() {
    return htmlResponse(404, QStringLiteral("Not found"),
                        QStringLiteral("<p>There is no survey at this address.</p>"));
}

HttpResponse status(int code, const QString &title, const QString &text,
                    const QByteArray &allow = {}) {
    HttpResponse response =
        htmlResponse(code, title, QStringLiteral("<p>%1</p>").arg(escapeHtml(text)));
    if (!allow.isEmpty())
        response.addHeader("Allow", allow);
    return response;
}

bool isFormType(const QByteArray &contentType) {
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    return type == "application/x-www-form-urlencoded";
}

QByteArray pageAddress(const QString &fileName) {
    return '/' + QUrl::toPercentEncoding(fileName);
}

} // namespace

HttpResponse htmlResponse(int code, const QString &title, const QString &bodyHtml) {
    HttpResponse response;
    response.status = code;
    response.contentType = "text/html; charset=utf-8";
    response.body =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                       "<meta name=\"viewport\" content=\"width=device-width\">"
                       "<title>%1</title><style>body{font-family:Arial,sans-serif;"
                       "max-width:40em;margin:2em auto;padding:0 1em;color:#111;"
                       "background:#fff}a{color:#0645ad}</style></head>\n<body>"
                       "<h1>%1</h1>\n%2\n</body></html>\n")
            .arg(escapeHtml(title), bodyHtml)
            .toUtf8();
    response.addHeader("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
    response.addHeader("Cache-Control", "no-store");
    return response;
}

Collector::Collector(QString folder, Clock clock, Log log)
    : m_folder(QDir(folder).absolutePath())
    , m_clock(std::move(clock))
    , m_log(std::move(log)) {}

QString Collector::requestedName(const QByteArray &path) {
    if (!path.startsWith('/'))
        return {};
    const QByteArray encoded = path.mid(1);
    // Encoded separators and NULs never name a file here; plain ones are refused below.
    const QByteArray lower = encoded.toLower();
    if (lower.contains("%2f") || lower.contains("%5c") || lower.contains("%00"))
        return {};
    const QByteArray bytes = QByteArray::fromPercentEncoding(encoded);
    const QString name = QString::fromUtf8(bytes);
    if (name.isEmpty() || name.toUtf8() != bytes || name.startsWith(u'.') || name.contains(u'/') ||
        name.contains(u'\\') || name.contains(QChar(0)))
        return {};
    return name;
}

void Collector::scan() {
    const QDir dir(m_folder);
    const QString canonicalFolder = dir.canonicalPath();
    QMap<QString, Page> pages;
    // Files only, no dot-files, and nothing a link takes out of the folder.
    for (const QFileInfo &info : dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Name)) {
        if (!info.isFile() || info.size() > MaxPageSize ||
            QFileInfo(info.canonicalFilePath()).absolutePath() != canonicalFolder)
            continue;
        const auto known = m_pages.constFind(info.fileName());
        if (known != m_pages.cend() && known->size == info.size() &&
            known->modified == info.lastModified()) {
            pages.insert(info.fileName(), *known);
            continue;
        }
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly) || !maybeSurveyPage(file.peek(256)))
            continue;
        if (const std::optional<SurveyPage> page = readSurveyPage(file.readAll()))
            pages.insert(info.fileName(), {*page, info.size(), info.lastModified()});
    }
    m_pages = std::move(pages);
}

Collector::Answers &Collector::answersFor(const QString &fileName, const SurveyPage &page) {
    Answers &answers = m_answers[fileName];
    auto sheet = std::make_unique<AnswerSheet>(page);
    const QStringList header = sheet->header();
    if (!answers.file || answers.header != header) {
        answers.file.reset();
        answers.file = std::make_shared<AnswersFile>(m_folder, fileName, header);
        answers.header = header;
    }
    if (!answers.sheet || answers.stamp != page.stamp) {
        answers.sheet = std::move(sheet);
        answers.stamp = page.stamp;
    }
    return answers;
}

QList<Collector::Survey> Collector::surveys() {
    std::lock_guard lock(m_mutex);
    scan();
    QList<Survey> list;
    for (auto it = m_pages.cbegin(); it != m_pages.cend(); ++it) {
        Survey survey{it.key(), it->page.title, 0, {}};
        try {
            Answers &answers = answersFor(it.key(), it->page);
            survey.answers = answers.file->answers();
            survey.answersFile = answers.file->path();
        } catch (const RuntimeError &error) {
            m_log(QStringLiteral("Cannot open the answers to %1: %2")
                      .arg(it->page.title, error.description()));
        }
        list.append(survey);
    }
    return list;
}

HttpResponse Collector::handle(const HttpRequest &request) {
    const bool read = request.method == "GET" || request.method == "HEAD";
    const bool post = request.method == "POST";
    if (!read && !post)
        return status(405, QStringLiteral("Method not allowed"),
                      QStringLiteral("Surveys are opened and answered here, nothing else."),
                      "GET, HEAD, POST");
    if (request.path == "/") {
        if (post)
            return status(405, QStringLiteral("Method not allowed"),
                          QStringLiteral("Answers go to the survey's own address."), "GET, HEAD");
        return index();
    }

    const QString name = requestedName(request.path);
    if (name.isEmpty())
        return notFound();

    std::unique_lock lock(m_mutex);
    scan();
    const auto page = m_pages.constFind(name);
    if (page != m_pages.cend()) {
        if (post) {
            lock.unlock();
            return answer(name, request);
        }
        if (request.query == "answered")
            return thanks(page->page.title);
        return serveFile(name, PageType);
    }
    if (post)
        return notFound();
    for (const Page &candidate : std::as_const(m_pages))
        if (candidate.page.background == name)
            return serveFile(name, pictureType(name));
    return notFound();
}

HttpResponse Collector::answer(const QString &fileName, const HttpRequest &request) {
    if (!isFormType(request.contentType))
        return status(415, QStringLiteral("Unsupported form"),
                      QStringLiteral("Answers are sent as an HTML form."));
    if (request.body.size() > MaxBody)
        return status(413, QStringLiteral("Too large"),
                      QStringLiteral("These answers are larger than any survey needs."));
    const std::optional<QList<FormField>> fields = decodeForm(request.body);
    if (!fields)
        return status(400, QStringLiteral("Bad form"),
                      QStringLiteral("The answers did not arrive as a form."));

    std::shared_ptr<AnswersFile> file;
    AnswerSheet::Row row;
    QString title;
    try {
        {
            std::lock_guard lock(m_mutex);
            const auto page = m_pages.constFind(fileName);
            if (page == m_pages.cend())
                return notFound();
            title = page->page.title;
            Answers &answers = answersFor(fileName, page->page);
            row = answers.sheet->row(*fields, m_clock());
            file = answers.file;
        }
        // Outside the lock, so that answers arriving together share one sync.
        file->append(csvRecord(row.cells));
    } catch (const RuntimeError &error) {
        m_log(QStringLiteral("An answer to %1 was NOT saved: %2").arg(title, error.description()));
        HttpResponse response =
            htmlResponse(503, QStringLiteral("Your answers were not saved"),
                         QStringLiteral("<p>Sorry: your answers to %1 could not be saved just now. "
                                        "Please go back and press FINISHED again in a minute.</p>")
                             .arg(escapeHtml(title)));
        response.addHeader("Retry-After", "60");
        return response;
    }

    {
        std::lock_guard lock(m_mutex);
        m_newAnswers.insert(fileName);
    }
    QString line = QStringLiteral("%1 answers to %2").arg(file->answers()).arg(title);
    if (row.ignoredFields > 0)
        line += QStringLiteral(" (%1 fields the page does not have were ignored)")
                    .arg(row.ignoredFields);
    m_log(line);
    HttpResponse response = htmlResponse(303, QStringLiteral("Thank you"), QString());
    // A reload of the thank-you page must not post the answers again.
    response.addHeader("Location", pageAddress(fileName) + "?answered");
    return response;
}

void Collector::writeSummaries(bool everySurvey) {
    QList<std::pair<SurveyPage, QString>> due; // a page and its answers file
    {
        std::lock_guard lock(m_mutex);
        scan();
        for (auto it = m_pages.cbegin(); it != m_pages.cend(); ++it) {
            if (!everySurvey && !m_newAnswers.contains(it.key()))
                continue;
            try {
                const QString path =
                    AnswersFile::pathFor(m_folder, it.key(), AnswerSheet(it->page).header());
                if (QFileInfo::exists(path))
                    due.append({it->page, path});
            } catch (const RuntimeError &error) {
                m_log(QStringLiteral("No summary of %1: %2")
                          .arg(it->page.title, error.description()));
            }
        }
        m_newAnswers.clear();
    }
    // Outside the lock: answers keep arriving while a summary is written. A row
    // being appended just now is not complete yet and is left for the next one.
    for (const auto &[page, path] : due) {
        try {
            QFile answers(path);
            if (!answers.open(QIODevice::ReadOnly))
                throw RuntimeError(QStringLiteral("%1 (%2)").arg(answers.errorString(), path));
            writeFileDurably(summaryPath(path),
                             summaryPage(page, AnswersFile::parseRecords(answers.readAll())));
        } catch (const RuntimeError &error) {
            m_log(QStringLiteral("No summary of %1: %2").arg(page.title, error.description()));
        }
    }
}

HttpResponse Collector::serveFile(const QString &fileName, const QByteArray &contentType) {
    QFile file(m_folder + QLatin1Char('/') + fileName);
    if (!file.open(QIODevice::ReadOnly))
        return notFound();
    HttpResponse response;
    response.contentType = contentType;
    response.body = file.readAll();
    return response;
}

HttpResponse Collector::index() {
    QString items;
    for (const Survey &survey : surveys())
        items += QStringLiteral("<li><a href=\"%1\">%2</a></li>\n")
                     .arg(escapeHtml(QString::fromLatin1(pageAddress(survey.fileName))),
                          escapeHtml(survey.title.isEmpty() ? survey.fileName : survey.title));
    return htmlResponse(200, QStringLiteral("Surveys"),
                        items.isEmpty() ? QStringLiteral("<p>There are no surveys here yet.</p>")
                                        : QStringLiteral("<ul>\n%1</ul>").arg(items));
}

HttpResponse Collector::thanks(const QString &title) {
    return htmlResponse(200, QStringLiteral("Thank you"),
                        QStringLiteral("<p>Your answers to <strong>%1</strong> were saved.</p>")
                            .arg(escapeHtml(title)));
}

} // namespace Velmora
