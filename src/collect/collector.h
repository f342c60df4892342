#pragma once

// The collector: respondents' requests in, answers stored, pages and summaries out.
#include "answerbudget.h"
#include "answerdatabase.h"
#include "answersfile.h"
#include "answersheet.h"
#include "answerstore.h"
#include "clientlimits.h"
#include "formdecoder.h"
#include "httpmessages.h"
#include "language.h"
#include "requiredanswers.h"
#include "spreadsheettable.h"
#include "surveyfolder.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace Velmora {

// Serves the survey pages at the top of one folder and keeps their answers.
//
// Only Velmora survey pages (known by their content), the pictures those pages
// name as their background, and an index at "/" can be reached; nothing else in
// the folder is ever read for a request. A POST to a page's own address is one
// answer, acknowledged only once it is on the disk (or committed, with a database).
//
// The folder is looked at by rescan(), which the caller runs about once a
// second: a request never reads the folder, however many files it holds.
// Thread-safe.
class Collector {
public:
    static constexpr qsizetype MaxBody = 1 << 20;

    using Clock = std::function<QDateTime()>;
    using Log = std::function<void(const QString &)>;
    // Info lines (answers taken) go to `log`, which may be empty; failures to `errors`.
    Collector(QString folder, Clock clock, Log log, Log errors, ClientLimits::Settings limits = {},
              AnswerBudget::Settings budget = {});
    Collector(QString folder, Clock clock, Log log)
        : Collector(std::move(folder), std::move(clock), log, log) {}
    ~Collector();
    Collector(const Collector &) = delete;
    Collector &operator=(const Collector &) = delete;

    // Answers a request. `reply` is called once, at once or, for an answer,
    // from the answer store once the answer is stored.
    using Reply = std::function<void(HttpResponse)>;
    void handle(const HttpRequest &request, Reply reply);
    // The same, waiting for the reply.
    HttpResponse handle(const HttpRequest &request);

    // Looks at the folder again: pages added, changed or gone.
    void rescan();

    // The mode of new answers files and summaries (AnswersFile::PrivateMode or
    // GroupMode).
    void setFileMode(int mode) { m_fileMode = mode; }
    int fileMode() const { return m_fileMode; }

    // The language of the surveys ("en", "de-CH"), which respondent pages
    // declare and the organiser reads the collector's pages in, and those its
    // pages may be in besides for respondents, as their browsers ask.
    void setLanguages(const Languages &languages);

    // Keeps the answers in `database` instead of answers files beside the pages
    // (several collectors then share them); the summaries are then counted by
    // the database and served on the results link. Set before serving.
    // Before serving: the folder is looked at again, for what the database
    // says of its surveys.
    void setDatabase(std::shared_ptr<AnswerDatabase> database);

    // Stopping: nothing is waited for from the database any more but the
    // answers handed to it (see ~Collector()).
    // Its summaries are then counted no more: served from memory, they
    // would not outlive the collector anyway.
    void stopWaitingOnReads() { m_store->abandonReads(); }

    // The secret of the organiser's results link, /results/TOKEN/; empty: none.
    void setResultsToken(const QByteArray &token);

    // Whether "/" lists the surveys (a server on the internet may keep its
    // survey titles to itself: each survey's own address still works).
    void setListed(bool listed) { m_listed = listed; }
    // Why answers cannot be stored now (the folder gone or not writable, the
    // disk full), in words that name no survey; empty when they can.
    QString whyAnswersCannotBeStored() const;

    using Survey = ListedSurvey;
    // The surveys in the folder as last looked at, with their answers so far.
    QList<Survey> surveys();

    // Brings the summary of every survey that had answers since the last call up
    // to date, from what is counted in memory; with `everySurvey`, of every
    // survey that has an answers file, read in pieces. With a database, every
    // survey's summary is counted by it instead, when its answers changed.
    // False when a summary due could not be read or written (the log says why).
    bool writeSummaries(bool everySurvey = false);

    // Takes the answers with these answer IDs out of the answers file of the
    // page (into the file of removed answers beside it, for test answers the
    // organiser does not want counted), or with `restore` brings them back;
    // the summary counts again. How many moved. Throws RuntimeError.
    qsizetype moveAnswers(const QString &pageFile, const QSet<QString> &answerIds, bool restore);

    // Sets which questions of the page respondents must answer, in the file
    // beside it; the page says so at once. Throws RuntimeError.
    void setRequired(const QString &pageFile, const RequiredAnswers &required);
    // When the page takes answers, kept beside it, or in the database for
    // every collector sharing it; the page says so at once. Throws RuntimeError.
    void setSchedule(const QString &pageFile, const SurveySchedule &schedule);
    SurveySchedule schedule(const QString &pageFile);
    // The answers to the page as it is now, as a table for spreadsheets.
    // Throws RuntimeError.
    SpreadsheetTable spreadsheetOf(const QString &pageFile);
    // The questions of each survey page, in page order, by page file.
    QMap<QString, QStringList> questions();

