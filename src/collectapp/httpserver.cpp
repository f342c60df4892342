#include "httpserver.h"

#include "clientlimits.h"
#include "tlscredentials.h"

#include <arpa/inet.h>
#include <gnutls/gnutls.h>
#include <linux/sockios.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <optional>

namespace Velmora {

namespace {

qint64 steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

struct HttpServer::Link {
    // Sending: a reply on its way, timed from the client's last read of it.
    enum class Phase { Idle, Request, Waiting, Sending, Closing };
    int fd = -1;
    QString peer;
    QString network; // what the per-address limit counts: the address, or its network
    // Written by the pool's threads and read by the sweeper without a lock: a
    // request must not wait for another thread's bookkeeping.
    std::atomic<Phase> phase = Phase::Idle;
    std::atomic<qint64> sinceMs = 0;
    int unread = -1; // bytes sent and not yet taken by the client; the sweeper's

    // Into `next`, unless the sweeper has already cut the connection off.
    void enter(Phase next) {
        Phase now = phase.load();
        while (now != Phase::Closing && !phase.compare_exchange_weak(now, next)) {
        }
        sinceMs = steadyMs();
    }
};

struct HttpServer::Exchange {
    HttpRequest request;
    MHD_Connection *connection = nullptr;
    QString network;       // whose share of the body budget it uses
    qint64 bodyBudget = 0; // bytes of that budget it holds
    bool tooLarge = false;
    bool overBudget = false;
    bool dispatched = false;
    std::mutex mutex;
    std::optional<HttpResponse> response;
    bool suspended = false;
};

namespace {

MHD_Result handleRequest(void *server, MHD_Connection *connection, const char *url,
                         const char *method, const char * /*version*/, const char *upload,
                         size_t *uploadSize, void **state) {
    return static_cast<HttpServer *>(server)->respond(connection, url, method, upload, uploadSize,
                                                      state) == MHD_YES
               ? MHD_YES
               : MHD_NO;
}

void requestDone(void *server, MHD_Connection *connection, void **state,
                 MHD_RequestTerminationCode) {
    static_cast<HttpServer *>(server)->finished(connection,
                                                static_cast<HttpServer::Exchange *>(*state));
    *state = nullptr;
}

MHD_Result acceptPolicy(void *server, const sockaddr *address, socklen_t) {
    return static_cast<HttpServer *>(server)->admits(address) ? MHD_YES : MHD_NO;
}

void connectionNotice(void *server, MHD_Connection *connection, void **context,
                      MHD_ConnectionNotificationCode code) {
    static_cast<HttpServer *>(server)->connectionChanged(connection, context,
                                                         code == MHD_CONNECTION_NOTIFY_STARTED);
}

QString addressText(const sockaddr *address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (!address)
        return {};
    if (address->sa_family == AF_INET)
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(address)->sin_addr, text,
                    sizeof text);
    else if (address->sa_family == AF_INET6)
        ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(address)->sin6_addr, text,
                    sizeof text);
    return TrustedProxies::normalised(QString::fromLatin1(text));
}

QString peerOf(MHD_Connection *connection) {
    const MHD_ConnectionInfo *info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    return info ? addressText(info->client_addr) : QString();
}

QByteArray header(MHD_Connection *connection, const char *name) {
    return QByteArray(MHD_lookup_connection_value(connection, MHD_HEADER_KIND, name));
}

// Paths stay as sent: the collector decodes them itself, so that an encoded
// slash can be told from a plain one and refused.
size_t keepEscaped(void *, MHD_Connection *, char *text) {
    return strlen(text);
}

MHD_Result collectQuery(void *query, MHD_ValueKind, const char *key, const char *value) {
    auto *text = static_cast<QByteArray *>(query);
    if (!text->isEmpty())
        *text += '&';
    *text += key;
    if (value) {
        *text += '=';
        *text += value;
    }
    return MHD_YES;
}

void freeBody(void *body) {
    delete static_cast<QByteArray *>(body);
}

// A reply sent piece by piece as the socket takes it: a file from the disk,
// or a large page, never all of it in memory at once.
struct Streamed {
    std::shared_ptr<QFile> file;
    QByteArray bytes;
};

ssize_t readStreamed(void *context, uint64_t position, char *buffer, size_t most) {
    auto *streamed = static_cast<Streamed *>(context);
    if (streamed->file) {
        const ssize_t read = ::pread(streamed->file->handle(), buffer, most, off_t(position));
        // Shorter than when it was opened (the organiser edited it): the
        // client sees a download cut short rather than a wrong one.
        return read > 0 ? read : MHD_CONTENT_READER_END_WITH_ERROR;
    }
    const size_t left = size_t(streamed->bytes.size()) - size_t(position);
    const size_t count = std::min(left, most);
    std::memcpy(buffer, streamed->bytes.constData() + position, count);
    return ssize_t(count);
}

void freeStreamed(void *context) {
    delete static_cast<Streamed *>(context);
}

// Larger than the socket takes at once: sent as the client reads.
constexpr qsizetype StreamedFrom = 256 * 1024;
constexpr size_t StreamBlock = 64 * 1024;

MHD_Response *responseFor(const HttpResponse &reply) {
    if (reply.stream || reply.body.size() >= StreamedFrom) {
        auto *streamed = new Streamed{reply.stream, reply.body};
        const uint64_t size = reply.stream ? uint64_t(reply.stream->size()) : reply.body.size();
        return MHD_create_response_from_callback(size, StreamBlock, &readStreamed, streamed,
                                                 &freeStreamed);
    }
    auto *body = new QByteArray(reply.body);
    return MHD_create_response_from_buffer_with_free_callback_cls(size_t(body->size()),
                                                                  body->data(), freeBody, body);
}

HttpServer::Link *linkOf(MHD_Connection *connection) {
    const MHD_ConnectionInfo *info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    return info ? static_cast<HttpServer::Link *>(info->socket_context) : nullptr;
}

sockaddr_storage loopbackV4(quint16 port) {
    sockaddr_storage storage{};
    auto *address = reinterpret_cast<sockaddr_in *>(&storage);
    address->sin_family = AF_INET;
    address->sin_port = htons(port);
    address->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return storage;
}

sockaddr_storage anyV4(quint16 port) {
    sockaddr_storage storage = loopbackV4(port);
    reinterpret_cast<sockaddr_in *>(&storage)->sin_addr.s_addr = htonl(INADDR_ANY);
    return storage;
}

sockaddr_storage loopbackV6(quint16 port) {
    sockaddr_storage storage{};
    auto *address = reinterpret_cast<sockaddr_in6 *>(&storage);
    address->sin6_family = AF_INET6;
    address->sin6_port = htons(port);
    address->sin6_addr = in6addr_loopback;
    return storage;
}

sockaddr_storage anyV6(quint16 port) {
    sockaddr_storage storage = loopbackV6(port);
    reinterpret_cast<sockaddr_in6 *>(&storage)->sin6_addr = in6addr_any;
    return storage;
}

quint16 portOf(const sockaddr_storage &address) {
    return ntohs(address.ss_family == AF_INET6
                     ? reinterpret_cast<const sockaddr_in6 *>(&address)->sin6_port
                     : reinterpret_cast<const sockaddr_in *>(&address)->sin_port);
}

// Connections kept beyond the limit only to be told "busy".
constexpr unsigned BusySpare = 256;

} // namespace

