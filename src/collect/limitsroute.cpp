// The limits that keep the collector answering: a client over its own rate,
// or answers from everyone together over the collector's budget, are told
// "busy" rather than slowing everyone else.
#include "collector.h"

#include "collectorpages.h"

namespace Velmora {

bool Collector::limitsRoute(const Incoming &in, const Reply &reply) {
    // What a respondent whose answers are saved still loads (the thank-you page,
    // the style, the icon, the picture) is small and stores nothing: the limits
    // that protect taking answers never tell that person "busy".
    const HttpRequest &request = in.request;
    const bool afterSaving =
        in.read && (request.query.startsWith("answered") || request.path == "/velmora.css" ||
                    request.path == "/favicon.ico" || in.folder->pictures.contains(in.name));
    if (!afterSaving && !m_limits.admit(request.client, in.post, m_steady.elapsed())) {
        {
            std::lock_guard lock(m_mutex);
            ++m_refused;
            m_refusedClients.insert(request.client);
        }
        reply(busyResponse(in.words));
        return true;
    }
    // Checked once the client is within its own rate: one client over it does
    // not spend what everyone shares.
    if (in.post && in.folder->pages.contains(in.name)) {
        if (const auto refusal = m_budget.take(request.body.size(), m_steady.elapsed())) {
            {
                std::lock_guard lock(m_mutex);
                ++m_overBudget;
            }
            reply(overBudgetResponse(in.words, *refusal));
            return true;
        }
    }
    return false;
}

Collector::Refusals Collector::takeRefusals() {
    std::lock_guard lock(m_mutex);
    const Refusals refusals{m_refused, m_refusedClients.size(), m_overBudget};
    m_refused = 0;
    m_overBudget = 0;
    m_refusedClients.clear();
    return refusals;
}

} // namespace Velmora
