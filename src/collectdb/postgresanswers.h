#pragma once

// Answers stored in PostgreSQL, shared by collectors.
#include "answerdatabase.h"
#include "pgconnection.h"

#include <QElapsedTimer>
#include <QHash>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace Velmora {

// Answers in PostgreSQL, shared by any number of collectors.
//
// Writers of their own (each with a connection) take everything handed over
// meanwhile and store it with one INSERT, that is one commit: nobody who hands
// over an answer waits for the database, and answers arriving together share
// the commit. An answer is acknowledged only once its commit succeeded; the
// unique answer ID decides, in the database, that an answer sent twice, to
// this collector or another, is one row.
//
// While the database is away, answers are refused at once (the respondent is
// asked to try again) and the writers reconnect every second by themselves.
class PostgresAnswers : public AnswerDatabase {
public:
    using Log = std::function<void(const QString &)>;
    static constexpr int DefaultWriters = 2;
    // Connects in the background; `log` hears of the database going away and
    // coming back, once each time.
    PostgresAnswers(QByteArray conninfo, Log log, int writers = DefaultWriters);
    ~PostgresAnswers() override; // what was handed over is stored (or refused) first

    void append(const Survey &survey, const QStringList &cells, Done done) override;
    void replace(const Survey &survey, const QStringList &cells, Done done) override;
    std::optional<SummaryTally::Counts> counts(const Survey &survey,
                                               const QList<SummaryTally::Column> &columns,
                                               QByteArray *version, QString *error) override;
    QList<QStringList> otherVersions(const Survey &survey) override;
    std::optional<QList<QStringList>> records(const Survey &survey, QString *error) override;
    std::optional<QHash<QString, SurveySchedule>> schedules(QString *error) override;
    bool setSchedule(const QString &pageFile, const SurveySchedule &schedule,
                     QString *error) override;
    QString whyUnavailable() const override;
    void abandonReads() override { m_abandonReads = true; }
    qsizetype moveAnswers(const QSet<QString> &answerIds, bool restore, QString *error) override;
    std::optional<QList<QStringList>> listAnswers(const QString &pageFile, bool removed,
                                                  QString *error) override;

    // Rows one INSERT takes at most.
    static constexpr qsizetype MaxBatch = 1000;
    // A batch waiting on the database this long makes the health check say
    // answers cannot be stored now.
    static constexpr qint64 SilentMs = 5000;

private:
    struct Waiting {
        Survey survey;
        QStringList cells;
        Done done;
        bool storedOtherwise = false; // its answer ID was stored with other answers
        bool replaces = false;        // a correction of the answer with its answer ID
        // Tells `done` how it went.
        void finish(bool stored, const QString &failure) const;
    };
    void writeLoop(std::atomic<qint64> &writingSince);
    // Connects `connection` when it is not, at most once a second.
    bool ensureConnected(PgConnection &connection, QElapsedTimer &lastAttempt);
    bool store(PgConnection &connection, std::vector<Waiting> &batch, QString *failure);
    bool storeCorrection(PgConnection &connection, const Waiting &correction, QString *failure);
    // After the database refused a batch: each survey's answers on their own,
    // each told its own outcome.
    void storeEachSurvey(PgConnection &connection, const std::vector<Waiting> &batch);
    // Why a statement failed; a server that refuses writes is left for another.
    static void refused(PgConnection &connection, const PgResult &result, QString *failure);
    // Keeps why the database refuses answers, for the health check; empty: it
    // takes them again.
    void refusing(const QString &why);
    void probeWriting(PgConnection &connection);
    // The survey's row id, made when there is none; 0 when that failed.
    qint64 surveyId(PgConnection &connection, const Survey &survey, QString *failure);
    void wentAway(const QString &why);
    void cameBack();

    // The number of answers and the newest row of every survey, asked at most
    // twice a second: how a summary knows it is out of date.
    bool refreshVersions(QString *error);
    // When a query that took `took` ms may run again: counting a million
    // answers takes a second or more, and the database has other work.
    qint64 nextRun(qint64 took) const;

    const QByteArray m_conninfo;
    const Log m_log;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Waiting> m_waiting;
    bool m_stopping = false;
    // Set when stopping has waited long enough: a statement still waiting on
    // the database is given up at once, its answers told to try again.
    std::atomic<bool> m_abandon = false;
    std::atomic<bool> m_abandonReads = false; // the reader's alone
    std::condition_variable m_writerEnded;
    int m_writersRunning = 0;
    // Since when (m_steady, ms, plus one) each writer waits on the database
    // for a batch; 0 while it does not.
    std::unique_ptr<std::atomic<qint64>[]> m_writingSince;
    int m_writerCount = 0;
    QString m_away = QStringLiteral("the database is not connected yet");
    QString m_refusing; // why the database refused the last answers, while it does
    bool m_everConnected = false;
    QHash<QString, qint64> m_surveyIds; // by page file, header and stamp
    std::vector<std::thread> m_writers;

    std::mutex m_readerMutex; // the summaries' own connection
    PgConnection m_reader;
    QElapsedTimer m_steady;
    qint64 m_nextVersions = 0;
    QHash<QString, std::pair<qint64, QByteArray>> m_versions; // by page file and header
    QHash<QString, qint64> m_nextCount;                       // the same
    QMultiHash<QString, QStringList> m_headers; // of the surveys with answers, by page file
};

} // namespace Velmora