HttpServer::HttpServer(Handler handler, Limits limits, TrustedProxies proxies)
    : m_handler(std::move(handler))
    , m_limits(limits)
    , m_proxies(std::move(proxies)) {}

HttpServer::~HttpServer() {
    stop();
}

bool HttpServer::listen(bool local, quint16 port) {
    // Every connection is a file descriptor: take all the system allows.
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &files);
        const rlim_t usable = files.rlim_cur > 512 ? files.rlim_cur - 512 : 64;
        if (m_limits.connections + BusySpare > usable)
            m_limits.connections = unsigned(usable > BusySpare ? usable - BusySpare : usable / 2);
    }
    m_stopping = false;
    gnutls_datum_t ticketKey{};
    if (m_tls && gnutls_session_ticket_key_generate(&ticketKey) == 0) {
        m_ticketKey = QByteArray(reinterpret_cast<const char *>(ticketKey.data), ticketKey.size);
        gnutls_memset(ticketKey.data, 0, ticketKey.size);
        gnutls_free(ticketKey.data);
    }
    // IPv6 and IPv4 alike: one dual-stack socket for every address, or the two
    // loopback addresses for --local. Without IPv6 on this machine, IPv4 alone.
    if (local) {
        if (!startDaemon(loopbackV4(port), 0))
            return false;
        startDaemon(loopbackV6(m_port), MHD_USE_IPv6);
    } else if (!startDaemon(anyV6(port), MHD_USE_DUAL_STACK) && !startDaemon(anyV4(port), 0)) {
        return false;
    }
    m_sweeper = std::thread([this] { sweepLoop(); });
    return true;
}

