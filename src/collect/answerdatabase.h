#pragma once

// Where answers go when collectors share them: the database's interface.
#include "answerstore.h"
#include "summary.h"
#include "surveyschedule.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace Velmora {

// Where answers go instead of the answers files when several collectors share
// them: a database server. Pages are still served from each collector's folder.
class AnswerDatabase {
public:
    virtual ~AnswerDatabase() = default;

    // One version of a survey's answer columns: all its answers share a header,
    // as they would share an answers file.
    struct Survey {
        QString pageFile;
        QString title;
        QString stamp;
        QStringList header;
        QByteArray page; // the page file itself, so that its summary can be made anywhere
    };

    // Stores the answer (the cells of AnswerSheet::row(), the answer ID last) and
    // calls `done` with an empty text once it is committed, or with why it is
    // not stored. An answer ID stored before with the same answers is taken as
    // that answer again: it is acknowledged and stored once. May call `done` on
    // any thread.
    // An answer ID stored before with other answers is not stored again, and
    // `done` is told AnswerStore::StoredOtherwise: the respondent is asked
    // what they are.
    using Done = std::function<void(const QString &failure)>;
    virtual void append(const Survey &survey, const QStringList &cells, Done done) = 0;
    // Stores a correction: the answer with the answer ID of `cells` is
    // replaced by them, its earlier version kept as history; where there is
    // none, they are stored as an answer.
    virtual void replace(const Survey &survey, const QStringList &cells, Done done) = 0;

    // What the database counts for the survey's summary, one count per
    // answer column as `columns` say; nothing when nothing changed since the
    // call that gave `version`, or when the database cannot be asked (`error`
    // then says why).
    virtual std::optional<SummaryTally::Counts> counts(const Survey &survey,
                                                       const QList<SummaryTally::Column> &columns,
                                                       QByteArray *version, QString *error) = 0;
    // The headers of the other versions of the survey's page that have
    // answers, as the last counts() saw them.
    virtual QList<QStringList> otherVersions(const Survey &survey) = 0;

    // Moves the answers with these answer IDs out of the answers counted and
    // exported into those kept aside, or with `restore` back; how many moved,
    // or -1 with `error` set. An answer ID stored again meanwhile stays where
    // it is.
    virtual qsizetype moveAnswers(const QSet<QString> &answerIds, bool restore, QString *error) = 0;
    // The answers to the page's surveys, newest first, shaped as the answers
    // file's records (Received, Page made, Name, E-mail, Answer ID; a header
    // first): those counted, or with `removed` those kept aside.
    virtual std::optional<QList<QStringList>> listAnswers(const QString &pageFile, bool removed,
                                                          QString *error) = 0;

    // Every answer to the survey, as the answers file's records (its header
    // first), each in its latest version; nothing, with `error`, when the
    // database cannot be asked.
    virtual std::optional<QList<QStringList>> records(const Survey &survey, QString *error) = 0;

    // When each survey page takes answers, by page file (open where there is
    // none), shared by every collector; nothing, with `error`, when the
    // database cannot be asked.
    virtual std::optional<QHash<QString, SurveySchedule>> schedules(QString *error) = 0;
    virtual bool setSchedule(const QString &pageFile, const SurveySchedule &schedule,
                             QString *error) = 0;

    // Why answers cannot be stored now, or empty.
    virtual QString whyUnavailable() const = 0;
    // The collector is stopping: a read (a count, the schedules) still waiting
    // on the database is given up at once, and so is every one after it.
    virtual void abandonReads() = 0;
};

} // namespace Velmora
