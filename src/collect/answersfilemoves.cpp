// Answers moved out of an answers file into the file of removed answers
// beside it, and back: done by the file's own writer, between two batches
// of answers, so that nothing appended is lost on the way.
#include "answersfile.h"

#include "answersheet.h"
#include "csvreader.h"
#include "runtimeerror.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace Velmora {

void AnswersFile::moveAnswers(QSet<QString> answerIds, bool restore, Moved done) {
    {
        std::lock_guard lock(m_mutex);
        m_waiting.push_back({{}, {}, Move{std::move(answerIds), restore, std::move(done)}});
    }
    m_wake.notify_all();
}

QString AnswersFile::removedPath(const QString &answersPath) {
    QString path = answersPath;
    return path.replace(QRegularExpression(QStringLiteral("\\.csv$")),
                        QStringLiteral(" removed.csv"));
}

namespace {

QList<QStringList> recordsOf(const QString &path) {
    QList<QStringList> records;
    QString error;
    if (!CsvReader::readFile(
            path, [&records](const QStringList &record) { records.append(record); }, nullptr,
            &error))
        throw RuntimeError(error);
    return records;
}

// The records as the file holds them: written out again, they read the same.
QByteArray fileBytes(const QList<QStringList> &records) {
    QByteArray bytes = "\xEF\xBB\xBF";
    for (const QStringList &record : records)
        bytes += csvRecord(typedCells(record));
    return bytes;
}

} // namespace

void AnswersFile::move(const Move &move) {
    qsizetype moved = 0;
    QString failure;
    try {
        followThePath({});
        const QString path = this->path();
        const QString aside = removedPath(path);
        QList<QStringList> answers = recordsOf(path);
        QList<QStringList> removed =
            QFileInfo::exists(aside) ? recordsOf(aside) : QList<QStringList>();
        if (removed.isEmpty())
            removed.append(m_header);
        QList<QStringList> &from = move.restore ? removed : answers;
        QList<QStringList> &to = move.restore ? answers : removed;
        QList<QStringList> staying;
        for (qsizetype i = 0; i < from.size(); ++i) {
            const QStringList &record = from[i];
            if (i > 0 && record.size() == m_header.size() &&
                move.answerIds.contains(record.last())) {
                to.append(record);
                ++moved;
            } else {
                staying.append(record);
            }
        }
        from = staying;
        if (moved > 0) {
            writeFileDurably(move.restore ? path : aside, fileBytes(to), m_mode);
            writeFileDurably(move.restore ? aside : path, fileBytes(from), m_mode);
            // The file at the path is a new one now, and what this run wrote
            // before is settled: nothing removed comes back as lacking.
            m_file.close();
            m_file.open(path, m_mode);
            m_ownFrom = m_file.size();
            std::lock_guard lock(m_mutex);
            m_answers = answers.size() - 1;
            m_reread =
                Reread{answers, move.restore ? QStringLiteral("had %1 answers restored").arg(moved)
                                             : QStringLiteral("had %1 answers removed").arg(moved)};
        }
    } catch (const RuntimeError &error) {
        failure = error.description();
    }
    move.done(moved, failure);
}

} // namespace Velmora