    // Requests refused since the last call because their client was over its
    // rate, how many clients that was, and answers refused because everyone
    // together was over the collector's budget.
    struct Refusals {
        qsizetype overRate = 0, clients = 0, overBudget = 0;
    };
    Refusals takeRefusals();

    const QString &folder() const { return m_folder; }

private:
    using Folder = SurveyFolder;
    using Page = SurveyFolder::Page;
    // Makes the respondent page of `page` in the language now.
    void makeRespondentPage(Page &page, const QString &fileName, const QString &language) const;
    std::shared_ptr<const Folder> folderNow();
    // The file name a request path names, or empty when it names nothing servable.
    static QString requestedName(const QByteArray &path);

    // An answer checked and ready: handed to the store, its outcome told to
    // every post of its answer ID waiting for it.
    void store(const QString &fileName, const HttpRequest &request, const Language &words,
               const QString &title, const QString &stamp, const AnswerSheet::Row &row,
               const QList<FormField> &posted, bool replaces, const Reply &reply);
    // Says why an answer was not saved, the same reason once until another
    // comes; with an empty `why` (an answer saved), how many more it refused.
    void logNotSaved(const QString &title, const QString &why);
    // A request as the routes see it.
    struct Incoming {
        const HttpRequest &request;
        const Language &words; // of the collector's pages, for this respondent
        QString name;          // the file its path names, or empty (requestedName())
        std::shared_ptr<const Folder> folder;
        bool read = false; // GET or HEAD
        bool post = false;
    };
    // Answers the requests it takes, and says whether it took this one.
    using Route = bool (Collector::*)(const Incoming &, const Reply &);
    bool otherMethodsRoute(const Incoming &in, const Reply &reply);
    bool healthRoute(const Incoming &in, const Reply &reply);
    bool resultsRoute(const Incoming &in, const Reply &reply);
    bool limitsRoute(const Incoming &in, const Reply &reply);
    bool ownPagesRoute(const Incoming &in, const Reply &reply);
    bool surveyRoute(const Incoming &in, const Reply &reply);
    bool pictureRoute(const Incoming &in, const Reply &reply);
    // A POST to `page`, the survey the request names: one answer.
    void answer(const Incoming &in, const Page &page, const Reply &reply);
    HttpResponse index(const Incoming &in);
    // The language of the collector's pages for this respondent, and whether
    // it depends on the browser's Accept-Language.
    Language respondentLanguage(const QByteArray &acceptLanguage, bool *varies) const;
    HttpResponse respondentResponse(const Page &page);
    HttpResponse health() const;
    HttpResponse results(const HttpRequest &request);
    // The language the organiser reads the results link in: the surveys'.
    Language organiserLanguage() const;
    // A page of the results link about one survey in the folder; a POST to
    // it comes from the results link itself.
    struct OrganiserRequest {
        const HttpRequest &request;
        const Language &words;
        QString pageFile;
        const Page &page;
        QString title; // the survey's, or its page file's name where it has none
        std::shared_ptr<const Folder> folder;
    };
    // The answers of a survey, to remove test answers and bring them back.
    HttpResponse answersRoute(const OrganiserRequest &in);
    // The questions of a survey, to pick those respondents must answer.
    HttpResponse requiredRoute(const OrganiserRequest &in);
    // "NAME table.csv" and "NAME table.xlsx" of the results link, made when
    // asked for; nothing for other names.
    std::optional<HttpResponse> spreadsheetResponse(const Language &words, const QString &name);
    // When a survey takes answers, to close and open it.
    HttpResponse scheduleRoute(const OrganiserRequest &in);
    void logFor(const HttpRequest &request, const QString &line) const;

    const QString m_folder;
    Clock m_clock;
    Log m_log;
    Log m_errors;
    ClientLimits m_limits;
    AnswerBudget m_budget;
    QElapsedTimer m_steady;

    std::mutex m_scanMutex; // one rescan at a time
    mutable std::mutex m_mutex;
    std::shared_ptr<const Folder> m_pages;
    // Posts of an answer ID being stored, each told the first one's outcome;
    // by page file and the ID's first 64 bits.
    std::mutex m_waitingMutex; // taken before the store's own
    std::map<std::pair<QString, quint64>, std::vector<Reply>> m_waiting;
    std::atomic<int> m_fileMode = AnswersFile::PrivateMode; // read by the file store
    std::unique_ptr<AnswerStore> m_store;
    std::atomic<bool> m_listed = true;
    Languages m_languages;
    QByteArray m_resultsToken;
    const QByteArray m_receiptKey;                         // signs the thank-you pages' receipts
    ClientLimits m_tokenGuesses{{{1.0 / 60, 10}, {0, 0}}}; // wrong tokens: ten, then one a minute
    qsizetype m_refused = 0;
    qsizetype m_overBudget = 0;
    std::mutex m_notSavedMutex;
    QString m_notSavedWhy; // the reason said last
    qsizetype m_notSavedRepeats = 0;
    QSet<QString> m_refusedClients;
};

} // namespace Velmora
