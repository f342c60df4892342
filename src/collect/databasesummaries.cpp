// The summaries of answers in a database: counted by the database, for
// every version of each page, and kept in memory for the results link.
#include "databaseanswerstore.h"

namespace Velmora {

bool DatabaseAnswerStore::writeSummaries(const SurveyFolder &folder, const Language &words, bool) {
    // Served from memory, summaries counted while stopping would not outlive
    // the collector anyway.
    if (!m_readsStopped)
        countSummaries(folder, words);
    return true;
}

void DatabaseAnswerStore::countSummaries(const SurveyFolder &folder, const Language &words) {
    {
        // A page taken out of the folder takes its summary off the results link.
        std::lock_guard lock(m_mutex);
        std::erase_if(m_counted, [&folder](const auto &counted) {
            return !folder.pages.contains(counted.first);
        });
    }
    for (auto it = folder.pages.cbegin(); it != folder.pages.cend(); ++it) {
        const AnswerDatabase::Survey survey{
            it.key(),
            it->page.title,
            it->page.stamp,
            AnswerSheet(it->page, AnswerSheet::Form::RespondentPage).header(),
            {}};
        Counted counted{{}, it->page.stamp, {}, {}};
        {
            std::lock_guard lock(m_mutex);
            const auto known = m_counted.find(it.key());
            if (known != m_counted.end() && known->second.stamp == it->page.stamp)
                counted = known->second;
        }
        SummaryTally tally(it->page, AnswerSheet::Form::RespondentPage);
        QString error;
        const auto ask = [&](const AnswerDatabase::Survey &version,
                             const QList<SummaryTally::Column> &columns, Counted::Version *known) {
            if (const auto counts = m_database->counts(version, columns, &known->version, &error)) {
                known->counts = *counts;
                return true;
            }
            return false;
        };
        // This version's answers, then those of the page's other versions.
        bool changed = ask(survey, tally.columns(), &counted.current);
        QMap<QStringList, Counted::Version> others;
        for (const QStringList &header : m_database->otherVersions(survey)) {
            if (!error.isEmpty())
                break;
            Counted::Version other = counted.others.value(header);
            AnswerDatabase::Survey version = survey;
            version.header = header;
            changed = ask(version, tally.columnsOf(header), &other) || changed;
            others.insert(header, other);
        }
        {
            // Said once, not every second while the database is away.
            std::lock_guard lock(m_mutex);
            if (!error.isEmpty() && error != m_summaryError)
                m_errors(QStringLiteral("No summaries: %1").arg(error));
            m_summaryError = error;
        }
        if (!error.isEmpty())
            return;
        changed = changed || others.keys() != counted.others.keys();
        counted.others = std::move(others);
        if (!changed)
            continue;
        tally.assign(counted.current.counts);
        for (auto other = counted.others.cbegin(); other != counted.others.cend(); ++other)
            tally.includeCounts(other.key(), other->counts);
        counted.summary = tally.page(words);
        std::lock_guard lock(m_mutex);
        m_counted[it.key()] = std::move(counted);
    }
}

} // namespace Velmora