bool HttpServer::startDaemon(const sockaddr_storage &address, unsigned flags) {
    const unsigned threads =
        m_limits.threads ? m_limits.threads : std::max(2u, std::thread::hardware_concurrency());
    const quint16 port = portOf(address);
    // Only HTTPS has its option; the certificate is asked for at each handshake,
    // so that a renewed one is used without a restart.
    // TLS 1.2 and 1.3 only, in the server's order (forward secrecy first, no
    // static RSA key exchange), as nginx on Debian 12 offers them. AES-128-GCM
    // comes first, as Mozilla's recommended settings have it: its handshake
    // hashes with SHA-256, which nettle does with the CPU's own instructions;
    // its SHA-384 took a sixth of a resumed session's time. X25519 comes
    // first among the groups: it is the one browsers send a key share for,
    // and GnuTLS's own first choice, P-256, made every handshake take a second
    // round trip and four times the CPU.
    static const char Priorities[] = "NORMAL:-VERS-ALL:+VERS-TLS1.3:+VERS-TLS1.2:-RSA:"
                                     "-CIPHER-ALL:+AES-128-GCM:+CHACHA20-POLY1305:+AES-256-GCM:"
                                     "-GROUP-ALL:+GROUP-X25519:+GROUP-SECP256R1:+GROUP-SECP384R1:"
                                     "+GROUP-X448:+GROUP-SECP521R1:%SERVER_PRECEDENCE";
    const MHD_OptionItem tls[] = {{m_tls ? MHD_OPTION_HTTPS_CERT_CALLBACK : MHD_OPTION_END, 0,
                                   TlsCredentials::retrieveFunction()},
                                  {MHD_OPTION_HTTPS_PRIORITIES, 0, const_cast<char *>(Priorities)},
                                  {MHD_OPTION_END, 0, nullptr}};
    MHD_Daemon *daemon = MHD_start_daemon(
        MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_ALLOW_SUSPEND_RESUME |
            (m_tls ? MHD_USE_TLS : 0) | flags,
        port, &acceptPolicy, this, &handleRequest, this, MHD_OPTION_SOCK_ADDR, &address,
        MHD_OPTION_THREAD_POOL_SIZE, threads, MHD_OPTION_CONNECTION_LIMIT,
        // No timeout of libmicrohttpd's own: it counts from the last write, and
        // a slow phone draining a full socket leaves long gaps between writes.
        // The sweeper times every phase instead.
        m_limits.connections + BusySpare, MHD_OPTION_CONNECTION_MEMORY_LIMIT, m_limits.headerBytes,
        // HTTP/1.1 without Host, and spaces in the path, are refused (400).
        MHD_OPTION_STRICT_FOR_CLIENT, 1, MHD_OPTION_LISTEN_BACKLOG_SIZE, 4096u,
        MHD_OPTION_UNESCAPE_CALLBACK, &keepEscaped, nullptr, MHD_OPTION_NOTIFY_COMPLETED,
        &requestDone, this, MHD_OPTION_NOTIFY_CONNECTION, &connectionNotice, this, MHD_OPTION_ARRAY,
        tls, MHD_OPTION_END);
    if (!daemon)
        return false;
    if (m_daemons.empty()) {
        const MHD_DaemonInfo *info = MHD_get_daemon_info(daemon, MHD_DAEMON_INFO_BIND_PORT);
        m_port = info ? info->port : port;
    }
    m_daemons.push_back(daemon);
    return true;
}

