#pragma once

#include <QByteArray>
#include <QList>

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A bare HTTP/1.1 exchange over a real socket on the loopback, so that requests
// go out exactly as written: no client library tidies a hostile path first.
struct HttpReply {
    int status = 0; // 0: no answer (refused, closed or timed out)
    QByteArray head;
    QByteArray body;

    QByteArray header(const QByteArray &name) const {
        for (const QByteArray &line : head.split('\n'))
            if (line.toLower().startsWith(name.toLower() + ':'))
                return line.mid(name.size() + 1).trimmed();
        return {};
    }
};

class LoopbackConnection {
public:
    // A `receiveBuffer` of some kilobytes makes a client that reads slowly
    // hold the server up, as a phone on a poor network does.
    // A reply not begun within `seconds` is none.
    explicit LoopbackConnection(quint16 port, const char *from = "127.0.0.1", int receiveBuffer = 0,
                                int seconds = 10) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (receiveBuffer > 0)
            ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        timeval timeout{seconds, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        ::setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
        // Binding takes a port of its own for every connection; only a client
        // that must come from another loopback address pays for that.
        if (std::strcmp(from, "127.0.0.1") != 0) {
            sockaddr_in local{};
            local.sin_family = AF_INET;
            ::inet_pton(AF_INET, from, &local.sin_addr);
            ::bind(m_fd, reinterpret_cast<sockaddr *>(&local), sizeof local);
        }
        sockaddr_in server{};
        server.sin_family = AF_INET;
        server.sin_port = htons(port);
        ::inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
        m_connected = ::connect(m_fd, reinterpret_cast<sockaddr *>(&server), sizeof server) == 0;
    }
    ~LoopbackConnection() { ::close(m_fd); }
    LoopbackConnection(const LoopbackConnection &) = delete;
    LoopbackConnection &operator=(const LoopbackConnection &) = delete;

    bool send(const QByteArray &bytes) {
        for (qsizetype sent = 0; sent < bytes.size();) {
            const ssize_t n =
                ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            sent += n;
        }
        return true;
    }

    // Reads until the server closes the connection.
    HttpReply receive() {
        QByteArray all;
        char buffer[65536];
        for (ssize_t n; (n = ::recv(m_fd, buffer, sizeof buffer, 0)) > 0;)
            all.append(buffer, n);
        HttpReply reply;
        const qsizetype end = all.indexOf("\r\n\r\n");
        if (!all.startsWith("HTTP/1.") || end < 0)
            return reply;
        reply.status = all.mid(9, 3).toInt();
        reply.head = all.left(end);
        reply.body = all.mid(end + 4);
        return reply;
    }

    // Reads one response and leaves the connection open for the next request.
    HttpReply receiveOne() {
        HttpReply reply;
        qsizetype end = -1;
        while ((end = m_pending.indexOf("\r\n\r\n")) < 0)
            if (!fill())
                return reply;
        if (!m_pending.startsWith("HTTP/1."))
            return reply;
        reply.status = m_pending.mid(9, 3).toInt();
        reply.head = m_pending.left(end);
        const qsizetype length = reply.header("Content-Length").toLongLong();
        while (m_pending.size() < end + 4 + length)
            if (!fill())
                return {};
        reply.body = m_pending.mid(end + 4, length);
        m_pending.remove(0, end + 4 + length);
        return reply;
    }

    bool connected() const { return m_connected; }
    int fd() const { return m_fd; }

private:
    bool fill() {
        char buffer[65536];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        m_pending.append(buffer, n);
        return true;
    }

    int m_fd = -1;
    bool m_connected = false;
    QByteArray m_pending;
};

inline HttpReply httpExchange(quint16 port, const QByteArray &request, int seconds = 10) {
    LoopbackConnection connection(port, "127.0.0.1", 0, seconds);
    if (!connection.connected() || !connection.send(request))
        return {};
    return connection.receive();
}

// A port nothing listens on now.
inline quint16 freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

inline QByteArray postRequest(const QByteArray &path, const QByteArray &body,
                              const QByteArray &type = "application/x-www-form-urlencoded",
                              const QByteArray &connection = "close") {
    return "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: " + connection +
           "\r\nContent-Type: " + type + "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\n\r\n" + body;
}

inline QByteArray getRequest(const QByteArray &path, const QByteArray &connection = "close") {
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: " + connection + "\r\n\r\n";
}
