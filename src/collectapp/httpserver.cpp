#include "httpserver.h"

#include <QElapsedTimer>
#include <QThread>

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <unistd.h>

namespace Velmora {

struct HttpServer::Exchange {
    HttpRequest request;
    bool tooLarge = false;
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

void requestDone(void *server, MHD_Connection *, void **state, MHD_RequestTerminationCode) {
    if (*state)
        static_cast<HttpServer *>(server)->finished(static_cast<HttpServer::Exchange *>(*state));
    *state = nullptr;
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

MHD_Result send(MHD_Connection *connection, const HttpResponse &reply) {
    auto *body = new QByteArray(reply.body);
    MHD_Response *response = MHD_create_response_from_buffer_with_free_callback_cls(
        size_t(body->size()), body->data(), freeBody, body);
    if (!reply.contentType.isEmpty())
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE,
                                reply.contentType.constData());
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
    for (const auto &[name, value] : reply.headers)
        MHD_add_response_header(response, name.constData(), value.constData());
    const MHD_Result queued = MHD_queue_response(connection, unsigned(reply.status), response);
    MHD_destroy_response(response);
    return queued;
}

HttpResponse tooLarge() {
    return htmlResponse(413, QStringLiteral("Too large"),
                        QStringLiteral("<p>These answers are larger than any survey needs.</p>"));
}

} // namespace

HttpServer::HttpServer(Handler handler, Limits limits)
    : m_handler(std::move(handler))
    , m_limits(limits) {}

HttpServer::~HttpServer() {
    stop();
}

bool HttpServer::listen(bool local, quint16 port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(local ? INADDR_LOOPBACK : INADDR_ANY);
    m_daemon = MHD_start_daemon(
        MHD_USE_THREAD_PER_CONNECTION | MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_POLL |
            MHD_USE_ITC,
        port, nullptr, nullptr, &handleRequest, this, MHD_OPTION_SOCK_ADDR, &address,
        MHD_OPTION_CONNECTION_LIMIT, m_limits.connections, MHD_OPTION_PER_IP_CONNECTION_LIMIT,
        m_limits.connectionsPerAddress, MHD_OPTION_CONNECTION_TIMEOUT, m_limits.idleSeconds,
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, m_limits.headerBytes, MHD_OPTION_THREAD_STACK_SIZE,
        size_t(256 * 1024), MHD_OPTION_UNESCAPE_CALLBACK, &keepEscaped, nullptr,
        MHD_OPTION_NOTIFY_COMPLETED, &requestDone, this, MHD_OPTION_END);
    if (!m_daemon)
        return false;
    const MHD_DaemonInfo *info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = info ? info->port : port;
    return true;
}

void HttpServer::stop() {
    if (!m_daemon)
        return;
    // The listening socket comes back to us, to close once the daemon is gone:
    // until then the system would still take connections nobody answers.
    const MHD_socket listening = MHD_quiesce_daemon(m_daemon);
    // Requests in flight finish; idle connections kept open by browsers do not
    // hold the stop up.
    QElapsedTimer waited;
    waited.start();
    while (m_inFlight > 0 && waited.elapsed() < 5000)
        QThread::msleep(5);
    MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
    if (listening != MHD_INVALID_SOCKET)
        ::close(listening);
}

void HttpServer::finished(Exchange *exchange) {
    delete exchange;
    --m_inFlight;
}

int HttpServer::respond(void *handle, const char *url, const char *method, const char *upload,
                        size_t *uploadSize, void **state) {
    auto *connection = static_cast<MHD_Connection *>(handle);
    auto *exchange = static_cast<Exchange *>(*state);
    if (!exchange) {
        exchange = new Exchange;
        *state = exchange;
        ++m_inFlight;
        exchange->request.method = method;
        exchange->request.path = url;
        MHD_get_connection_values(connection, MHD_GET_ARGUMENT_KIND, &collectQuery,
                                  &exchange->request.query);
        exchange->request.contentType =
            MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_TYPE);
        // A body announced as too large is refused before it is read.
        const char *length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                                         MHD_HTTP_HEADER_CONTENT_LENGTH);
        if (length && QByteArray(length).toLongLong() > Collector::MaxBody)
            return send(connection, tooLarge());
        return MHD_YES;
    }
    if (*uploadSize > 0) {
        if (exchange->request.body.size() + qsizetype(*uploadSize) > Collector::MaxBody)
            exchange->tooLarge = true;
        else
            exchange->request.body.append(upload, qsizetype(*uploadSize));
        *uploadSize = 0;
        return MHD_YES;
    }
    return send(connection, exchange->tooLarge ? tooLarge() : m_handler(exchange->request));
}

} // namespace Velmora
