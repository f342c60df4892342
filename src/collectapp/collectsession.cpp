#include "collectsession.h"

#include "durablefile.h"
#include "lanaddresses.h"
#include "postgresanswers.h"
#include "runtimeerror.h"
#include "tlscredentials.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <chrono>

namespace Velmora {

namespace {

// Plain HTTP sends browsers to the same address over HTTPS. The host is the one
// the browser asked for, so that it never leads anywhere else.
HttpResponse httpsRedirect(const HttpRequest &request, quint16 httpsPort) {
    static const QRegularExpression hostName(
        QStringLiteral("^(\\[[0-9A-Fa-f:.]+\\]|[A-Za-z0-9.-]+)(:[0-9]+)?$"));
    const QRegularExpressionMatch host = hostName.match(QString::fromLatin1(request.host));
    if (!host.hasMatch())
        return htmlResponse(Language(), 400, QStringLiteral("Bad request"),
                            QStringLiteral("<p>This address is served over HTTPS.</p>"));
    QByteArray location = "https://" + host.captured(1).toLatin1();
    if (httpsPort != 443)
        location += ':' + QByteArray::number(httpsPort);
    location += request.path;
    if (!request.query.isEmpty())
        location += '?' + request.query;
    HttpResponse response =
        htmlResponse(Language(), 301, QStringLiteral("Moved to HTTPS"),
                     QStringLiteral("<p>This address is served over HTTPS.</p>"));
    response.addHeader("Location", location);
    return response;
}

// Lines carry when they happened: a server's log is read long after.
QString stamped(const QString &line) {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) + line;
}

} // namespace

CollectSession::CollectSession(const CollectOptions &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_collector(
          options.folder, [] { return QDateTime::currentDateTime(); },
          // Lines travel to this object's thread: a terminal that stops reading
          // must not hold up the threads that answer respondents.
          options.quiet ? Collector::Log() : [this](const QString &line) { log(line); },
          [this](const QString &line) { log(line); },
          ClientLimitSettings{{options.requestsPerSecond, options.requestBurst},
                              {options.answersPerSecond, options.answerBurst},
                              options.ipv4PrefixBits},
          AnswerBudgetSettings{{options.allAnswersPerSecond, options.allAnswerBurst},
                               qint64(options.answerMegabytesPerDay) << 20}) {}

void CollectSession::log(const QString &line) {
    QMetaObject::invokeMethod(
        this, [this, line = stamped(line)] { emit logLine(line); }, Qt::QueuedConnection);
}

CollectSession::~CollectSession() {
    stop();
}

bool CollectSession::start(QString *error) {
    // The organiser's language, which the surveys are written in, and those
    // respondents may have the collector's pages in besides.
    const Languages languages(m_options.surveyLanguage(), m_options.languages);
    m_collector.setLanguages(languages);
    if (m_options.database) {
        m_collector.setDatabase(std::make_shared<PostgresAnswers>(
            *m_options.database, [this](const QString &line) { log(line); }));
        // The counts of the surveys so far, as the first summaries say them.
        m_collector.writeSummaries();
    }
    m_collector.setListed(m_options.list);
    m_collector.setFileMode(m_options.groupReadable ? AnswersFile::GroupMode
                                                    : AnswersFile::PrivateMode);
    if (!loadResultsToken(error))
        return false;
    HttpServer::Limits limits;
    limits.connectionsPerAddress = m_options.connectionsPerAddress;
    limits.connections = m_options.connections;
    limits.ipv4PrefixBits = m_options.ipv4PrefixBits;
    QString proxyError;
    if (tls()) {
        QString why;
        const std::shared_ptr<TlsCredentials> credentials =
            TlsCredentials::load(m_options.tlsCertificate, m_options.tlsKey, &why);
        if (!credentials) {
            *error = QStringLiteral("Cannot serve HTTPS: %1").arg(why);
            return false;
        }
        TlsCredentials::use(credentials);
    }
    m_server = std::make_unique<HttpServer>(
        [this](const HttpRequest &request, Collector::Reply reply) {
            m_collector.handle(request, std::move(reply));
        },
        limits,
        TrustedProxies::parse(m_options.trustedProxies, &proxyError,
                              TrustedProxies::headerNamed(m_options.proxyHeader)
                                  .value_or(TrustedProxies::Header::XForwardedFor))
            .value_or(TrustedProxies()));
    m_server->setTls(tls());
    m_server->setLanguages(languages);
    bool listening = false;
    if (m_options.port) {
        listening = m_server->listen(m_options.local, *m_options.port);
    } else {
        for (quint16 port = DefaultPort; port < DefaultPort + 100 && !listening; ++port)
            listening = m_server->listen(m_options.local, port);
    }
    if (!listening) {
        *error = m_options.port
                     ? QStringLiteral("Port %1 is taken or not allowed.").arg(*m_options.port)
                     : QStringLiteral("Ports 8080 to 8179 are all taken.");
        m_server.reset();
        return false;
    }
    if (!startRedirect(error)) {
        m_server->stop();
        m_server.reset();
        return false;
    }
    m_watcher.addPath(m_collector.folder());
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            [this] { m_folderChanged = true; });
    m_summaries = std::thread([this] { summaryLoop(); });
    return true;
}

