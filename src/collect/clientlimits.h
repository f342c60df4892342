#pragma once

// What one client may send.
#include <QHash>
#include <QString>

#include <mutex>

namespace Velmora {

// How often one client (one address, or the real client behind a trusted proxy)
// may ask and answer: token buckets whose bursts let a class behind one address
// in at once, while one client sending answers as fast as it can is held to a
// steady rate. Thread-safe.
struct RateLimit {
    double perSecond = 0;
    double burst = 0;
};

// What the limits count as one client: an IPv4 address (or its network, with
// fewer than 32 prefix bits), or an IPv6 /64 (one home or phone gets a whole
// /64 and can send from any address in it). Anything that is no address is
// its own client.
QString clientNetwork(const QString &address, unsigned ipv4PrefixBits = 32);

struct ClientLimitSettings {
    // A page, its picture and the icon for 300 phones at once, then 200 a second.
    RateLimit requests{200, 2000};
    // A class of 300 answering within a minute, then a steady five a second.
    RateLimit answers{5, 600};
    unsigned ipv4PrefixBits = 32;
};

class ClientLimits {
public:
    using Rate = RateLimit;
    using Settings = ClientLimitSettings;

    explicit ClientLimits(Settings settings = {})
        : m_settings(settings) {}

    // Takes one request, and one answer when it is one; false when the client
    // is over its rate and must come back later. `nowMs` is a steady clock.
    bool admit(const QString &client, bool answer, qint64 nowMs);

private:
    struct Bucket {
        double tokens = 0;
        qint64 filledAtMs = 0;
    };
    struct Client {
        Bucket requests, answers;
    };
    static bool take(Bucket &bucket, const Rate &rate, qint64 nowMs);
    void forgetQuietClients(qint64 nowMs);

    const Settings m_settings;
    std::mutex m_mutex;
    QHash<QString, Client> m_clients;
    qint64 m_sweptAtMs = 0;
};

} // namespace Velmora
