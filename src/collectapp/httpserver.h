#pragma once

#include "collector.h"
#include "trustedproxies.h"

#include <QHash>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_set>
#include <vector>

#include <sys/socket.h>

struct MHD_Daemon;
struct MHD_Connection;

namespace Velmora {

// The HTTP side of the collector, on GNU libmicrohttpd's epoll thread pool: a
// connection costs memory, not a thread, and an answer waiting for the disk is
// suspended, holding nobody up. Thousands of connections are held at once; past
// the limits a request gets a small "busy" page (503 with Retry-After), never a
// reset. A connection that has not sent a whole request within its time is cut
// off, however slowly it trickles, so slow clients cannot hold the door.
class HttpServer {
public:
    struct Limits {
        unsigned threads = 0;                  // 0: one a core, at least two
        unsigned connections = 10000;          // held at once before "busy"
        unsigned connectionsPerAddress = 1000; // one address, a school behind NAT included
        unsigned idleSeconds = 15;             // between requests on a kept-alive connection
        unsigned requestSeconds = 30;          // to send one request, headers and body
        size_t headerBytes = 32 * 1024;
        size_t bodyBytes = 64 << 20;  // unfinished bodies of all connections together
        unsigned ipv4PrefixBits = 32; // IPv4 addresses that count as one (IPv6: a /64)
    };
    using Handler = std::function<void(const HttpRequest &, Collector::Reply)>;

    HttpServer(Handler handler, Limits limits, TrustedProxies proxies = {});
    ~HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    // HTTPS with the credentials TlsCredentials::use() names, from before listen().
    void setTls(bool tls) { m_tls = tls; }
    // The languages of the pages this layer refuses requests with itself
    // ("busy", "too large"), as the collector's; from before listen().
    void setLanguages(const Languages &languages) { m_languages = languages; }

    // Listens on 127.0.0.1 and ::1 (local) or on every address, IPv6 and IPv4;
    // port 0 takes any free one. False when the port is taken or cannot be used.
    bool listen(bool local, quint16 port);
    quint16 port() const { return m_port; }
    // Stops taking connections, lets the requests in flight finish (for a few
    // seconds at most), then closes.
    void stop();

    // Requests answered "busy" since the last call because the connections of
    // all or of their address were over the limit.
    qsizetype takeBusyRefusals() { return m_busyRefusals.exchange(0); }

    // Called by libmicrohttpd.
    struct Link;
    struct Exchange;
    int respond(MHD_Connection *connection, const char *url, const char *method, const char *upload,
                size_t *uploadSize, void **state);
    void finished(MHD_Connection *connection, Exchange *exchange);
    void connectionChanged(MHD_Connection *connection, void **context, bool started);
    bool admits(const sockaddr *address);

private:
    bool startDaemon(const sockaddr_storage &address, unsigned flags);
    int dispatch(MHD_Connection *connection, const std::shared_ptr<Exchange> &exchange);
    int send(MHD_Connection *connection, const HttpResponse &reply, bool close = false);
    bool overCapacity(const Link &link);
    bool holdBody(Exchange &exchange, qint64 bytes);
    void releaseBody(Exchange &exchange);
    void resumeSessions(MHD_Connection *connection);
    void sweepLoop();

    Handler m_handler;
    Limits m_limits;
    TrustedProxies m_proxies;
    Languages m_languages;
    std::vector<MHD_Daemon *> m_daemons; // one a listening address
    quint16 m_port = 0;
    bool m_tls = false;
    QByteArray m_ticketKey; // seals session tickets; never leaves memory

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::unordered_set<Link *> m_links;
    QHash<QString, unsigned> m_perAddress;
    qint64 m_bodyBytes = 0;                        // of unfinished bodies, under m_mutex
    QHash<QString, qint64> m_bodyBytesOf;          // the same, a network each
    std::atomic<int> m_suspended = 0;              // answers waiting for the disk
    std::set<std::shared_ptr<Exchange>> m_waiting; // those answers, under m_mutex
    std::atomic<int> m_inFlight = 0;               // requests begun and not finished
    std::atomic<unsigned> m_connections = 0;       // open now
    std::atomic<bool> m_stopping = false;
    std::thread m_sweeper;
    std::atomic<qsizetype> m_busyRefusals = 0;
};

} // namespace Velmora
