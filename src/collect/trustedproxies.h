#pragma once

// Which proxies may say who the client is.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace Velmora {

// The reverse proxies whose word on the real client is believed. Only for a
// connection from one of them is the header they set read, and only that one:
// X-Forwarded-For (with X-Forwarded-Proto), or Forwarded. The other is ignored,
// since a proxy passes on what a client sent in it (nginx passes a client's own
// Forwarded through); from anyone else both are ignored, so that nobody can
// pass for another client by sending them.
class TrustedProxies {
public:
    enum class Header { XForwardedFor, Forwarded };
    // "127.0.0.1", "10.0.0.0/8", "::1", "fd00::/8"; nothing, with `error` set,
    // for anything else.
    static std::optional<TrustedProxies> parse(const QStringList &networks, QString *error,
                                               Header header = Header::XForwardedFor);
    // "X-Forwarded-For" or "Forwarded", in any letter case.
    static std::optional<Header> headerNamed(const QString &name);

    bool isEmpty() const { return m_networks.isEmpty(); }
    bool contains(const QString &address) const;

    struct Client {
        QString address;
        bool secure = false;    // the proxy says the client came over HTTPS
        bool forwarded = false; // named by a trusted proxy: never this computer itself
    };
    // The client of a connection from `peer`, with the headers it sent: the
    // last address in the forwarding chain that is not a trusted proxy.
    Client clientOf(const QString &peer, const QByteArray &forwarded,
                    const QByteArray &forwardedFor, const QByteArray &forwardedProto) const;

    // "::ffff:192.0.2.1" as "192.0.2.1"; anything not an address as it is.
    static QString normalised(const QString &address);

private:
    struct Network {
        std::array<unsigned char, 16> bytes{};
        int bits = 0;
    };
    static std::optional<std::array<unsigned char, 16>> bytesOf(const QString &address);

    QList<Network> m_networks;
    Header m_header = Header::XForwardedFor;
};

} // namespace Velmora
