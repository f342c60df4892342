#pragma once

// The results link's pages, which the organiser reads in the surveys'
// language: the list of answers files, summaries and tables, and the pages
// that remove test answers, close and open a survey, and choose the
// questions respondents must answer.
#include "httpmessages.h"
#include "language.h"
#include "requiredanswers.h"
#include "surveyschedule.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace Velmora {

// 403: the results link over plain HTTP from elsewhere.
HttpResponse httpsOnly(const Language &words);
// 301 to the results link's own page, at `location`.
HttpResponse resultsMoved(const Language &words, const QByteArray &location);
// 405: the results are read, nothing else.
HttpResponse resultsAreRead(const Language &words);
// The results link's own page: `files` to open (answers files, summaries,
// tables), and a page of each of `pages` (the page files) to close and open
// it, remove its test answers and choose its required questions. With a
// database, says how to get the answers files themselves.
HttpResponse resultsIndex(const Language &words, const QStringList &files, const QStringList &pages,
                          bool database);

// What the organiser changes on a page of the results link, for the page a
// form from another site gets.
enum class OrganiserChange { RemoveAnswers, Schedule, Required };
HttpResponse changedFromElsewhere(const Language &words, OrganiserChange change);

// The page listing the answers (`kept`) and those removed, newest first, to
// tick and take out or bring back; `keptAside` names where removed answers
// are kept. `said` is what the last change did (see changeSaid()).
HttpResponse answersPage(const Language &words, const QString &title, const QString &pageFile,
                         const QString &said, const QString &keptAside,
                         const QList<QStringList> &kept, const QList<QStringList> &removed);
// What moving `moved` answers did.
QString answersMoved(const Language &words, qsizetype moved, bool restore);
// Where the database keeps removed answers.
QString removedInTheDatabase(const Language &words);

// When the survey takes answers, said for the organiser at `now`: "Closed
// since ...", "Open: it closes on ...".
QString scheduleState(const Language &words, const SurveySchedule &schedule, const QDateTime &now);
HttpResponse schedulePage(const Language &words, const QString &title, const QString &pageFile,
                          const QString &said, const SurveySchedule &schedule,
                          const QDateTime &now);
// 400: a schedule form that says neither close nor open, or no time.
HttpResponse badScheduleForm(const Language &words);

HttpResponse requiredPage(const Language &words, const QString &title, const QString &pageFile,
                          const QString &said, const QStringList &questions,
                          const RequiredAnswers &required);
// "Saved.", for either page.
QString savedSchedule(const Language &words);
QString savedRequired(const Language &words);

// 503: the table for spreadsheets cannot be made now, and why.
HttpResponse tableNotMade(const Language &words, const QString &why);

} // namespace Velmora
