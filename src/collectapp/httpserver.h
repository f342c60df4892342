#pragma once

#include "collector.h"

#include <QString>

#include <atomic>
#include <functional>

struct MHD_Daemon;

namespace Velmora {

// The HTTP side of the collector, on GNU libmicrohttpd: a thread per connection
// (an answer waits for its sync without holding anyone else up), and limits on
// connections in all and per address, on header size, on idle connections and
// on the body, so that a few slow or hostile clients cannot lock respondents out.
class HttpServer {
public:
    struct Limits {
        unsigned connections = 512;
        unsigned connectionsPerAddress = 32;
        unsigned idleSeconds = 15;
        size_t headerBytes = 32 * 1024;
    };
    using Handler = std::function<HttpResponse(const HttpRequest &)>;

    HttpServer(Handler handler, Limits limits);
    ~HttpServer();
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    // Listens on 127.0.0.1 (local) or every IPv4 address; port 0 takes any free
    // one. False when the port is taken or cannot be used.
    bool listen(bool local, quint16 port);
    quint16 port() const { return m_port; }
    // Stops taking connections, lets the requests in flight finish (for a few
    // seconds at most), then closes.
    void stop();

    // Called by libmicrohttpd.
    struct Exchange;
    int respond(void *connection, const char *url, const char *method, const char *upload,
                size_t *uploadSize, void **state);
    void finished(Exchange *exchange);

private:
    Handler m_handler;
    Limits m_limits;
    MHD_Daemon *m_daemon = nullptr;
    quint16 m_port = 0;
    std::atomic<int> m_inFlight = 0;
};

} // namespace Velmora
