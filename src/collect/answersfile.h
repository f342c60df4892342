#pragma once

#include "durablefile.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <mutex>

namespace Velmora {

// The answers to one survey page: a UTF-8 CSV file beside the page, with a byte
// order mark so that spreadsheets open it right, and a header row naming the
// columns. When the page was made again with other inputs, the answers go to a
// new file, "Survey answers (2).csv" and so on, so that no answer ever lands
// under another question's column.
//
// Answers arriving together share one sync (group commit): append() returns
// only when the record is on the disk.
class AnswersFile {
public:
    // Finds or starts the file for these columns; removes an unfinished last
    // record that a crash left (it was never acknowledged). Throws RuntimeError.
    AnswersFile(const QString &folder, const QString &pageFileName, const QStringList &header);

    const QString &path() const { return m_path; }
    // The file these columns go to, whether it exists yet or not. Throws RuntimeError.
    static QString pathFor(const QString &folder, const QString &pageFileName,
                           const QStringList &header);
    qsizetype answers();

    // Thread-safe; throws RuntimeError when the record could not be written whole.
    void append(const QByteArray &record);

    // The records of a CSV text (the byte order mark and header row included) and
    // where the last complete one ends.
    static QList<QStringList> parseRecords(QByteArrayView csv, qsizetype *completeUpTo = nullptr);

private:
    QString m_path;
    DurableAppender m_file;
    qsizetype m_answers = 0;

    std::mutex m_mutex;
    std::condition_variable m_done;
    QByteArray m_waiting; // records waiting for the next sync
    qsizetype m_waitingRecords = 0;
    quint64 m_nextBatch = 1; // the batch that records joining now belong to
    quint64 m_finishedBatch = 0;
    bool m_syncing = false;
    QHash<quint64, int> m_waiters;      // callers still to learn how their batch went
    QHash<quint64, QString> m_failures; // batches that could not be written, and why
};

} // namespace Velmora