void HttpServer::stop() {
    if (m_daemons.empty())
        return;
    // New connections are closed as they are accepted from now on (see
    // admits()). libmicrohttpd 0.9.75's own way, MHD_quiesce_daemon(), races
    // its thread pool over the listening socket and aborted the program
    // ("Failed to remove listen FD from epoll set") in one test run in many.
    {
        // Requests in flight finish, answers waiting for the disk among them;
        // idle connections kept open by browsers do not hold the stop up.
        std::unique_lock lock(m_mutex);
        m_stopping = true;
        m_changed.notify_all();
        m_changed.wait_for(lock, std::chrono::seconds(5),
                           [this] { return m_inFlight == 0 && m_suspended == 0; });
    }
    // Answers still waiting past that (a database that does not answer) are
    // told "try again" now: libmicrohttpd cannot stop with connections asleep,
    // and a respondent gets a page, never an empty reply. An answer that commits
    // later is known by its answer ID when it comes again.
    std::set<std::shared_ptr<Exchange>> waiting;
    {
        std::lock_guard lock(m_mutex);
        waiting.swap(m_waiting);
    }
    for (const std::shared_ptr<Exchange> &exchange : waiting) {
        std::lock_guard lock(exchange->mutex);
        if (!exchange->suspended)
            continue;
        exchange->suspended = false;
        exchange->response =
            busyResponse(m_languages.forRespondent(exchange->request.acceptLanguage));
        MHD_resume_connection(exchange->connection);
        --m_suspended;
    }
    if (!waiting.empty()) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(5), [this] { return m_inFlight == 0; });
    }
    m_sweeper.join();
    for (MHD_Daemon *daemon : m_daemons)
        MHD_stop_daemon(daemon);
    m_daemons.clear();
}

void HttpServer::connectionChanged(MHD_Connection *connection, void **context, bool started) {
    std::lock_guard lock(m_mutex);
    if (started) {
        if (m_tls)
            resumeSessions(connection);
        auto *link = new Link;
        const MHD_ConnectionInfo *info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        link->fd = info ? info->connect_fd : -1;
        link->peer = peerOf(connection);
        link->network = clientNetwork(link->peer, m_limits.ipv4PrefixBits);
        link->sinceMs = steadyMs();
        m_links.insert(link);
        ++m_connections;
        ++m_perAddress[link->network];
        *context = link;
        return;
    }
    // Told before the socket is closed: the sweeper never touches a number that
    // a new connection has been given meanwhile.
    auto *link = static_cast<Link *>(*context);
    if (!link)
        return;
    m_links.erase(link);
    --m_connections;
    if (--m_perAddress[link->network] == 0)
        m_perAddress.remove(link->network);
    delete link;
    *context = nullptr;
}

int HttpServer::send(MHD_Connection *connection, const HttpResponse &reply, bool close) {
    Link *link = linkOf(connection);
    if (link)
        link->enter(Link::Phase::Sending);
    MHD_Response *response = responseFor(reply);
    if (!response)
        return MHD_NO;
    if (!reply.contentType.isEmpty())
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE,
                                reply.contentType.constData());
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
    for (const auto &[name, value] : reply.headers)
        MHD_add_response_header(response, name.constData(), value.constData());
    if (close)
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    // Once a browser has been here over HTTPS it never comes back over plain HTTP.
    if (m_tls)
        MHD_add_response_header(response, "Strict-Transport-Security", "max-age=31536000");
    const MHD_Result queued = MHD_queue_response(connection, unsigned(reply.status), response);
    MHD_destroy_response(response);
    return queued;
}

void HttpServer::resumeSessions(MHD_Connection *connection) {
    // Called at accept, before the handshake: a phone coming back within the
    // ticket's life resumes instead of paying for a whole handshake again.
    // GnuTLS derives the keys that seal tickets from this master key and
    // rotates them itself; the key lives in memory only, for this run.
    const MHD_ConnectionInfo *info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_GNUTLS_SESSION);
    gnutls_datum_t key{reinterpret_cast<unsigned char *>(m_ticketKey.data()),
                       unsigned(m_ticketKey.size())};
    if (info && info->tls_session && !m_ticketKey.isEmpty())
        gnutls_session_ticket_enable_server(static_cast<gnutls_session_t>(info->tls_session), &key);
}

bool HttpServer::admits(const sockaddr *address) {
    // Counted from the accept, not from the first request: connections that
    // never send anything hold slots too. A few past the limit are kept to be
    // told "busy"; beyond those the connection is closed at once.
    if (m_stopping)
        return false;
    const QString network = clientNetwork(addressText(address), m_limits.ipv4PrefixBits);
    std::lock_guard lock(m_mutex);
    return m_perAddress.value(network) < m_limits.connectionsPerAddress + BusySpare / 4;
}

