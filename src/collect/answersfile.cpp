#include "answersfile.h"

#include "answersheet.h"
#include "csvreader.h"
#include "runtimeerror.h"

#include <QFile>
#include <QFileInfo>

namespace Velmora {

namespace {

constexpr QByteArrayView ByteOrderMark = "\xEF\xBB\xBF";

QString numberedName(const QString &folder, const QString &base, int number) {
    const QString suffix = number == 1 ? QStringLiteral(" answers.csv")
                                       : QStringLiteral(" answers (%1).csv").arg(number);
    return folder + QLatin1Char('/') + base + suffix;
}

QByteArray readHead(const QString &path, qint64 bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(QStringLiteral("%1 (%2)").arg(file.errorString(), path));
    return file.read(bytes);
}

} // namespace

QList<QStringList> AnswersFile::parseRecords(QByteArrayView csv, qsizetype *completeUpTo) {
    QList<QStringList> records;
    CsvReader reader([&](const QStringList &record) { records.append(record); });
    reader.feed(csv);
    reader.feed({});
    if (completeUpTo)
        *completeUpTo = reader.completeUpTo();
    return records;
}

QString AnswersFile::pathFor(const QString &folder, const QString &pageFileName,
                             const QStringList &header) {
    const QString base =
        pageFileName.endsWith(QLatin1String(".htm")) ? pageFileName.chopped(4) : pageFileName;
    const QByteArray start = ByteOrderMark.toByteArray() + csvRecord(header);
    for (int number = 1;; ++number) {
        const QString path = numberedName(folder, base, number);
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink())
            return path;
        // A file that begins with this header (or only with part of it, the rest
        // lost in a crash before any answer) is this page's.
        const QByteArray head = readHead(path, start.size());
        if (info.isFile() && (head == start || start.startsWith(head)))
            return path;
    }
}

AnswersFile::AnswersFile(const QString &folder, const QString &pageFileName,
                         const QStringList &header)
    : m_path(pathFor(folder, pageFileName, header)) {
    const QByteArray start = ByteOrderMark.toByteArray() + csvRecord(header);
    m_file.open(m_path);
    QFile existing(m_path);
    if (!existing.open(QIODevice::ReadOnly))
        throw RuntimeError(QStringLiteral("%1 (%2)").arg(existing.errorString(), m_path));
    const QByteArray content = existing.readAll();
    qsizetype end = 0;
    const QList<QStringList> records = parseRecords(content, &end);
    if (records.isEmpty() || end < start.size()) {
        m_file.truncate(0);
        m_file.append(start);
    } else {
        if (end != content.size())
            m_file.truncate(end); // the torn record of a crash, never acknowledged
        m_answers = records.size() - 1;
    }
}

qsizetype AnswersFile::answers() {
    std::lock_guard lock(m_mutex);
    return m_answers;
}

void AnswersFile::append(const QByteArray &record) {
    std::unique_lock lock(m_mutex);
    const quint64 batch = m_nextBatch;
    m_waiting += record;
    ++m_waitingRecords;
    ++m_waiters[batch];
    // One caller at a time syncs everything that waits; the others wait for the
    // sync that carries their record.
    while (m_finishedBatch < batch) {
        if (m_syncing) {
            m_done.wait(lock);
            continue;
        }
        m_syncing = true;
        const QByteArray records = std::exchange(m_waiting, QByteArray());
        const qsizetype count = std::exchange(m_waitingRecords, 0);
        const quint64 writing = m_nextBatch++;
        lock.unlock();
        QString failure;
        try {
            m_file.append(records);
        } catch (const RuntimeError &error) {
            failure = error.description();
        }
        lock.lock();
        m_syncing = false;
        m_finishedBatch = writing;
        if (failure.isEmpty())
            m_answers += count;
        else
            m_failures.insert(writing, failure);
        m_done.notify_all();
    }
    const QString failure = m_failures.value(batch);
    if (--m_waiters[batch] == 0) {
        m_waiters.remove(batch);
        m_failures.remove(batch);
    }
    if (!failure.isEmpty())
        throw RuntimeError(failure);
}

} // namespace Velmora
