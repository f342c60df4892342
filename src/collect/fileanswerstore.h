#pragma once

// The answers files beside the survey pages, one a version of each page,
// with the summaries beside them.
#include "answercounts.h"
#include "answerids.h"
#include "answersfile.h"
#include "answerstore.h"
#include "summary.h"

#include <QHash>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace Velmora {

// Keeps each page's answers in its answers file, counts them in memory as
// they come, and writes the summaries beside the files. A file the
// organiser edits is read again. Thread-safe.
class FileAnswerStore final : public AnswerStore {
public:
    using Log = std::function<void(const QString &)>;
    // New files get `fileMode` as it is when they are made (AnswersFile::PrivateMode
    // or GroupMode); `errors` hears what went wrong.
    FileAnswerStore(QString folder, const std::atomic<int> &fileMode, Log errors);
    // Each writer first writes what it was handed; its completions find this store whole.
    ~FileAnswerStore() override;

    std::shared_ptr<const AnswerSheet> open(const SurveyFolder &folder, const QString &pageFile,
                                            const SurveyPage &page) override;
    bool holdsNul() const override { return true; }
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
    bool inDatabase() const override { return false; }
    qsizetype moveAnswers(const SurveyFolder &folder, const QString &pageFile,
                          const QSet<QString> &answerIds, bool restore) override;
    void setSchedule(const QString &pageFile, const SurveySchedule &schedule) override;
    void shareSchedules(SurveyFolder &, const SurveyFolder *) override {}
    QString whyCannotStore(const SurveyFolder &folder) const override;
    void abandonReads() override {}

private:
    // One page's answers file, as this run has it open.
    struct Answers {
        SurveyPage page; // the version counted
        QStringList header;
        qsizetype sheetWidth = 0;
        std::shared_ptr<const AnswerSheet> sheet;
        std::shared_ptr<AnswersFile> file;
        std::shared_ptr<SummaryTally> tally;
        StoredAnswerIds ids;
        qsizetype records = 0; // in the answers file, as counted, the header included
        // An answer was corrected: its earlier version is still counted, until
        // the summary is counted again from the file.
        bool recount = false;
        bool summaryDue = false;
        // A record of the answers file as read: counted (where there are
        // counts), its answer ID known.
        void count(SummaryTally *counts, const QStringList &record);
        void forgetIds();
    };
    // The path of the page's answers file as the page is now. Throws RuntimeError.
    static QString answersPath(const SurveyFolder &folder, const QString &pageFile);
    // The counts and answer IDs of a file the organiser edited; call with m_mutex held.
    void readAgain(const QString &pageFile, Answers &answers, const AnswersFile::Reread &reread);
    // Answers files replaced (the page made again) are let go outside
    // m_mutex: their writers first finish the answers handed to them, whose
    // completions take m_mutex.
    void dropRetired();
    // The answers in the files of the page's other versions, counted as this
    // version asks; null when there are none. Read again only when one of
    // those files changed. Throws RuntimeError.
    std::shared_ptr<const SummaryTally> otherVersions(const SurveyFolder &folder,
                                                      const QString &pageFile,
                                                      const SurveyPage &page,
                                                      const QString &answersPath);

    const QString m_folder;
    const std::atomic<int> &m_fileMode;
    Log m_errors;
    mutable std::mutex m_mutex;
    std::map<QString, Answers> m_answers;                     // by page file
    std::map<QString, std::shared_ptr<std::mutex>> m_opening; // a page opened at a time: open()
    std::vector<std::shared_ptr<AnswersFile>> m_retired;      // see dropRetired()
    struct OtherVersions {
        QStringList files; // each with its size and time of change
        std::shared_ptr<const SummaryTally> tally;
    };
    std::map<QString, OtherVersions> m_otherVersions; // by page file
    AnswerCounts m_listedCounts;                      // of the surveys nobody answered in this run
};

} // namespace Velmora