bool HttpServer::overCapacity(const Link &link) {
    const unsigned connections = m_connections;
    if (connections > m_limits.connections)
        return true;
    // No address can hold more than there are: the common case needs no lock.
    if (connections <= m_limits.connectionsPerAddress)
        return false;
    std::lock_guard lock(m_mutex);
    return m_perAddress.value(link.network) > m_limits.connectionsPerAddress;
}

void HttpServer::sweepLoop() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        m_changed.wait_for(lock, std::chrono::milliseconds(250));
        const qint64 now = steadyMs();
        for (Link *link : m_links) {
            const Link::Phase phase = link->phase;
            const qint64 allowedMs =
                1000 *
                qint64(phase == Link::Phase::Idle ? m_limits.idleSeconds : m_limits.requestSeconds);
            const bool timed = phase == Link::Phase::Idle || phase == Link::Phase::Request ||
                               phase == Link::Phase::Sending;
            // A reply is timed from the client's last read, however slow: the
            // bytes waiting in the socket for it shrink whenever it reads.
            int unread = -1;
            if (phase == Link::Phase::Sending && ::ioctl(link->fd, SIOCOUTQ, &unread) == 0 &&
                unread != link->unread) {
                link->unread = unread;
                link->sinceMs = now;
            }
            if (timed && now - link->sinceMs > allowedMs && link->fd >= 0) {
                // libmicrohttpd then sees the connection end and closes it itself.
                ::shutdown(link->fd, SHUT_RDWR);
                link->phase = Link::Phase::Closing;
            }
        }
    }
}

bool HttpServer::holdBody(Exchange &exchange, qint64 bytes) {
    // One network may take a quarter of the memory for bodies: a few clients
    // holding bodies open cannot keep everyone else from answering.
    std::lock_guard lock(m_mutex);
    const qint64 network = m_bodyBytesOf.value(exchange.network);
    if (m_bodyBytes + bytes > qint64(m_limits.bodyBytes) ||
        network + bytes > qint64(m_limits.bodyBytes / 4))
        return false;
    m_bodyBytes += bytes;
    m_bodyBytesOf[exchange.network] = network + bytes;
    exchange.bodyBudget += bytes;
    return true;
}

void HttpServer::releaseBody(Exchange &exchange) {
    if (exchange.bodyBudget == 0)
        return;
    std::lock_guard lock(m_mutex);
    m_bodyBytes -= exchange.bodyBudget;
    if ((m_bodyBytesOf[exchange.network] -= exchange.bodyBudget) <= 0)
        m_bodyBytesOf.remove(exchange.network);
    exchange.bodyBudget = 0;
}

void HttpServer::finished(MHD_Connection *connection, Exchange *exchange) {
    if (exchange)
        releaseBody(**reinterpret_cast<std::shared_ptr<Exchange> *>(exchange));
    delete reinterpret_cast<std::shared_ptr<Exchange> *>(exchange);
    if (Link *link = linkOf(connection))
        link->enter(Link::Phase::Idle);
    if (exchange && --m_inFlight == 0 && m_stopping) {
        std::lock_guard lock(m_mutex);
        m_changed.notify_all();
    }
}