// The order of stopping, all of it here and in what it calls:
// 1. HTTP takes no more connections; requests in flight finish, answers
//    waiting for their store among them, for at most 5 s (HttpServer::stop());
// 2. answers still waiting past that get the "try again" page, never an empty
//    reply, and HTTP stops; no reply can reach a connection after this;
// 3. a database is asked nothing more (a count or a look at the schedules
//    still waiting on it is given up), and the summaries thread writes the
//    last summaries and ends;
// 4. the server is freed; then, when the session goes, the collector, which
//    frees its answer store first: the answers files' writers write what was
//    handed to them and are joined on this thread, never on their own; a
//    database writes what it can within 5 s and tells the rest to try again;
//    either way every completion has run, and found the collector whole,
//    before the store is gone.
void CollectSession::stop() {
    if (!m_server)
        return;
    if (m_redirect)
        m_redirect->stop();
    m_server->stop();
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_collector.stopWaitingOnReads();
    m_summaries.join(); // writes the last summaries first
    m_server.reset();
}

QString CollectSession::whyAnswersCannotBeStored() {
    std::lock_guard lock(m_mutex);
    return m_cannotStore;
}

void CollectSession::summaryLoop() {
    using namespace std::chrono;
    const auto now = steady_clock::now;
    auto nextRescan = now() + seconds(1);
    auto nextSummaries = now() + seconds(1);
    auto nextRefusalLine = now() + RefusalPeriod;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait_for(lock, milliseconds(200), [this] { return m_stopping; });
        const bool last = m_stopping; // the server has stopped: every answer is in
        lock.unlock();
        // The folder is looked at when the system says it changed, and once a
        // second in any case (some file systems tell nothing).
        if (m_folderChanged.exchange(false) || now() >= nextRescan) {
            nextRescan = now() + seconds(1);
            m_collector.rescan();
            // Said once when answers cannot be stored, and once when they can again.
            const QString why = m_collector.whyAnswersCannotBeStored();
            std::lock_guard checked(m_mutex);
            if (why != m_cannotStore) {
                log(why.isEmpty() ? QStringLiteral("Answers can be stored again.")
                                  : QStringLiteral("Answers cannot be stored: %1. Respondents "
                                                   "are asked to try again later.")
                                        .arg(why));
                m_cannotStore = why;
            }
        }
        if (now() >= nextSummaries || last) {
            // Once a second while writing them is quick; a summary of megabytes,
            // rewritten as answers trickle in, waits longer: the disk spends at
            // most a fiftieth of its time on it.
            const auto started = now();
            m_collector.writeSummaries();
            nextSummaries =
                now() + std::max<steady_clock::duration>(seconds(1), (now() - started) * 50);
        }
        if (now() >= nextRefusalLine || last) {
            nextRefusalLine = now() + RefusalPeriod;
            logRefusals();
        }
        lock.lock();
        if (last)
            return;
    }
}

