#include "collectsession.h"

#include "durablefile.h"
#include "lanaddresses.h"
#include "runtimeerror.h"

#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>

#include <chrono>

namespace Velmora {

namespace {

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
                              {options.answersPerSecond, options.answerBurst}}) {}

void CollectSession::log(const QString &line) {
    QMetaObject::invokeMethod(
        this, [this, line = stamped(line)] { emit logLine(line); }, Qt::QueuedConnection);
}

CollectSession::~CollectSession() {
    stop();
}

bool CollectSession::start(QString *error) {
    m_collector.setListed(m_options.list);
    if (!loadResultsToken(error))
        return false;
    HttpServer::Limits limits;
    limits.connectionsPerAddress = m_options.connectionsPerAddress;
    limits.connections = m_options.connections;
    QString proxyError;
    m_server = std::make_unique<HttpServer>(
        [this](const HttpRequest &request, Collector::Reply reply) {
            m_collector.handle(request, std::move(reply));
        },
        limits,
        TrustedProxies::parse(m_options.trustedProxies, &proxyError).value_or(TrustedProxies()));
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
    m_watcher.addPath(m_collector.folder());
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            [this] { m_folderChanged = true; });
    m_summaries = std::thread([this] { summaryLoop(); });
    return true;
}

void CollectSession::stop() {
    if (!m_server)
        return;
    m_server->stop();
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_summaries.join(); // writes the last summaries first
    m_server.reset();
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
        }
        if (now() >= nextSummaries || last) {
            nextSummaries = now() + seconds(1);
            m_collector.writeSummaries();
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
    const auto [overRate, clients] = m_collector.takeRefusals();
    const qsizetype busy = m_server ? m_server->takeBusyRefusals() : 0;
    if (overRate > 0)
        log(QStringLiteral("Told %1 requests of %2 clients to come back later: over their rate")
                .arg(overRate)
                .arg(clients));
    if (busy > 0)
        log(QStringLiteral("Told %1 requests to come back later: too many connections at once")
                .arg(busy));
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
            writeFileDurably(path, m_resultsToken + '\n', AnswersFile::PrivateMode);
        } catch (const RuntimeError &failure) {
            *error = QStringLiteral("Cannot keep the results link: %1").arg(failure.description());
            return false;
        }
    }
    m_collector.setResultsToken(m_resultsToken);
    return true;
}

QString CollectSession::resultsAddress() const {
    return QStringLiteral("http://127.0.0.1:%1/results/%2/")
        .arg(port())
        .arg(QString::fromLatin1(m_resultsToken));
}

QStringList CollectSession::addresses() const {
    if (!m_server)
        return {};
    QStringList hosts = m_options.local ? QStringList() : lanAddresses();
    if (hosts.isEmpty())
        hosts.append(QStringLiteral("127.0.0.1"));
    QStringList addresses;
    for (const QString &host : hosts)
        addresses.append(QStringLiteral("http://%1:%2/").arg(host).arg(m_server->port()));
    return addresses;
}

} // namespace Velmora
