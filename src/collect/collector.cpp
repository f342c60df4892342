#include "collector.h"

#include "awaitcallback.h"
#include "csvreader.h"
#include "formdecoder.h"
#include "htmltext.h"
#include "respondentpage.h"
#include "runtimeerror.h"
#include "summary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QUrl>

#include <cstring>
#include <optional>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace Velmora {

namespace {

// Less free space than this and an answer may not fit: the health check says so.
constexpr qint64 MinFreeSpace = 64 * 1024;

// A page is a few hundred bytes a question; anything larger is no survey of ours.
constexpr qint64 MaxPageSize = 256 * 1024 * 1024;

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

// Every page of the collector's own leads on: to the list, where there is one.
QString onward(bool listed) {
    return listed ? QStringLiteral("<p><a href=\"./\">See the surveys here</a></p>") : QString();
}

HttpResponse notFound(bool listed) {
    return htmlResponse(404, QStringLiteral("Not found"),
                        QStringLiteral("<p>There is no survey at this address.</p>") +
                            onward(listed));
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

HttpResponse tooLarge(const QString &why) {
    return htmlResponse(413, QStringLiteral("Too large"),
                        QStringLiteral("<p>%1</p><p>Please go back, shorten it and press FINISHED "
                                       "again: your answers are still in the form.</p>")
                            .arg(escapeHtml(why)));
}

// The answers come back in the page, ready to be sent again with "Try again"
// (to the same address, with the same answer ID, so never stored twice).
// A form that posts `fields` again to the page it came from, with a button.
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

HttpResponse notSaved(const QString &title, const QList<FormField> &fields = {}) {
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

// Posted with an answer whose ID is stored, with other content: the respondent
// chose to replace the answer stored.
const QString ReplacesField = QStringLiteral("velmora-replaces");

QByteArray newAnswerId();

// The answer ID of these answers is stored with other answers: Back after
// sending, a change, and FINISHED again; or the next person on a shared
// tablet whose browser brought the last person's form back. Both are offered,
// each a form carrying every answer, so nothing typed is lost; with a
// database, only sending them as another answer.
HttpResponse differs(const QString &fileName, const QString &title, QList<FormField> fields,
                     bool correctable) {
    const QString action = QString::fromLatin1(QUrl::toPercentEncoding(fileName));
    QString body = QStringLiteral("<p>Answers to <strong>%1</strong> were already sent from this "
                                  "form, and these are different. Which are they?</p>\n")
                       .arg(escapeHtml(title));
    if (correctable) {
        QList<FormField> correcting = fields;
        correcting.append({ReplacesField, QStringLiteral("1")});
        body += resendForm(correcting, QStringLiteral("A correction: replace the answers I sent"),
                           action);
    }
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
HttpResponse acknowledged(const QString &fileName) {
    static const HttpResponse redirect = htmlResponse(303, QStringLiteral("Thank you"), QString());
    HttpResponse response = redirect;
    response.addHeader("Location", QUrl::toPercentEncoding(fileName) + "?answered");
    return response;
}

// On a tablet passed round a room, the next person starts with an empty
// survey of their own (a new answer ID), not the last person's answers.
HttpResponse thanks(const QString &fileName, const QString &title, bool listed) {
    return htmlResponse(
        200, QStringLiteral("Thank you"),
        QStringLiteral("<p>Your answers to <strong>%1</strong> were saved. "
                       "You can close this page.</p>\n<p><a href=\"%2\">Answer the survey "
                       "again, as someone else</a></p>")
                .arg(escapeHtml(title),
                     escapeHtml(QString::fromLatin1(QUrl::toPercentEncoding(fileName)))) +
            onward(listed));
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

// The first 64 of an answer ID's 128 random bits: enough to tell answers
// apart, and half the memory.
quint64 answerIdKey(const QString &id) {
    return QStringView(id).left(16).toULongLong(nullptr, 16);
}

// What an answer holds, from the page's stamp on (not when it came), as typed.
size_t contentOf(const QStringList &typedCells) {
    return qHash(typedCells.mid(1));
}

// The answer ID of a record of the answers file, by its first 64 bits.
std::optional<quint64> answerIdOf(const QStringList &record, qsizetype width) {
    if (record.size() != width || record.last().size() != 32)
        return std::nullopt;
    return answerIdKey(record.last());
}

// The summary of an answers file in which a later record with an answer ID
// replaces the earlier ones with it: the respondent corrected that answer.
// Read once, and once more only when a correction is in it. Throws RuntimeError.
struct FileTally {
    std::shared_ptr<SummaryTally> tally;
    qsizetype records = 0;
};
FileTally tallyOfFile(const QString &path, const SurveyPage &page) {
    const qsizetype width = AnswerSheet(page, AnswerSheet::Form::RespondentPage).width();
    QHash<quint64, qsizetype> latest;
    bool corrected = false;
    FileTally counted{std::make_shared<SummaryTally>(page, AnswerSheet::Form::RespondentPage)};
    const auto read = [&path](const std::function<void(const QStringList &)> &each) {
        QString error;
        if (!CsvReader::readFile(path, each, nullptr, &error))
            throw RuntimeError(error);
    };
    read([&](const QStringList &record) {
        counted.tally->add(record);
        if (const std::optional<quint64> id = answerIdOf(record, width)) {
            corrected = corrected || latest.contains(*id);
            latest.insert(*id, counted.records);
        }
        ++counted.records;
    });
    if (!corrected)
        return counted;
    counted.tally = std::make_shared<SummaryTally>(page, AnswerSheet::Form::RespondentPage);
    qsizetype at = 0;
    read([&](const QStringList &record) {
        const std::optional<quint64> id = answerIdOf(record, width);
        if (!id || latest.value(*id) == at)
            counted.tally->add(record);
        ++at;
    });
    return counted;
}

// 128 bits from the kernel's generator, fetched a few kilobytes at a time: one
// system call for every 256 pages served, not one each. (Qt's system generator
// asks the processor, which a virtual machine makes 150 times slower.)
QByteArray newAnswerId() {
    constexpr qsizetype Bytes = 16;
    thread_local QByteArray pool;
    thread_local qsizetype used = 0;
    if (used + Bytes > pool.size()) {
        pool.resize(4096);
        for (qsizetype filled = 0; filled < pool.size();) {
            const ssize_t got = ::getrandom(pool.data() + filled, size_t(pool.size() - filled), 0);
            if (got > 0)
                filled += got;
            else if (errno != EINTR)
                qFatal("No randomness from the kernel: %s", strerror(errno));
        }
        used = 0;
    }
    const QByteArray id = pool.mid(used, Bytes).toHex();
    std::fill(pool.begin() + used, pool.begin() + used + Bytes, '\0'); // handed out once
    used += Bytes;
    return id;
}

} // namespace

HttpResponse htmlResponse(int code, const QString &title, const QString &bodyHtml) {
    HttpResponse response;
    response.status = code;
    response.contentType = "text/html; charset=utf-8";
    response.body =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                       "<meta name=\"viewport\" content=\"width=device-width\">"
                       "<meta name=\"color-scheme\" content=\"light dark\">"
                       "<title>%1</title><style>body{font-family:Arial,sans-serif;"
                       "max-width:40em;margin:2em auto;padding:0 1em;color:#111;"
                       "background:#fff}a{color:#0645ad}button{font:inherit;font-weight:bold;"
                       "min-height:3rem;padding:.5rem 1.5rem;color:#fff;background:#1f5fa8;"
                       "border:0;border-radius:.5rem}form{margin:0 0 .75rem}"
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

namespace {

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

} // namespace

Collector::Collector(QString folder, Clock clock, Log log, Log errors,
                     ClientLimits::Settings limits, AnswerBudget::Settings budget)
    : m_folder(QDir(folder).absolutePath())
    , m_clock(std::move(clock))
    , m_log(std::move(log))
    , m_errors(std::move(errors))
    , m_limits(limits)
    , m_budget(budget) {
    m_steady.start();
    rescan();
}

Collector::~Collector() {
    // The writers finish what was handed to them, and their last acknowledgements
    // still find this collector whole.
    std::map<QString, Answers> answers;
    {
        std::lock_guard lock(m_mutex);
        answers.swap(m_answers);
    }
    answers.clear();
    dropRetired();
    // Answers handed to a database are waited for too (its statement timeout
    // bounds the wait): their acknowledgements use this collector.
    std::unique_lock lock(m_pendingMutex);
    m_pendingDone.wait(lock, [this] { return m_pending == 0; });
}

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

void Collector::rescan() {
    std::lock_guard scanning(m_scanMutex);
    const std::shared_ptr<const Folder> known = folderNow();
    QString language;
    {
        std::lock_guard lock(m_mutex);
        language = m_language;
    }
    const QDir dir(m_folder);
    const QString canonicalFolder = dir.canonicalPath();
    auto folder = std::make_shared<Folder>();
    // Files only, no dot-files, and nothing a link takes out of the folder.
    for (const QFileInfo &info : dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Name)) {
        // A name no address can reach (a backslash, a NUL) is no survey here:
        // listed, it would lead to a 404 and an answers file nobody can fill.
        if (!info.isFile() || info.size() > MaxPageSize ||
            QFileInfo(info.canonicalFilePath()).absolutePath() != canonicalFolder ||
            requestedName('/' + QUrl::toPercentEncoding(info.fileName())) != info.fileName())
            continue;
        const auto same =
            known ? known->pages.constFind(info.fileName()) : QMap<QString, Page>::const_iterator();
        if (known && same != known->pages.cend() && same->size == info.size() &&
            same->modified == info.lastModified()) {
            Page page = *same;
            if (page.language != language)
                makeRespondentPage(page, language);
            folder->pages.insert(info.fileName(), page);
            continue;
        }
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly) || !maybeSurveyPage(file.peek(256)))
            continue;
        if (const std::optional<SurveyPage> survey = readSurveyPage(file.readAll())) {
            Page page{*survey, info.size(), info.lastModified(), {}, {}, {}};
            makeRespondentPage(page, language);
            folder->pages.insert(info.fileName(), page);
        }
    }
    for (const Page &page : std::as_const(folder->pages))
        if (!page.page.background.isEmpty())
            folder->pictures.insert(page.page.background);
    // Each version of a page has its answers file ("answers (2).csv" for the
    // second), and every one stays in reach.
    static const QRegularExpression version(
        QStringLiteral("^(.*) answers(?: \\((\\d+)\\))?\\.csv$"));
    QMap<QString, QMap<int, QString>> versions;
    for (const QString &name : dir.entryList({QStringLiteral("* answers*.csv")}, QDir::Files)) {
        const QRegularExpressionMatch match = version.match(name);
        const QString page = match.captured(1) + QStringLiteral(".htm");
        const int number = match.captured(2).isEmpty() ? 1 : match.captured(2).toInt();
        if (match.hasMatch() && folder->pages.contains(page) &&
            AnswersFile::name(page, number) == name)
            versions[page].insert(number, name);
    }
    for (auto it = versions.cbegin(); it != versions.cend(); ++it)
        folder->answersFiles.insert(it.key(), it->values());
    std::lock_guard lock(m_mutex);
    m_pages = std::move(folder);
}

std::shared_ptr<const Collector::Folder> Collector::folderNow() {
    std::lock_guard lock(m_mutex);
    return m_pages;
}

Collector::Answers &Collector::answersFor(const QString &fileName, const SurveyPage &page) {
    Answers &answers = m_answers[fileName];
    // The same page as last time: nothing to work out again.
    if ((answers.file || answers.shared) && answers.stamp == page.stamp &&
        answers.inputs == page.inputs)
        return answers;
    auto sheet = std::make_shared<const AnswerSheet>(page, AnswerSheet::Form::RespondentPage);
    const QStringList header = sheet->header();
    answers.sheetWidth = sheet->width();
    if (m_database) {
        // The database knows which answer IDs it holds, and counts the summaries.
        answers.shared = sharedSurvey(fileName, page, header);
        if (answers.header != header)
            answers.forgetIds();
        answers.header = header;
        answers.sheet = std::move(sheet);
        answers.stamp = page.stamp;
        answers.inputs = page.inputs;
        return answers;
    }
    const bool newFile = !answers.file || answers.header != header;
    if (newFile || answers.stamp != page.stamp) {
        // The file is read once, in pieces, into the counts of its summary.
        auto tally = std::make_shared<SummaryTally>(page, AnswerSheet::Form::RespondentPage);
        if (newFile) {
            if (answers.file)
                m_retired.push_back(std::move(answers.file));
            answers.forgetIds();
            answers.file = std::make_shared<AnswersFile>(
                m_folder, fileName, header,
                [&tally, &answers](const QStringList &record) {
                    answers.count(tally.get(), record);
                },
                m_fileMode);
            answers.header = header;
        } else {
            tally = tallyOfFile(answers.file->path(), page).tally;
        }
        answers.tally = std::move(tally);
        answers.sheet = std::move(sheet);
        answers.stamp = page.stamp;
        answers.inputs = page.inputs;
    }
    return answers;
}

QList<Collector::Survey> Collector::surveys() {
    const std::shared_ptr<const Folder> folder = folderNow();
    QList<Survey> list;
    QList<qsizetype> unopened; // surveys nobody answered in this run
    {
        std::lock_guard lock(m_mutex);
        for (auto it = folder->pages.cbegin(); it != folder->pages.cend(); ++it) {
            Survey survey{it.key(), it->page.title, 0, {}, {}, {}, 0};
            if (m_database) {
                const auto counted = m_counted.find(it.key());
                if (counted != m_counted.end()) {
                    survey.answers = counted->second.answers;
                    survey.countedSummary = summaryPath(AnswersFile::name(it.key()));
                }
            } else if (const auto answers = m_answers.find(it.key());
                       answers != m_answers.end() && answers->second.file &&
                       answers->second.stamp == it->page.stamp) {
                // A corrected answer is one answer, once its summary is counted again.
                survey.answers = answers->second.tally ? answers->second.tally->answers()
                                                       : answers->second.file->answers();
                survey.answersFile = answers->second.file->path();
            } else {
                unopened.append(list.size());
            }
            list.append(survey);
        }
    }
    // Listing makes nothing and holds no lock over the disk: what a survey
    // nobody answered yet has is counted from its file, read again only when
    // the file changed.
    for (const qsizetype i : std::as_const(unopened)) {
        Survey &survey = list[i];
        try {
            const SurveyPage &page = folder->pages.value(survey.fileName).page;
            const QString path =
                AnswersFile::pathFor(m_folder, survey.fileName,
                                     AnswerSheet(page, AnswerSheet::Form::RespondentPage).header());
            const QFileInfo info(path);
            if (!info.isFile())
                continue;
            survey.answersFile = path;
            survey.answers = m_listedCounts.count(path, info);
        } catch (const RuntimeError &error) {
            m_errors(QStringLiteral("Cannot read the answers to %1: %2")
                         .arg(survey.title, error.description()));
        }
    }
    for (Survey &survey : list) {
        for (const QString &name : folder->answersFiles.value(survey.fileName)) {
            const QString path = m_folder + QLatin1Char('/') + name;
            if (QFileInfo(survey.answersFile).fileName() == name)
                continue;
            survey.earlierAnswersFiles.append(path);
            try {
                survey.earlierAnswers += m_listedCounts.count(path, QFileInfo(path));
            } catch (const RuntimeError &) {
                // Counted as none; the file is still listed.
            }
        }
    }
    return list;
}

HttpResponse Collector::handle(const HttpRequest &request) {
    HttpResponse response =
        awaitCallback<HttpResponse>([&](Reply reply) { handle(request, std::move(reply)); });
    if (response.stream)
        response.body = std::exchange(response.stream, nullptr)->readAll();
    return response;
}

void Collector::handle(const HttpRequest &request, Reply reply) {
    const bool read = request.method == "GET" || request.method == "HEAD";
    const bool post = request.method == "POST";
    if (!read && !post)
        return reply(status(405, QStringLiteral("Method not allowed"),
                            QStringLiteral("Surveys are opened and answered here, nothing else."),
                            "GET, HEAD, POST"));
    if (request.path == "/healthz" && read)
        return reply(health());
    if (request.path.startsWith("/results/"))
        return reply(read ? results(request)
                          : status(405, QStringLiteral("Method not allowed"),
                                   QStringLiteral("Results are read here, nothing else."),
                                   "GET, HEAD"));
    // What a respondent whose answers are saved still loads (the thank-you page,
    // the style, the icon, the picture) is small and stores nothing: the limits
    // that protect taking answers never tell that person "busy".
    const QString name = requestedName(request.path);
    const std::shared_ptr<const Folder> folder = folderNow();
    const bool afterSaving =
        read && (request.query == "answered" || request.path == "/velmora.css" ||
                 request.path == "/favicon.ico" || folder->pictures.contains(name));
    if (!afterSaving && !m_limits.admit(request.client, post, m_steady.elapsed())) {
        std::lock_guard lock(m_mutex);
        ++m_refused;
        m_refusedClients.insert(request.client);
        return reply(busyResponse());
    }
    // Checked once the client is within its own rate: one client over it does
    // not spend what everyone shares.
    if (post && folder->pages.contains(name)) {
        if (const auto refusal = m_budget.take(request.body.size(), m_steady.elapsed())) {
            std::lock_guard lock(m_mutex);
            ++m_overBudget;
            return reply(overBudgetResponse(*refusal));
        }
    }
    if (request.path == "/" && m_listed) {
        if (post)
            return reply(status(405, QStringLiteral("Method not allowed"),
                                QStringLiteral("Answers go to the survey's own address."),
                                "GET, HEAD"));
        return reply(index());
    }

    if (request.path == "/favicon.ico" && read)
        return reply(favicon());
    if (request.path == "/velmora.css" && read)
        return reply(style());
    if (name.isEmpty())
        return reply(notFound(m_listed));
    const auto page = folder->pages.constFind(name);
    if (page != folder->pages.cend()) {
        if (post)
            return answer(name, request, reply);
        if (request.query == "answered")
            return reply(thanks(name, page->page.title, m_listed));
        return reply(respondentResponse(*page));
    }
    if (!post && folder->pictures.contains(name))
        return reply(serveFile(name, pictureType(name)));
    reply(notFound(m_listed));
}

void Collector::logFor(const HttpRequest &request, const QString &line) const {
    m_log(request.client.isEmpty() ? line : request.client + QStringLiteral(": ") + line);
}

void Collector::answer(const QString &fileName, const HttpRequest &request, const Reply &reply) {
    if (!isFormType(request.contentType))
        return reply(status(415, QStringLiteral("Unsupported form"),
                            QStringLiteral("Answers are sent as an HTML form.")));
    if (request.body.size() > MaxBody)
        return reply(bodyTooLarge());
    std::optional<QList<FormField>> fields = decodeForm(request.body);
    if (!fields)
        return reply(status(400, QStringLiteral("Bad form"),
                            QStringLiteral("The answers did not arrive as a form.")));
    const bool replaces =
        fields->removeIf([](const FormField &field) { return field.name == ReplacesField; }) > 0;

    std::shared_ptr<AnswersFile> file;
    std::optional<AnswerDatabase::Survey> shared;
    std::shared_ptr<SummaryTally> tally;
    std::shared_ptr<const AnswerSheet> sheet;
    QString title;
    try {
        std::lock_guard lock(m_mutex);
        const auto page = m_pages->pages.constFind(fileName);
        if (page == m_pages->pages.cend())
            return reply(notFound(m_listed));
        title = page->page.title;
        // An empty body, or one of fields the survey does not have, is no
        // answer: it would only add a blank row.
        if (std::none_of(fields->cbegin(), fields->cend(), [&page](const FormField &field) {
                return AnswerSheet::isFieldOf(page->page, field.name);
            }))
            return reply(
                status(400, QStringLiteral("Bad form"),
                       QStringLiteral("The answers did not arrive as this survey's form.")));
        Answers &answers = answersFor(fileName, page->page);
        sheet = answers.sheet;
        file = answers.file;
        shared = answers.shared;
        tally = answers.tally;
    } catch (const RuntimeError &error) {
        dropRetired();
        logNotSaved(title, error.description());
        return reply(notSaved(title, *fields));
    }
    dropRetired();
    // Outside the lock: the other threads go on meanwhile.
    const AnswerSheet::Row row = sheet->row(*fields, m_clock());
    if (!row.tooLong.isEmpty())
        return reply(tooLarge(row.tooLong));
    // A database's text holds every character but NUL, which no keyboard types:
    // refused plainly rather than stored changed or asked again and again.
    if (shared && std::any_of(row.cells.cbegin(), row.cells.cend(),
                              [](const QString &cell) { return cell.contains(QChar(0)); }))
        return reply(status(400, QStringLiteral("Bad form"),
                            QStringLiteral("The answers hold a NUL character, which cannot be "
                                           "stored. Please go back and remove it.")));

    // An answer posted again (a second press, a resend, Back and FINISHED) is
    // acknowledged as the first was and stored once: the same answer ID waits
    // for the first one's outcome, or is told at once that it is stored.
    //
    // The same answer ID with other answers is someone going back to change
    // theirs, or the next person on a shared tablet: never dropped in
    // silence, they are asked which (see differs()). A correction is a row of
    // its own with the same answer ID: the earlier one stays in the file, and
    // the summary counts the latest.
    const QString id = row.cells.last().size() == 32 ? row.cells.last() : QString();
    const QList<FormField> posted = *fields;
    const size_t content = contentOf(row.cells);
    bool correction = false;
    if (!id.isEmpty()) {
        std::lock_guard lock(m_mutex);
        Answers &answers = m_answers[fileName];
        const quint64 key = answerIdKey(id);
        if (const auto stored = answers.ids.constFind(key); stored != answers.ids.cend()) {
            if (stored->content == content)
                return reply(acknowledged(fileName));
            if (!replaces || shared)
                return reply(differs(fileName, title, posted, !shared));
            correction = true;
        }
        if (const auto waiting = answers.waiting.find(key); waiting != answers.waiting.end()) {
            waiting->second.push_back(reply);
            return;
        }
        answers.waiting[key].push_back(reply);
    }
    // The writer holds this until it has run; the file itself is the
    // collector's alone, so that it is never destroyed on its own writer
    // thread (see retire()).
    const std::weak_ptr<AnswersFile> toFile = file;
    const AnswersFile::Done stored = [this, reply, request, fileName, title, toFile,
                                      inFile = file != nullptr, tally, cells = row.cells,
                                      ignored = row.ignoredFields, id, posted, content,
                                      correction](const QString &failure) {
        const auto finished = qScopeGuard([this] { answerFinished(); });
        std::vector<Reply> replies{reply};
        qsizetype count = -1; // answers in the file, while it is still the survey's
        {
            std::lock_guard lock(m_mutex);
            const auto answers = m_answers.find(fileName);
            // The organiser's edit of the file shows in its counts and IDs.
            const bool current = answers != m_answers.end() && answers->second.file &&
                                 !answers->second.file.owner_before(toFile) &&
                                 !toFile.owner_before(answers->second.file);
            if (current) {
                count = answers->second.file->answers();
                if (std::optional<AnswersFile::Reread> reread = answers->second.file->takeReread())
                    readAgain(fileName, answers->second, *reread);
            }
            if (!id.isEmpty() && answers != m_answers.end()) {
                const auto waiting = answers->second.waiting.find(answerIdKey(id));
                if (waiting != answers->second.waiting.end()) {
                    replies = std::move(waiting->second);
                    answers->second.waiting.erase(waiting);
                }
                if (failure.isEmpty()) {
                    answers->second.ids.insert(answerIdKey(id), {content, answers->second.records});
                    answers->second.recount = answers->second.recount || correction;
                }
            }
            if (failure.isEmpty() && current)
                ++answers->second.records;
            if (failure.isEmpty() && current && answers->second.tally) {
                answers->second.tally->addAnswer(cells);
                answers->second.summaryDue = true;
            } else if (failure.isEmpty() && tally) {
                tally->addAnswer(cells);
                if (answers != m_answers.end() && answers->second.tally == tally)
                    answers->second.summaryDue = true;
            }
        }
        // Another collector of the database stored this answer ID with other
        // answers: asked about, as this collector would have asked.
        if (failure == AnswerDatabase::StoredOtherwise) {
            for (const Reply &waiting : replies)
                waiting(differs(fileName, title, posted, false));
            return;
        }
        if (!failure.isEmpty()) {
            logNotSaved(title, failure);
            for (const Reply &waiting : replies)
                waiting(notSaved(title, posted));
            return;
        }
        logNotSaved({}, {});
        if (m_log) {
            QString line = count >= 0 ? QStringLiteral("%1 answers to %2").arg(count).arg(title)
                           : inFile
                               ? QStringLiteral("An answer to %1 is stored").arg(title)
                               : QStringLiteral("An answer to %1 is in the database").arg(title);
            if (ignored > 0)
                line +=
                    QStringLiteral(" (%1 fields the page does not have were ignored)").arg(ignored);
            logFor(request, line);
        }
        for (const Reply &waiting : replies)
            waiting(acknowledged(fileName));
    };
    {
        std::lock_guard lock(m_pendingMutex);
        ++m_pending;
    }
    if (shared)
        m_database->append(*shared, row.cells, stored);
    else
        file->append(csvRecord(row.cells), stored);
}

void Collector::answerFinished() {
    std::lock_guard lock(m_pendingMutex);
    if (--m_pending == 0)
        m_pendingDone.notify_all();
}

void Collector::dropRetired() {
    std::vector<std::shared_ptr<AnswersFile>> retired;
    {
        std::lock_guard lock(m_mutex);
        retired.swap(m_retired);
    }
    retired.clear(); // each writer finishes what it was handed first
}

void Collector::logNotSaved(const QString &title, const QString &why) {
    // A full disk refuses every answer for the same reason: the log says it
    // once, then how many more, so that the lines around it stay in sight.
    QString line;
    {
        std::lock_guard lock(m_notSavedMutex);
        if (!why.isEmpty() && why == m_notSavedWhy) {
            ++m_notSavedRepeats;
            return;
        }
        if (m_notSavedRepeats > 0)
            line = QStringLiteral("%1 more answers were NOT saved: %2")
                       .arg(m_notSavedRepeats)
                       .arg(m_notSavedWhy);
        m_notSavedWhy = why;
        m_notSavedRepeats = 0;
    }
    if (!line.isEmpty())
        m_errors(line);
    if (!why.isEmpty())
        m_errors(QStringLiteral("An answer to %1 was NOT saved: %2").arg(title, why));
}

void Collector::Answers::count(SummaryTally *counts, const QStringList &record) {
    if (counts)
        counts->add(record);
    if (const std::optional<quint64> id = answerIdOf(record, sheetWidth)) {
        QStringList typed;
        for (const QString &cell : record)
            typed.append(typedCell(cell));
        recount = recount || ids.contains(*id);
        ids.insert(*id, {contentOf(typed), records});
    }
    ++records;
}

void Collector::Answers::forgetIds() {
    ids.clear();
    records = 0;
    recount = false;
}

void Collector::readAgain(const QString &fileName, Answers &answers,
                          const AnswersFile::Reread &reread) {
    const auto page = m_pages->pages.constFind(fileName);
    auto tally =
        page == m_pages->pages.cend()
            ? nullptr
            : std::make_shared<SummaryTally>(page->page, AnswerSheet::Form::RespondentPage);
    answers.forgetIds();
    for (const QStringList &record : reread.records)
        answers.count(tally.get(), record);
    if (tally)
        answers.tally = std::move(tally);
    answers.summaryDue = true;
    m_errors(QStringLiteral("The answers file of %1 %2; read again: %3 answers")
                 .arg(fileName, reread.what)
                 .arg(reread.records.size() - 1));
}

AnswerDatabase::Survey Collector::sharedSurvey(const QString &fileName, const SurveyPage &page,
                                               const QStringList &header) const {
    QFile file(m_folder + QLatin1Char('/') + fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(file.errorString());
    const QByteArray bytes = file.read(MaxPageSize);
    const std::optional<SurveyPage> read = readSurveyPage(bytes);
    if (!read || read->stamp != page.stamp || read->inputs != page.inputs)
        throw RuntimeError(QStringLiteral("the page changed while it was read"));
    return {fileName, page.title, page.stamp, header, bytes};
}

void Collector::countSummaries(const Folder &folder) {
    {
        // A page taken out of the folder takes its summary off the results link.
        std::lock_guard lock(m_mutex);
        std::erase_if(m_counted, [&folder](const auto &counted) {
            return !folder.pages.contains(counted.first);
        });
    }
    for (auto it = folder.pages.cbegin(); it != folder.pages.cend(); ++it) {
        const AnswerDatabase::Survey survey{
            it.key(),
            it->page.title,
            it->page.stamp,
            AnswerSheet(it->page, AnswerSheet::Form::RespondentPage).header(),
            {}};
        QByteArray version;
        {
            std::lock_guard lock(m_mutex);
            const auto counted = m_counted.find(it.key());
            if (counted != m_counted.end() && counted->second.stamp == it->page.stamp)
                version = counted->second.version;
        }
        SummaryTally tally(it->page, AnswerSheet::Form::RespondentPage);
        QString error;
        const std::optional<SummaryTally::Counts> counts =
            m_database->counts(survey, tally, &version, &error);
        // Said once, not every second while the database is away.
        if (!error.isEmpty() && error != m_summaryError)
            m_errors(QStringLiteral("No summaries: %1").arg(error));
        m_summaryError = error;
        if (!error.isEmpty())
            return;
        if (!counts)
            continue;
        tally.assign(*counts);
        std::lock_guard lock(m_mutex);
        m_counted[it.key()] = {version, it->page.stamp, counts->answers, tally.page()};
    }
}

bool Collector::writeSummaries(bool everySurvey) {
    const std::shared_ptr<const Folder> folder = folderNow();
    if (m_database) {
        countSummaries(*folder);
        return true;
    }
    bool written = true;
    QList<std::pair<QString, QByteArray>> due;        // where, what
    QList<std::pair<QString, SurveyPage>> notCounted; // page file, page
    struct Recount {
        QString fileName;
        SurveyPage page;
        std::shared_ptr<AnswersFile> file;
        qsizetype records;
    };
    QList<Recount> recounts;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = folder->pages.cbegin(); it != folder->pages.cend(); ++it) {
            const auto answers = m_answers.find(it.key());
            // A file that could not be opened again leaves no file to count.
            const bool counted = answers != m_answers.end() && answers->second.tally &&
                                 answers->second.file && answers->second.stamp == it->page.stamp;
            if (counted && answers->second.recount) {
                recounts.append(
                    {it.key(), it->page, answers->second.file, answers->second.records});
            } else if (counted && (everySurvey || answers->second.summaryDue)) {
                answers->second.summaryDue = false;
                due.append(
                    {summaryPath(answers->second.file->path()), answers->second.tally->page()});
            } else if (!counted && everySurvey) {
                notCounted.append({it.key(), it->page});
            }
        }
    }
    // A corrected answer is counted once, in its latest version: the file is
    // read again, outside the lock, and its count taken unless answers came
    // in meanwhile (then it is read again next time).
    for (const Recount &recount : recounts) {
        try {
            const FileTally counted = tallyOfFile(recount.file->path(), recount.page);
            std::lock_guard lock(m_mutex);
            const auto answers = m_answers.find(recount.fileName);
            if (counted.records != recount.records || answers == m_answers.end() ||
                answers->second.file != recount.file || answers->second.records != recount.records)
                continue;
            answers->second.tally = counted.tally;
            answers->second.recount = false;
            due.append({summaryPath(recount.file->path()), counted.tally->page()});
        } catch (const RuntimeError &error) {
            m_errors(QStringLiteral("No summary of %1: %2")
                         .arg(recount.page.title, error.description()));
            written = false;
        }
    }
    // A survey nobody answered in this run is read from its file, in pieces; a
    // record being appended just now is not complete yet and is left out.
    for (const auto &[fileName, page] : notCounted) {
        try {
            const QString path = AnswersFile::pathFor(
                m_folder, fileName, AnswerSheet(page, AnswerSheet::Form::RespondentPage).header());
            if (!QFileInfo::exists(path))
                continue;
            due.append({summaryPath(path), tallyOfFile(path, page).tally->page()});
        } catch (const RuntimeError &error) {
            m_errors(QStringLiteral("No summary of %1: %2").arg(page.title, error.description()));
            written = false;
        }
    }
    for (const auto &[path, html] : due) {
        try {
            writeFileDurably(path, html, m_fileMode);
        } catch (const RuntimeError &error) {
            m_errors(QStringLiteral("No summary written: %1").arg(error.description()));
            written = false;
        }
    }
    return written;
}

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

QString Collector::whyAnswersCannotBeStored() const {
    const QByteArray folder = QFile::encodeName(m_folder);
    struct stat info {};
    if (::stat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return QStringLiteral("the survey folder is gone");
    if (m_database)
        return m_database->whyUnavailable();
    if (::access(folder.constData(), W_OK) != 0)
        return QStringLiteral("the survey folder is not writable");
    struct statvfs disk {};
    if (::statvfs(folder.constData(), &disk) == 0 &&
        qint64(disk.f_bavail) * qint64(disk.f_frsize) < MinFreeSpace)
        return QStringLiteral("the disk is full");
    // An answers file that another program holds (a second collector started
    // on the same folder) takes no answer, while the respondents' pages still load.
    std::shared_ptr<const Folder> pages;
    {
        std::lock_guard lock(m_mutex);
        pages = m_pages;
    }
    for (auto page = pages ? pages->pages.cbegin() : decltype(pages->pages.cbegin())();
         pages && page != pages->pages.cend(); ++page) {
        {
            std::lock_guard lock(m_mutex);
            const auto answers = m_answers.find(page.key());
            if (answers != m_answers.end() && answers->second.file)
                continue; // open here, so held by this collector
        }
        try {
            const QString path = AnswersFile::pathFor(
                m_folder, page.key(),
                AnswerSheet(page->page, AnswerSheet::Form::RespondentPage).header());
            if (AnswersFile::heldElsewhere(path))
                return QStringLiteral("another program is writing to %1")
                    .arg(QFileInfo(path).fileName());
        } catch (const RuntimeError &error) {
            return error.description();
        }
    }
    return {};
}

HttpResponse Collector::health() const {
    // For a monitor or a load balancer: plain text, and no survey named.
    const QString why = whyAnswersCannotBeStored();
    HttpResponse response;
    response.status = why.isEmpty() ? 200 : 503;
    response.contentType = "text/plain; charset=utf-8";
    response.body =
        why.isEmpty() ? QByteArray("ok\n") : "answers cannot be stored: " + why.toUtf8() + '\n';
    response.addHeader("Cache-Control", "no-store");
    return response;
}

Collector::Refusals Collector::takeRefusals() {
    std::lock_guard lock(m_mutex);
    const Refusals refusals{m_refused, m_refusedClients.size(), m_overBudget};
    m_refused = 0;
    m_overBudget = 0;
    m_refusedClients.clear();
    return refusals;
}

void Collector::makeRespondentPage(Page &page, const QString &language) const {
    static const QByteArray marker = "@answer-id@";
    const QByteArray html = respondentPage(page.page, language, marker);
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
    response.addHeader("Content-Security-Policy",
                       "default-src 'none'; style-src 'self' 'unsafe-inline'; img-src 'self'; "
                       "form-action 'self'; base-uri 'none'; frame-ancestors 'none'");
    // Kept by the respondent's browser only, and asked for again on every visit
    // (a new answer ID): "no-store" would make Firefox load it anew on Back,
    // empty, from the busy, too-large and not-saved pages that promise the
    // answers are still in the form. The page holds no answers, only the
    // form; the pages that carry answers back are never stored.
    response.addHeader("Cache-Control", "private, no-cache");
    response.addHeader("X-Robots-Tag", "noindex");
    return response;
}

void Collector::setLanguage(const QString &language) {
    {
        std::lock_guard lock(m_mutex);
        m_language = language;
    }
    rescan(); // the pages in the new language
}

HttpResponse Collector::serveFile(const QString &fileName, const QByteArray &contentType) {
    QFile file(m_folder + QLatin1Char('/') + fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxPageSize)
        return notFound(m_listed);
    HttpResponse response;
    response.contentType = contentType;
    response.body = file.readAll();
    return response;
}

HttpResponse Collector::index() {
    const std::shared_ptr<const Folder> folder = folderNow();
    QString items;
    for (auto it = folder->pages.cbegin(); it != folder->pages.cend(); ++it)
        items += QStringLiteral("<li><a href=\"%1\">%2</a></li>\n")
                     .arg(escapeHtml(QString::fromLatin1(QUrl::toPercentEncoding(it.key()))),
                          escapeHtml(it->page.title.isEmpty() ? it.key() : it->page.title));
    return htmlResponse(200, QStringLiteral("Surveys"),
                        items.isEmpty() ? QStringLiteral("<p>There are no surveys here yet.</p>")
                                        : QStringLiteral("<ul>\n%1</ul>").arg(items));
}

} // namespace Velmora
