#pragma once

// Answers kept in a database that several collectors share, with the
// summaries it counts served on the results link.
#include "answerdatabase.h"
#include "answerids.h"
#include "answerstore.h"

#include <QHash>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace Velmora {

// The answers in a database: each collector serves the pages of its own
// folder, and the database knows which answer IDs it holds and counts the
// summaries, served from memory. Thread-safe.
class DatabaseAnswerStore final : public AnswerStore {
public:
    using Log = std::function<void(const QString &)>;
    DatabaseAnswerStore(std::shared_ptr<AnswerDatabase> database, Log errors);
    // The database writes what it can within its own time to drain and tells
    // the rest to try again, rather than holding the stop while a statement
    // waits on a silent network.
    ~DatabaseAnswerStore() override;

    std::shared_ptr<const AnswerSheet> open(const SurveyFolder &folder, const QString &pageFile,
                                            const SurveyPage &page) override;
    // A database's text holds every character but NUL, which no keyboard types.
    bool holdsNul() const override { return false; }
    std::optional<size_t> storedContent(const QString &pageFile, quint64 idKey) override;
    void store(const QString &pageFile, const QString &stamp, const QStringList &cells,
               bool replaces, Stored done) override;

    void list(const SurveyFolder &folder, QList<ListedSurvey> &surveys) override;
    bool writeSummaries(const SurveyFolder &folder, const Language &words,
                        bool everySurvey) override;
    QMap<QString, ResultFile> resultFiles(const SurveyFolder &folder) override;
    QList<QStringList> records(const SurveyFolder &folder, const QString &pageFile,
                               bool removed) override;
    QList<QStringList> latestAnswers(const SurveyFolder &folder, const QString &pageFile) override;
    QString removedPlace(const SurveyFolder &folder, const QString &pageFile,
                         const Language &words) override;
    bool inDatabase() const override { return true; }
    qsizetype moveAnswers(const SurveyFolder &folder, const QString &pageFile,
                          const QSet<QString> &answerIds, bool restore) override;
    void setSchedule(const QString &pageFile, const SurveySchedule &schedule) override;
    void shareSchedules(SurveyFolder &folder, const SurveyFolder *known) override;
    QString whyCannotStore(const SurveyFolder &folder) const override;
    void abandonReads() override;

private:
    // One version of a page's answers, as the database knows it.
    struct Answers {
        AnswerDatabase::Survey survey;
        QList<SurveyInput> inputs;
        std::shared_ptr<const AnswerSheet> sheet;
        StoredAnswerIds ids;
    };
    // The survey as the database knows it; reads the page file. Throws RuntimeError.
    static AnswerDatabase::Survey surveyOf(const SurveyFolder &folder, const QString &pageFile,
                                           const SurveyPage &page, const QStringList &header);
    // The summaries of the surveys in the folder, counted by the database.
    void countSummaries(const SurveyFolder &folder, const Language &words);

    std::shared_ptr<AnswerDatabase> m_database;
    Log m_errors;
    // Answers handed to the database without an outcome yet: their
    // completions use this store, which waits for them before it goes.
    std::mutex m_pendingMutex;
    std::condition_variable m_pendingDone;
    qsizetype m_pending = 0;
    std::atomic<bool> m_readsStopped = false;
    mutable std::mutex m_mutex;
    std::map<QString, Answers> m_answers; // by page file
    struct Counted {
        struct Version {
            QByteArray version; // of the database's answers to it
            SummaryTally::Counts counts;
        };
        Version current;
        QString stamp;                     // of the page counted for
        QMap<QStringList, Version> others; // the page's other versions, by header
        QByteArray summary;
    };
    std::map<QString, Counted> m_counted; // by page file
    QString m_summaryError;               // said last
};

} // namespace Velmora
