#pragma once

// Where a collector keeps its answers: the one interface of the answers
// files beside the pages and of a database that several collectors share.
#include "answersheet.h"
#include "language.h"
#include "surveyfolder.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace Velmora {

// A survey as the organiser's window and --summary list it.
struct ListedSurvey {
    QString fileName;
    QString title;
    qsizetype answers = 0;
    QString answersFile; // empty until there is one, and with a database
    // With a database: the name of its summary on the results link, once counted.
    QString countedSummary;
    // The answers files of earlier versions of the page, and their answers.
    QStringList earlierAnswersFiles;
    qsizetype earlierAnswers = 0;
    bool closed = false;
    QString schedule; // said for the organiser: "Closed since ..."
};

// One file of the results link: a file on the disk, or a summary made in memory.
struct ResultFile {
    QString path;
    QByteArray summary;
};

// Keeps the answers to the surveys of one folder. The pages themselves are
// the collector's: each call is given the folder as last looked at.
//
// Every completion handed to a store is called once, on any thread, and
// never after the store is destroyed: its destructor waits for them (or
// gives them up, telling each why). Thread-safe.
class AnswerStore {
public:
    virtual ~AnswerStore() = default;

    // The sheet the page's answers are stored by, once answers to the page as
    // it is now can be stored. Throws RuntimeError.
    virtual std::shared_ptr<const AnswerSheet>
    open(const SurveyFolder &folder, const QString &pageFile, const SurveyPage &page) = 0;
    // Whether an answer may hold a NUL character.
    virtual bool holdsNul() const = 0;
    // What the answer stored with this answer ID holds (contentOf()), where
    // one is: a respondent sending theirs again is told it is stored.
    virtual std::optional<size_t> storedContent(const QString &pageFile, quint64 idKey) = 0;
    // Stores the answer (the cells of AnswerSheet::row(), the answer ID last)
    // to the version of the page with `stamp`; with `replaces`, as a
    // correction of the answer with its answer ID. `done` is told why not, or
    // nothing once it is stored, and how many answers the page has now (-1
    // where not known).
    using Stored = std::function<void(const QString &failure, qsizetype answers)>;
    // Another collector stored the answer ID with other answers.
    static inline const QString StoredOtherwise =
        QStringLiteral("the answer ID is stored with other answers");
    virtual void store(const QString &pageFile, const QString &stamp, const QStringList &cells,
                       bool replaces, Stored done) = 0;

    // Fills in what the store has of each survey listed.
    virtual void list(const SurveyFolder &folder, QList<ListedSurvey> &surveys) = 0;
    // Brings the summaries due up to date (with `everySurvey`, every one);
    // false when one could not be made (`errors` said why).
    virtual bool writeSummaries(const SurveyFolder &folder, const Language &words,
                                bool everySurvey) = 0;
    // The answers files and summaries on the results link, by file name.
    virtual QMap<QString, ResultFile> resultFiles(const SurveyFolder &folder) = 0;
    // The records of the page's answers as stored (a header first): those
    // counted, or with `removed` those set aside; none where they cannot be
    // read.
    virtual QList<QStringList> records(const SurveyFolder &folder, const QString &pageFile,
                                       bool removed) = 0;
    // The answers to the page as it is now, each in its latest version (a
    // header first), for spreadsheets. Throws RuntimeError.
    virtual QList<QStringList> latestAnswers(const SurveyFolder &folder,
                                             const QString &pageFile) = 0;
    // Where removed answers are kept, for the organiser.
    virtual QString removedPlace(const SurveyFolder &folder, const QString &pageFile,
                                 const Language &words) = 0;
    // Whether the answers are in a database: the results link says how to get them.
    virtual bool inDatabase() const = 0;

    // Takes the answers with these answer IDs out of those counted, or with
    // `restore` brings them back; how many moved. Throws RuntimeError.
    virtual qsizetype moveAnswers(const SurveyFolder &folder, const QString &pageFile,
                                  const QSet<QString> &answerIds, bool restore) = 0;

    // Keeps when the page takes answers (a file beside it, or the database
    // every collector shares). Throws RuntimeError.
    virtual void setSchedule(const QString &pageFile, const SurveySchedule &schedule) = 0;
    // Gives each page of a folder just looked at the schedule the store
    // keeps, where it keeps them; `known`, the folder looked at before, holds
    // what was said last.
    virtual void shareSchedules(SurveyFolder &folder, const SurveyFolder *known) = 0;

    // Why answers cannot be stored now, in words that name no survey; empty
    // when they can.
    virtual QString whyCannotStore(const SurveyFolder &folder) const = 0;
    // Stopping: reads still waiting are given up, and any after them.
    virtual void abandonReads() = 0;
};

} // namespace Velmora
