// Which proxies may say who the client is, and the client they name.
#include "trustedproxies.h"

#include <arpa/inet.h>
#include <cstring>

namespace Velmora {

namespace {

// An address as the headers carry it: quotes, brackets and a port taken off.
QString bareAddress(QString text) {
    text = text.trimmed();
    if (text.startsWith(u'"') && text.endsWith(u'"') && text.size() >= 2)
        text = text.mid(1, text.size() - 2);
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        return close < 0 ? QString() : text.mid(1, close - 1);
    }
    // One colon: IPv4 with a port. More: IPv6 without brackets, which has none.
    if (text.count(u':') == 1)
        text.truncate(text.indexOf(u':'));
    return text;
}

// The "for" addresses of a Forwarded header, in order.
QStringList forwardedFor(const QByteArray &header) {
    QStringList addresses;
    for (const QByteArray &element : header.split(',')) {
        for (const QByteArray &pair : element.split(';')) {
            const QByteArray trimmed = pair.trimmed();
            if (trimmed.toLower().startsWith("for="))
                addresses.append(bareAddress(QString::fromLatin1(trimmed.mid(4))));
        }
    }
    return addresses;
}

QString forwardedProto(const QByteArray &header) {
    QString proto;
    for (const QByteArray &element : header.split(','))
        for (const QByteArray &pair : element.split(';'))
            if (pair.trimmed().toLower().startsWith("proto="))
                proto = QString::fromLatin1(pair.trimmed().mid(6)).remove(u'"').toLower();
    return proto;
}

} // namespace

std::optional<std::array<unsigned char, 16>> TrustedProxies::bytesOf(const QString &address) {
    const QByteArray text = address.toLatin1();
    std::array<unsigned char, 16> bytes{};
    in_addr v4{};
    if (::inet_pton(AF_INET, text.constData(), &v4) == 1) {
        // As an IPv4-mapped IPv6 address, so that both forms compare alike.
        bytes[10] = bytes[11] = 0xFF;
        std::memcpy(bytes.data() + 12, &v4, 4);
        return bytes;
    }
    if (::inet_pton(AF_INET6, text.constData(), bytes.data()) == 1)
        return bytes;
    return std::nullopt;
}

QString TrustedProxies::normalised(const QString &address) {
    static const QString Mapped = QStringLiteral("::ffff:");
    if (address.startsWith(Mapped, Qt::CaseInsensitive) && address.count(u'.') == 3)
        return address.mid(Mapped.size());
    return address;
}

std::optional<TrustedProxies::Header> TrustedProxies::headerNamed(const QString &name) {
    if (name.compare(QLatin1String("X-Forwarded-For"), Qt::CaseInsensitive) == 0)
        return Header::XForwardedFor;
    if (name.compare(QLatin1String("Forwarded"), Qt::CaseInsensitive) == 0)
        return Header::Forwarded;
    return std::nullopt;
}

std::optional<TrustedProxies> TrustedProxies::parse(const QStringList &networks, QString *error,
                                                    Header header) {
    TrustedProxies proxies;
    proxies.m_header = header;
    for (const QString &network : networks) {
        const QString address = network.section(u'/', 0, 0);
        const std::optional<std::array<unsigned char, 16>> bytes = bytesOf(address);
        const bool v4 = address.contains(u'.') && !address.contains(u':');
        int bits = v4 ? 32 : 128;
        bool ok = bytes.has_value();
        if (ok && network.contains(u'/'))
            bits = network.section(u'/', 1).toInt(&ok);
        if (!ok || bits < 0 || bits > (v4 ? 32 : 128)) {
            *error = QStringLiteral("--trusted-proxy takes an address or a network such as "
                                    "127.0.0.1, 10.0.0.0/8 or fd00::/8, not \"%1\".")
                         .arg(network);
            return std::nullopt;
        }
        proxies.m_networks.append({*bytes, v4 ? bits + 96 : bits});
    }
    return proxies;
}

bool TrustedProxies::contains(const QString &address) const {
    const std::optional<std::array<unsigned char, 16>> bytes = bytesOf(normalised(address));
    if (!bytes)
        return false;
    for (const Network &network : m_networks) {
        int bits = network.bits;
        bool inside = true;
        for (int i = 0; i < 16 && bits > 0 && inside; ++i, bits -= 8) {
            const unsigned char mask =
                bits >= 8 ? 0xFF : static_cast<unsigned char>(0xFF << (8 - bits));
            inside = ((*bytes)[i] & mask) == (network.bytes[i] & mask);
        }
        if (inside)
            return true;
    }
    return false;
}

TrustedProxies::Client TrustedProxies::clientOf(const QString &peer, const QByteArray &forwarded,
                                                const QByteArray &forwardedFor,
                                                const QByteArray &forwardedProto) const {
    const QString address = normalised(peer);
    if (!contains(address))
        return {address, false};
    const bool standard = m_header == Header::Forwarded;
    QStringList chain;
    if (standard) {
        chain = Velmora::forwardedFor(forwarded);
    } else {
        for (const QByteArray &hop : forwardedFor.split(','))
            if (!hop.trimmed().isEmpty())
                chain.append(bareAddress(QString::fromLatin1(hop)));
    }
    // From the nearest hop outwards: each trusted proxy vouches for the one before it.
    Client client{address, false};
    for (auto hop = chain.crbegin(); hop != chain.crend(); ++hop) {
        const QString candidate = normalised(*hop);
        if (!bytesOf(candidate))
            break; // "unknown" or an obfuscated name: no further than here
        client.address = candidate;
        client.forwarded = true;
        if (!contains(candidate))
            break;
    }
    const QString proto =
        standard ? Velmora::forwardedProto(forwarded)
                 : QString::fromLatin1(forwardedProto.split(',').last()).trimmed().toLower();
    client.secure = proto == QLatin1String("https");
    return client;
}

} // namespace Velmora
