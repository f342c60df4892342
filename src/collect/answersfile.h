#pragma once

// One answers file and its writer.
#include "durablefile.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
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
//
// The file is the organiser's too: before every write the writer checks that
// the file open is the one at the path, as it left it. Edited in place (a row
// removed, cut short) it is read again; replaced (an editor's save, `sed -i`)
// the new file is taken, and the answers this run wrote that the new file lacks
// after the last of them it kept (those came after the editor read the file)
// are written into it again; removed or moved, a new file starts at the path
// (the answers went with the file, or were meant to go). A header row changed
// by hand sends new answers to the next numbered file. Answers written at the
// moment of a replacement are written again into the file at the path before
// they are acknowledged.
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

    QString path();
    // The file these columns go to, whether it exists yet or not. Throws RuntimeError.
    static QString pathFor(const QString &folder, const QString &pageFileName,
                           const QStringList &header);
    // True when another process holds the lock on the file at `path` (another
    // collector on the same folder): no answer can be written there then.
    static bool heldElsewhere(const QString &path);
    // "My Product Survey answers.csv", "My Product Survey answers (2).csv" for
    // the page "My Product Survey.htm".
    static QString name(const QString &pageFileName, int number = 1);
    // "My Product Survey" of "My Product Survey.htm": what every file the
    // collector keeps beside the page is named after.
    static QString pageBase(const QString &pageFileName);
    // "My Product Survey summary (2).html" (`word` "summary", `suffix` "html")
    // beside "My Product Survey answers (2).csv": a file made of that answers file.
    static QString besideAnswers(const QString &answersPath, const QString &word,
                                 const QString &suffix);
    qsizetype answers();

    // The records of the file as it is now, header first, after the writer found
    // it changed and read it again; taken once.
    struct Reread {
        QList<QStringList> records;
        QString what; // what happened to the file, for the log
    };
    std::optional<Reread> takeReread();
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

    // Moves the answers with these answer IDs out of the file into the file of
    // removed answers beside it (removedPath()), or with `restore` back in, on
    // the writer's thread and in order with the answers handed over. The file
    // they go to is written first: a crash between the two leaves an answer in
    // both files, never in neither. `done` is told how many moved, or why none
    // could; the file's records are read again (takeReread()).
    using Moved = std::function<void(qsizetype moved, const QString &failure)>;
    void moveAnswers(QSet<QString> answerIds, bool restore, Moved done);
    // "My Product Survey answers removed.csv" beside "My Product Survey answers.csv".
    static QString removedPath(const QString &answersPath);

    // The records of a CSV text (the byte order mark and header row included) and
    // where the last complete one ends.
    static QList<QStringList> parseRecords(QByteArrayView csv, qsizetype *completeUpTo = nullptr);

private:
    struct Move {
        QSet<QString> answerIds;
        bool restore = false;
        Moved done;
    };
    struct Waiting {
        QByteArray record;
        Done done;
        std::optional<Move> move; // instead of a record
    };
    void writeLoop();
    void write(const std::vector<Waiting> &batch, size_t from, size_t to);
    void move(const Move &move);
    // On the writer's thread: makes the file open the one at the path, read again
    // when it changed. `justWritten` went into the file open now.
    void followThePath(QByteArrayView justWritten);
    // Opens `path` (not open yet) or reads the open file again; returns its records.
    QList<QStringList> takeUp(const QString &path, bool reopen);

    const QString m_folder;
    const QString m_pageFileName;
    const QStringList m_header;
    const int m_mode;
    QString m_path; // changed by the writer, under m_mutex
    DurableAppender m_file;
    qint64 m_ownFrom = 0; // where the records this run wrote into the open file begin
    std::optional<Reread> m_reread;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    qsizetype m_answers = 0;
    std::vector<Waiting> m_waiting; // handed over, not written yet
    bool m_stopping = false;
    std::thread m_writer;
};

} // namespace Velmora
