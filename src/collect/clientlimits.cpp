// What one client may send: token buckets by address or network.
#include "clientlimits.h"

#include <algorithm>

#include <arpa/inet.h>

namespace Velmora {

namespace {
// A client quiet for as long as its buckets take to fill is forgotten: the table of
// clients stays as small as the crowd of the last minute.
constexpr qint64 ForgetAfterMs = 120000;
} // namespace

bool ClientLimits::take(Bucket &bucket, const Rate &rate, qint64 nowMs) {
    bucket.tokens = std::min(
        rate.burst, bucket.tokens + rate.perSecond * double(nowMs - bucket.filledAtMs) / 1000.0);
    bucket.filledAtMs = nowMs;
    if (bucket.tokens < 1)
        return false;
    bucket.tokens -= 1;
    return true;
}

QString clientNetwork(const QString &address, unsigned ipv4PrefixBits) {
    in_addr v4{};
    if (ipv4PrefixBits < 32 && ::inet_pton(AF_INET, address.toLatin1().constData(), &v4) == 1) {
        const quint32 mask = ipv4PrefixBits == 0 ? 0 : ~quint32(0) << (32 - ipv4PrefixBits);
        v4.s_addr = htonl(ntohl(v4.s_addr) & mask);
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &v4, text, sizeof text);
        return QString::fromLatin1(text) + QLatin1Char('/') + QString::number(ipv4PrefixBits);
    }
    in6_addr bytes{};
    if (!address.contains(u':') ||
        ::inet_pton(AF_INET6, address.toLatin1().constData(), &bytes) != 1)
        return address;
    std::fill(bytes.s6_addr + 8, bytes.s6_addr + 16, 0);
    char text[INET6_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET6, &bytes, text, sizeof text);
    return QString::fromLatin1(text) + QStringLiteral("/64");
}

bool ClientLimits::admit(const QString &address, bool answer, qint64 nowMs) {
    const QString client = clientNetwork(address, m_settings.ipv4PrefixBits);
    std::lock_guard lock(m_mutex);
    forgetQuietClients(nowMs);
    auto found = m_clients.find(client);
    if (found == m_clients.end())
        found = m_clients.insert(
            client, {{m_settings.requests.burst, nowMs}, {m_settings.answers.burst, nowMs}});
    // An answer refused for its rate must not use up a request as well.
    if (answer) {
        Bucket answers = found->answers;
        if (!take(answers, m_settings.answers, nowMs))
            return false;
        if (!take(found->requests, m_settings.requests, nowMs))
            return false;
        found->answers = answers;
        return true;
    }
    return take(found->requests, m_settings.requests, nowMs);
}

void ClientLimits::forgetQuietClients(qint64 nowMs) {
    if (nowMs - m_sweptAtMs < ForgetAfterMs)
        return;
    m_sweptAtMs = nowMs;
    m_clients.removeIf([nowMs](const QHash<QString, Client>::iterator &it) {
        return nowMs - std::max(it->requests.filledAtMs, it->answers.filledAtMs) > ForgetAfterMs;
    });
}

} // namespace Velmora
