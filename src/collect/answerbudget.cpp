// The answers all clients together may send: a rate, a burst and a day's bytes.
#include "answerbudget.h"

#include <algorithm>
#include <cmath>

namespace Velmora {

namespace {
constexpr double SecondsADay = 24 * 60 * 60;
} // namespace

AnswerBudget::AnswerBudget(Settings settings)
    : m_settings(settings)
    , m_answers(settings.answers.burst)
    , m_bytes(double(settings.bytesPerDay)) {}

std::optional<AnswerBudget::Refusal> AnswerBudget::take(qint64 bytes, qint64 nowMs) {
    std::lock_guard lock(m_mutex);
    const double seconds = m_filledAtMs < 0 ? 0 : double(nowMs - m_filledAtMs) / 1000.0;
    m_filledAtMs = nowMs;
    const RateLimit &rate = m_settings.answers;
    m_answers = std::min(rate.burst, m_answers + rate.perSecond * seconds);
    const double daily = double(m_settings.bytesPerDay);
    m_bytes = std::min(daily, m_bytes + daily / SecondsADay * seconds);
    if (m_answers < 1)
        return Refusal{Over::Answers,
                       int(std::min(std::ceil((1 - m_answers) / rate.perSecond), SecondsADay))};
    // An answer larger than the whole day's budget needs all of it.
    const double needed = std::min(double(bytes), daily);
    if (m_settings.bytesPerDay > 0 && m_bytes < needed)
        return Refusal{Over::DailyBytes,
                       int(std::ceil((needed - m_bytes) / (daily / SecondsADay)))};
    m_answers -= 1;
    if (m_settings.bytesPerDay > 0)
        m_bytes = std::max(0.0, m_bytes - double(bytes));
    return std::nullopt;
}

} // namespace Velmora
