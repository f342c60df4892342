#pragma once

// The one-time answer ID each respondent page carries, and what tells two
// answers with one ID apart.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace Velmora {

// The first 64 of an answer ID's 128 random bits: enough to tell answers
// apart, and half the memory.
quint64 answerIdKey(const QString &id);
// What an answer holds, from the page's stamp on (not when it came), as typed.
size_t contentOf(const QStringList &typedCells);
// The answer ID of an answer's cells (AnswerSheet::row(): the last), or
// empty where it was sent without one.
inline QString answerIdIn(const QStringList &cells) {
    return !cells.isEmpty() && cells.last().size() == 32 ? cells.last() : QString();
}
// The answer ID of a record of the answers file, by its first 64 bits.
std::optional<quint64> answerIdOf(const QStringList &record, qsizetype width);
// What each answer ID a store holds stands for: what the answer holds
// (contentOf()), by the ID's first 64 bits.
class StoredAnswerIds {
public:
    std::optional<size_t> find(quint64 key) const {
        const auto stored = m_ids.constFind(key);
        return stored == m_ids.cend() ? std::nullopt : std::optional(*stored);
    }
    // True when the ID was stored before: this answer corrects that one.
    bool insert(quint64 key, size_t content) {
        const bool before = m_ids.contains(key);
        m_ids.insert(key, content);
        return before;
    }
    void clear() { m_ids.clear(); }

private:
    QHash<quint64, size_t> m_ids;
};

// A new answer ID: 128 random bits as 32 hexadecimal digits.
QByteArray newAnswerId();

// The thank-you page's proof that answers to `pageFile` were stored: what the
// redirect after storing carries ("answered=..."), which nobody can make
// without `key`; a page opened without one says nothing was confirmed.
QByteArray receiptFor(const QByteArray &key, const QString &pageFile);
bool isReceipt(const QByteArray &key, const QString &pageFile, const QByteArray &receipt);

} // namespace Velmora