void CollectSession::logRefusals() {
    // One line a period, not one per refusal: a flood must not flood the log too.
    const Collector::Refusals refused = m_collector.takeRefusals();
    const qsizetype busy = m_server ? m_server->takeBusyRefusals() : 0;
    if (refused.overRate > 0)
        log(QStringLiteral("Told %1 requests of %2 clients to come back later: over their rate")
                .arg(refused.overRate)
                .arg(refused.clients));
    if (refused.overBudget > 0)
        log(QStringLiteral("Told %1 answers to come back later: over what the collector takes "
                           "from everyone together (--all-answers-per-second, "
                           "--answer-megabytes-per-day)")
                .arg(refused.overBudget));
    if (busy > 0)
        log(QStringLiteral("Told %1 requests to come back later: too many connections, or too "
                           "many answers arriving, at once")
                .arg(busy));
}

bool CollectSession::startRedirect(QString *error) {
    if (!m_options.redirectPort)
        return true;
    const quint16 httpsPort = m_server->port();
    m_redirect = std::make_unique<HttpServer>(
        [httpsPort](const HttpRequest &request, Collector::Reply reply) {
            reply(httpsRedirect(request, httpsPort));
        },
        HttpServer::Limits());
    if (m_redirect->listen(m_options.local, *m_options.redirectPort))
        return true;
    *error = QStringLiteral("Port %1 is taken or not allowed.").arg(*m_options.redirectPort);
    m_redirect.reset();
    return false;
}

void CollectSession::reloadCertificates() {
    if (!tls())
        return;
    QString why;
    const std::shared_ptr<TlsCredentials> credentials =
        TlsCredentials::load(m_options.tlsCertificate, m_options.tlsKey, &why);
    if (!credentials) {
        log(QStringLiteral("The certificate was NOT read again; the one in use stays: %1")
                .arg(why));
        return;
    }
    TlsCredentials::use(credentials);
    log(QStringLiteral("Certificate read again from %1").arg(m_options.tlsCertificate));
}

bool CollectSession::loadResultsToken(QString *error) {
    const QString path = m_collector.folder() + QStringLiteral("/.velmora-results-token");
    QFile file(path);
    if (!m_options.newResultsToken && file.open(QIODevice::ReadOnly)) {
        const QByteArray stored = file.readAll().trimmed();
        if (stored.size() >= ResultsTokenBytes * 2)
            m_resultsToken = stored;
    }
    if (m_resultsToken.isEmpty()) {
        // 128 bits from the system's generator: not to be guessed, and guesses
        // are rate-limited besides.
        QByteArray random(ResultsTokenBytes, Qt::Uninitialized);
        QRandomGenerator::system()->generate(random.begin(), random.end());
        m_resultsToken = random.toHex();
        try {
            writeFileDurably(path, m_resultsToken + '\n', m_collector.fileMode());
        } catch (const RuntimeError &failure) {
            *error = QStringLiteral("Cannot keep the results link: %1").arg(failure.description());
            return false;
        }
    }
    m_collector.setResultsToken(m_resultsToken);
    return true;
}

bool CollectSession::closeOrOpenNow(const QString &pageFile, bool close, QString *error) {
    const QDateTime now = QDateTime::currentDateTime();
    try {
        m_collector.setSchedule(
            pageFile, close ? SurveySchedule::closing(now, now)
                            : SurveySchedule::opening(m_collector.schedule(pageFile), now, now));
    } catch (const RuntimeError &failure) {
        *error = failure.description();
        return false;
    }
    return true;
}

QString CollectSession::resultsAddress() const {
    return localAddress() + QStringLiteral("results/") + QString::fromLatin1(m_resultsToken) +
           QLatin1Char('/');
}

QString CollectSession::localAddress() const {
    return QStringLiteral("%1://127.0.0.1:%2/")
        .arg(tls() ? QStringLiteral("https") : QStringLiteral("http"), QString::number(port()));
}

QStringList CollectSession::addresses() const {
    if (!m_server)
        return {};
    QStringList hosts = m_options.local ? QStringList() : lanAddresses();
    if (hosts.isEmpty())
        hosts.append(QStringLiteral("127.0.0.1"));
    QStringList addresses;
    for (const QString &host : hosts)
        addresses.append(QStringLiteral("%1://%2:%3/")
                             .arg(tls() ? QStringLiteral("https") : QStringLiteral("http"), host)
                             .arg(m_server->port()));
    return addresses;
}

} // namespace Velmora
