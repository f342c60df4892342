#include "collectsession.h"

#include "lanaddresses.h"

#include <QDateTime>

#include <chrono>

namespace Velmora {

CollectSession::CollectSession(const CollectOptions &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_collector(
          options.folder, [] { return QDateTime::currentDateTime(); },
          // Lines travel to this object's thread: a terminal that stops reading
          // must not hold up the threads that answer respondents.
          [this](const QString &line) {
              QMetaObject::invokeMethod(
                  this, [this, line] { emit logLine(line); }, Qt::QueuedConnection);
          }) {}

CollectSession::~CollectSession() {
    stop();
}

bool CollectSession::start(QString *error) {
    HttpServer::Limits limits;
    limits.connectionsPerAddress = m_options.connectionsPerAddress;
    m_server = std::make_unique<HttpServer>(
        [this](const HttpRequest &request) { return m_collector.handle(request); }, limits);
    bool listening = false;
    if (m_options.port) {
        listening = m_server->listen(m_options.local, *m_options.port);
    } else {
        for (quint16 port = 8080; port < 8180 && !listening; ++port)
            listening = m_server->listen(m_options.local, port);
    }
    if (!listening) {
        *error = m_options.port
                     ? QStringLiteral("Port %1 is taken or not allowed.").arg(*m_options.port)
                     : QStringLiteral("Ports 8080 to 8179 are all taken.");
        m_server.reset();
        return false;
    }
    m_summaries = std::thread([this] { summaryLoop(); });
    return true;
}

void CollectSession::stop() {
    if (!m_server)
        return;
    m_server->stop();
    m_server.reset();
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_summaries.join(); // writes the last summaries first
}

void CollectSession::summaryLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait_for(lock, std::chrono::seconds(1), [this] { return m_stopping; });
        const bool last = m_stopping; // the server has stopped: every answer is in
        lock.unlock();
        m_collector.writeSummaries();
        lock.lock();
        if (last)
            return;
    }
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
