#pragma once

// The answers all clients together may send.
#include "clientlimits.h"

#include <QtGlobal>

#include <mutex>
#include <optional>

namespace Velmora {

// What the collector takes from everyone together, whatever addresses the
// answers come from: so many answers a second, and so many bytes of answers a
// day. Limits per client cannot bound a crowd of addresses (a whole IPv6
// network, or many IPv4 ones); this does, and keeps the disk from filling.
// Both are token buckets: the day's bytes may come at once, and come back
// over the next 24 hours. Thread-safe.
struct AnswerBudgetSettings {
    RateLimit answers{200, 6000};         // a lecture hall at once, then 200 a second
    qint64 bytesPerDay = qint64(1) << 30; // 0: no daily limit
};

class AnswerBudget {
public:
    using Settings = AnswerBudgetSettings;
    enum class Over { Answers, DailyBytes };
    struct Refusal {
        Over over;
        int retryAfterSeconds;
    };

    explicit AnswerBudget(Settings settings = {});

    // Takes one answer of `bytes`; a refusal, with when to come back, when
    // either budget is spent. `nowMs` is a steady clock.
    std::optional<Refusal> take(qint64 bytes, qint64 nowMs);

private:
    const Settings m_settings;
    std::mutex m_mutex;
    double m_answers = 0, m_bytes = 0;
    qint64 m_filledAtMs = -1;
};

} // namespace Velmora
