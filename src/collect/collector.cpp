// The collector's centre: the folder as last looked at, and the table of
// routes each request goes through. Each route has a file of its own; the
// answers are the answer store's.
#include "collector.h"

#include "answerids.h"
#include "awaitcallback.h"
#include "collectorpages.h"
#include "databaseanswerstore.h"
#include "fileanswerstore.h"
#include "organiserpages.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace Velmora {

namespace {

// A file's size and time of change, or nothing where there is no file.
QString stateOf(const QString &path) {
    const QFileInfo info(path);
    return info.exists() ? QStringLiteral("%1 %2")
                               .arg(info.size())
                               .arg(info.lastModified().toMSecsSinceEpoch())
                         : QString();
}

} // namespace

Collector::Collector(QString folder, Clock clock, Log log, Log errors,
                     ClientLimits::Settings limits, AnswerBudget::Settings budget)
    : m_folder(QDir(folder).absolutePath())
    , m_clock(std::move(clock))
    , m_log(std::move(log))
    , m_errors(std::move(errors))
    , m_limits(limits)
    , m_budget(budget)
    , m_store(std::make_unique<FileAnswerStore>(m_folder, m_fileMode, m_errors))
    , m_receiptKey(newAnswerId() + newAnswerId()) {
    m_steady.start();
    rescan();
}

Collector::~Collector() {
    // The store goes first: it writes what was handed to it (a database
    // within its own time to drain, telling the rest to try again), and the
    // last acknowledgements, which reply through this collector, find it whole.
    m_store.reset();
}

void Collector::setDatabase(std::shared_ptr<AnswerDatabase> database) {
    m_store = std::make_unique<DatabaseAnswerStore>(std::move(database), m_errors);
    rescan();
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
        language = m_languages.surveyTag();
    }
    const QDir dir(m_folder);
    const QString canonicalFolder = dir.canonicalPath();
    auto folder = std::make_shared<Folder>();
    folder->path = m_folder;
    // Files only, no dot-files, and nothing a link takes out of the folder.
    for (const QFileInfo &info : dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Name)) {
        // A name no address can reach (a backslash, a NUL) is no survey here:
        // listed, it would lead to a 404 and an answers file nobody can fill.
        if (!info.isFile() || info.size() > Folder::MaxPageSize ||
            QFileInfo(info.canonicalFilePath()).absolutePath() != canonicalFolder ||
            requestedName('/' + QUrl::toPercentEncoding(info.fileName())) != info.fileName())
            continue;
        const auto same =
            known ? known->pages.constFind(info.fileName()) : QMap<QString, Page>::const_iterator();
        // What the collector keeps beside the page, read again when its files change.
        const QString requiredPath = RequiredAnswers::pathFor(m_folder, info.fileName());
        const QString schedulePath = SurveySchedule::pathFor(m_folder, info.fileName());
        const QString besideState = stateOf(requiredPath) + u'\n' + stateOf(schedulePath);
        const auto readBeside = [&](Page &page) {
            page.required = RequiredAnswers::read(requiredPath);
            page.schedule = SurveySchedule::read(schedulePath);
            page.besideState = besideState;
        };
        if (known && same != known->pages.cend() && same->size == info.size() &&
            same->modified == info.lastModified()) {
            Page page = *same;
            if (page.besideState != besideState) {
                readBeside(page);
                page.language.clear(); // made again below
            }
            if (page.language != language)
                makeRespondentPage(page, info.fileName(), language);
            folder->pages.insert(info.fileName(), page);
            continue;
        }
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly) || !maybeSurveyPage(file.peek(256)))
            continue;
        if (const std::optional<SurveyPage> survey = readSurveyPage(file.readAll())) {
            Page page{*survey, info.size(), info.lastModified(), {}, {}, {}, {}, {}, {}};
            readBeside(page);
            makeRespondentPage(page, info.fileName(), language);
            folder->pages.insert(info.fileName(), page);
        }
    }
    m_store->shareSchedules(*folder, known.get());
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

QList<Collector::Survey> Collector::surveys() {
    const std::shared_ptr<const Folder> folder = folderNow();
    QList<Survey> list;
    const QDateTime now = m_clock();
    for (auto it = folder->pages.cbegin(); it != folder->pages.cend(); ++it) {
        Survey survey{it.key(), it->page.title, 0, {}, {}, {}, 0, false, {}};
        survey.closed = it->schedule.isClosed(now);
        survey.schedule = scheduleState(Language(), it->schedule, now);
        list.append(survey);
    }
    m_store->list(*folder, list);
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
    bool vary = false;
    const Language words = respondentLanguage(request.acceptLanguage, &vary);
    if (vary)
        reply = [reply = std::move(reply)](HttpResponse response) {
            response.addHeader("Vary", "Accept-Language");
            reply(std::move(response));
        };
    const bool read = request.method == "GET" || request.method == "HEAD";
    const Incoming incoming{request,     words, requestedName(request.path),
                            folderNow(), read,  request.method == "POST"};
    // Where each request goes: the first route that takes it answers it.
    static constexpr Route routes[] = {
        &Collector::otherMethodsRoute, // 405 for anything but GET, HEAD and POST
        &Collector::healthRoute,       // /healthz
        &Collector::resultsRoute,      // /results/TOKEN/..., the organiser's
        &Collector::limitsRoute,       // "busy" for a client over its rate or everyone over budget
        &Collector::ownPagesRoute,     // the list at "/", the style, the icon
        &Collector::surveyRoute,       // a survey page, its thank-you page, an answer to it
        &Collector::pictureRoute,      // a survey page's background
    };
    for (const Route route : routes)
        if ((this->*route)(incoming, reply))
            return;
    reply(notFound(words, m_listed, request.path));
}

Language Collector::respondentLanguage(const QByteArray &acceptLanguage, bool *varies) const {
    std::lock_guard lock(m_mutex);
    *varies = m_languages.several();
    return m_languages.forRespondent(acceptLanguage);
}

void Collector::logFor(const HttpRequest &request, const QString &line) const {
    m_log(request.client.isEmpty() ? line : request.client + QStringLiteral(": ") + line);
}

bool Collector::writeSummaries(bool everySurvey) {
    return m_store->writeSummaries(*folderNow(), organiserLanguage(), everySurvey);
}

void Collector::setLanguages(const Languages &languages) {
    {
        std::lock_guard lock(m_mutex);
        m_languages = languages;
    }
    rescan(); // the pages in the new language
}

} // namespace Velmora
