#pragma once

#include "durablefile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace Velmora {

// The answers to one survey page: a UTF-8 CSV file beside the page, with a byte
// order mark so that spreadsheets open it right, and a header row naming the
// columns. When the page was made again with other inputs, the answers go to a
// new file, "Survey answers (2).csv" and so on, so that no answer ever lands
// under another question's column.
//
// Answers arriving together share one sync (group commit), written by a thread
// of the file's own: nobody who hands over an answer waits for the disk.
class AnswersFile {
public:
    // New answers files and summaries: readable by their owner only, or by a
    // group too where the organiser chose one (GroupMode).
    static constexpr int PrivateMode = 0600;
    static constexpr int GroupMode = 0640;

    using Record = std::function<void(const QStringList &)>;
    // Finds or starts the file for these columns; removes an unfinished last
    // record that a crash left (it was never acknowledged). Every record already
    // in the file, the header row included, is handed to `existing` as the file
    // is read, in pieces. Throws RuntimeError.
    AnswersFile(const QString &folder, const QString &pageFileName, const QStringList &header,
                const Record &existing = {}, int mode = PrivateMode);
    ~AnswersFile(); // what was handed over is written first
    AnswersFile(const AnswersFile &) = delete;
    AnswersFile &operator=(const AnswersFile &) = delete;

    const QString &path() const { return m_path; }
    // The file these columns go to, whether it exists yet or not. Throws RuntimeError.
    static QString pathFor(const QString &folder, const QString &pageFileName,
                           const QStringList &header);
    // "My Product Survey answers.csv", "My Product Survey answers (2).csv" for
    // the page "My Product Survey.htm".
    static QString name(const QString &pageFileName, int number = 1);
    qsizetype answers();
    // What an answers file with these columns begins with: the byte order mark
    // and the header row.
    static QByteArray beginning(const QStringList &header);

    // Hands the record to the file's writer, which appends everything handed
    // over meanwhile and syncs it once (group commit); then `done` is called on
    // the writer's thread with an empty text, or with why the record is not on
    // the disk. Records are written, and `done` called, in the order given.
    using Done = std::function<void(const QString &failure)>;
    void append(QByteArray record, Done done);
    // The same, returning when the record is on the disk; throws RuntimeError.
    void append(const QByteArray &record);

    // The records of a CSV text (the byte order mark and header row included) and
    // where the last complete one ends.
    static QList<QStringList> parseRecords(QByteArrayView csv, qsizetype *completeUpTo = nullptr);

private:
    struct Waiting {
        QByteArray record;
        Done done;
    };
    void writeLoop();

    QString m_path;
    DurableAppender m_file;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    qsizetype m_answers = 0;
    std::vector<Waiting> m_waiting; // handed over, not written yet
    bool m_stopping = false;
    std::thread m_writer;
};

} // namespace Velmora