int HttpServer::respond(MHD_Connection *connection, const char *url, const char *method,
                        const char *upload, size_t *uploadSize, void **state) {
    auto *holder = static_cast<std::shared_ptr<Exchange> *>(*state);
    if (!holder) {
        auto exchange = std::make_shared<Exchange>();
        exchange->connection = connection;
        *state = new std::shared_ptr<Exchange>(exchange);
        Link *link = linkOf(connection);
        ++m_inFlight;
        if (link)
            link->enter(Link::Phase::Request);
        HttpRequest &request = exchange->request;
        request.method = method;
        request.path = url;
        MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, &collectQuery, &request.query);
        request.contentType = header(connection, MHD_HTTP_HEADER_CONTENT_TYPE);
        const TrustedProxies::Client client = m_proxies.clientOf(
            link ? link->peer : peerOf(connection), header(connection, "Forwarded"),
            header(connection, "X-Forwarded-For"), header(connection, "X-Forwarded-Proto"));
        request.client = client.address;
        request.secure = m_tls || client.secure;
        request.host = header(connection, MHD_HTTP_HEADER_HOST);
        request.origin = header(connection, "Origin");
        request.fetchSite = header(connection, "Sec-Fetch-Site");
        request.acceptLanguage = header(connection, MHD_HTTP_HEADER_ACCEPT_LANGUAGE);
        request.forwarded = client.forwarded;
        const Language &words = m_languages.forRespondent(request.acceptLanguage);
        if (link && overCapacity(*link)) {
            ++m_busyRefusals;
            return send(connection, busyResponse(words), true);
        }
        // A length given both ways is how a request is smuggled past a proxy
        // that reads it otherwise (RFC 9112, 6.1): refused, and the connection closed.
        if (!header(connection, MHD_HTTP_HEADER_CONTENT_LENGTH).isNull() &&
            !header(connection, MHD_HTTP_HEADER_TRANSFER_ENCODING).isNull())
            return send(connection,
                        htmlResponse(Language(), 400, QStringLiteral("Bad request"),
                                     QStringLiteral("<p>The request gave the length of its body "
                                                    "twice.</p>")),
                        true);
        // A body announced as too large is refused before it is read, and one
        // announced past the memory left for bodies is told "busy" at once.
        const qint64 announced = header(connection, MHD_HTTP_HEADER_CONTENT_LENGTH).toLongLong();
        if (announced > Collector::MaxBody)
            return send(connection, bodyTooLarge(words), true);
        exchange->network = link ? link->network : clientNetwork(peerOf(connection));
        if (announced > 0 && !holdBody(*exchange, announced)) {
            ++m_busyRefusals;
            return send(connection, busyResponse(words), true);
        }
        return MHD_YES;
    }
    const std::shared_ptr<Exchange> &exchange = *holder;
    const auto words = [&] { return m_languages.forRespondent(exchange->request.acceptLanguage); };
    if (*uploadSize > 0) {
        const qint64 size = exchange->request.body.size() + qint64(*uploadSize);
        if (size > Collector::MaxBody)
            exchange->tooLarge = true;
        else if (size > exchange->bodyBudget && !holdBody(*exchange, size - exchange->bodyBudget))
            exchange->overBudget = true;
        if (!exchange->tooLarge && !exchange->overBudget)
            exchange->request.body.append(upload, qsizetype(*uploadSize));
        *uploadSize = 0;
        return MHD_YES;
    }
    if (!exchange->dispatched) {
        exchange->dispatched = true;
        if (exchange->tooLarge)
            return send(connection, bodyTooLarge(words()), true);
        if (exchange->overBudget) {
            ++m_busyRefusals;
            return send(connection, busyResponse(words()), true);
        }
        return dispatch(connection, exchange);
    }
    // Resumed: the answer is on the disk, or could not be stored.
    std::unique_lock lock(exchange->mutex);
    const HttpResponse response = exchange->response ? *exchange->response : busyResponse(words());
    lock.unlock();
    return send(connection, response);
}

int HttpServer::dispatch(MHD_Connection *connection, const std::shared_ptr<Exchange> &exchange) {
    m_handler(exchange->request, [this, exchange](HttpResponse response) {
        std::unique_lock lock(exchange->mutex);
        exchange->response = std::move(response);
        if (!exchange->suspended)
            return;
        exchange->suspended = false;
        MHD_resume_connection(exchange->connection);
        lock.unlock();
        std::lock_guard server(m_mutex);
        m_waiting.erase(exchange);
        if (--m_suspended == 0 && m_stopping)
            m_changed.notify_all();
    });
    std::unique_lock lock(exchange->mutex);
    if (exchange->response) {
        const HttpResponse response = *exchange->response;
        lock.unlock();
        return send(connection, response);
    }
    // Waiting for the disk holds no thread: the connection sleeps until the
    // answers file's writer wakes it.
    exchange->suspended = true;
    ++m_suspended;
    {
        std::lock_guard server(m_mutex);
        m_waiting.insert(exchange);
    }
    if (Link *link = linkOf(connection))
        link->phase = Link::Phase::Waiting;
    MHD_suspend_connection(connection);
    return MHD_YES;
}

} // namespace Velmora
