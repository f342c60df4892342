// A page's summary across its versions: the answers to other versions of
// the page counted in the questions this version asks in the same words.
#include "summary.h"

#include <QDateTime>

namespace Velmora {

void SummaryTally::addEarlier(const QStringList &header, const QStringList &stored) {
    if (stored.size() != header.size() || stored == header)
        return;
    auto columns = m_earlierColumns.constFind(header);
    if (columns == m_earlierColumns.cend()) {
        const QStringList typedHeader = typedCells(header);
        noteAskedOtherwise(typedHeader);
        columns = m_earlierColumns.insert(header, columnsIn(typedHeader));
    }
    const QStringList record = typedCells(stored);
    // The record laid out as this version's, its questions asked otherwise left empty.
    QStringList cells = record.mid(0, AnswerSheet::FirstAnswer);
    QList<bool> asked;
    for (const qsizetype at : *columns) {
        cells.append(at < 0 ? QString() : record[at]);
        asked.append(at >= 0);
    }
    ++m_earlierRows;
    count(cells, asked);
}

QList<qsizetype> SummaryTally::columnsIn(const QStringList &typedHeader) const {
    QList<qsizetype> at;
    for (qsizetype c = 0; c < m_columns.size(); ++c)
        at.append(
            typedHeader.indexOf(m_header[AnswerSheet::FirstAnswer + c], AnswerSheet::FirstAnswer));
    return at;
}

void SummaryTally::noteAskedOtherwise(const QStringList &typedHeader) {
    for (qsizetype h = AnswerSheet::FirstAnswer; h < typedHeader.size(); ++h)
        if (!m_header.contains(typedHeader[h]) && typedHeader[h] != AnswerSheet::AnswerIdHeader &&
            !m_askedOtherwise.contains(typedHeader[h]))
            m_askedOtherwise.append(typedHeader[h]);
}

QList<SummaryTally::Column> SummaryTally::columnsOf(const QStringList &header) const {
    QList<Column> list;
    const QList<Column> mine = columns();
    for (qsizetype h = AnswerSheet::FirstAnswer; h < header.size(); ++h) {
        if (header[h] == AnswerSheet::AnswerIdHeader && h == header.size() - 1)
            break;
        const qsizetype at = m_header.indexOf(header[h], AnswerSheet::FirstAnswer);
        const qsizetype c = at - AnswerSheet::FirstAnswer;
        list.append(at < 0 || c >= mine.size() ? Column{Kind::Given, {}} : mine[c]);
    }
    return list;
}

void SummaryTally::includeCounts(const QStringList &header, const Counts &counts) {
    SummaryTally earlier(m_page, m_form);
    earlier.noteAskedOtherwise(header);
    earlier.m_rows = earlier.m_earlierRows = counts.answers;
    earlier.m_first = counts.first;
    earlier.m_latest = counts.latest;
    const QList<qsizetype> at = columnsIn(header);
    for (qsizetype c = 0; c < m_columns.size(); ++c) {
        const qsizetype k = at[c] - AnswerSheet::FirstAnswer;
        if (at[c] < 0 || k >= counts.columns.size())
            continue;
        assignColumn(earlier.m_columns[c], counts.columns[k], counts.answers);
    }
    include(earlier);
}

void SummaryTally::include(const SummaryTally &earlier) {
    if (earlier.m_rows == 0)
        return;
    // Another version's answers are usually older, but not always (a page
    // made again as it was before).
    const auto time = [](const QString &received) {
        return QDateTime::fromString(received, Qt::ISODate);
    };
    if (m_rows == 0 || time(earlier.m_first) < time(m_first))
        m_first = earlier.m_first;
    if (m_rows == 0 || time(earlier.m_latest) > time(m_latest))
        m_latest = earlier.m_latest;
    m_rows += earlier.m_rows;
    m_earlierRows += earlier.m_earlierRows;
    for (const QString &question : earlier.m_askedOtherwise)
        if (!m_askedOtherwise.contains(question))
            m_askedOtherwise.append(question);
    for (qsizetype c = 0; c < m_columns.size(); ++c) {
        ColumnTally &tally = m_columns[c];
        const ColumnTally &before = earlier.m_columns[c];
        for (qsizetype i = 0; i < tally.bars.size(); ++i)
            tally.bars[i].count += before.bars[i].count;
        tally.other += before.other;
        tally.given += before.given;
        tally.asked += before.asked;
        // The older texts go before this version's, the newest listed kept.
        for (auto text = before.newest.crbegin();
             text != before.newest.crend() && qsizetype(tally.newest.size()) < ListedTexts; ++text)
            tally.newest.push_front(*text);
    }
}

} // namespace Velmora
