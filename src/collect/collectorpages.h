#pragma once

// The collector's own pages, small and self-contained (no script, nothing
// fetched): what a respondent is told when an answer is saved, refused or
// asked about, and what is not there.
#include "answerbudget.h"
#include "formdecoder.h"
#include "httpmessages.h"
#include "language.h"
#include "surveyschedule.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace Velmora {

// Posted with an answer whose ID is stored, with other answers: the
// respondent chose to replace the answer stored.
inline const QString ReplacesField = QStringLiteral("velmora-replaces");

// A link on to the list of surveys, where there is one.
QString onward(const Language &words, bool listed, const QByteArray &path);
HttpResponse notFound(const Language &words, bool listed, const QByteArray &path);
// A page saying `text`, with an Allow header where one is given.
HttpResponse status(const Language &words, int code, const QString &title, const QString &text,
                    const QByteArray &allow = {});
// 413: an answer longer than its box takes (`question` null: the name or the
// e-mail address), at most `characters` long.
HttpResponse tooLarge(const Language &words, const std::optional<QString> &question,
                      qsizetype characters);
// A request that changes anything must come from the organiser's own page:
// a form on another site that posts here (with the link, should it leak) is
// refused. Browsers say where a request comes from; tools that say nothing
// hold no browser's session to abuse.
bool fromThisSite(const HttpRequest &request);
// 403 for a change posted from another site: `why` says where it is made.
HttpResponse fromElsewhere(const Language &words, const QString &why);
// What the organiser is told after a change to the results link's pages:
// what `change` says it did, or, when it throws RuntimeError, that nothing
// was changed and why.
QString changeSaid(const Language &words, const std::function<QString()> &change);
// The page of a survey closed `now`: since when, and when it opens again.
HttpResponse surveyClosed(const Language &words, const QString &title,
                          const SurveySchedule &schedule, const QDateTime &now, bool listed);
// 410: answers arriving after the survey closed and its grace, shown back to
// the respondent, who keeps them.
HttpResponse closedToAnswers(const Language &words, const QString &title,
                             const SurveySchedule &schedule, const QStringList &header,
                             const QStringList &cells);
// 422: the answers leave required `questions` unanswered.
HttpResponse answersMissing(const Language &words, const QString &title,
                            const QStringList &questions);
// 503 with the answers in the page, to send again.
HttpResponse notSaved(const Language &words, const QString &title,
                      const QList<FormField> &fields = {});
// 409: the answer ID is stored with other answers; asks whether these correct
// them or are someone else's.
HttpResponse differs(const Language &words, const QString &fileName, const QString &title,
                     QList<FormField> fields);
// 303 to the thank-you page.
HttpResponse acknowledged(const Language &words, const QString &fileName,
                          const QByteArray &receipt);
// The thank-you page; `confirmed` by the receipt of answers just stored, or
// opened some other way, which confirms nothing.
HttpResponse thanks(const Language &words, const QString &fileName, const QString &title,
                    bool listed, bool confirmed);
HttpResponse favicon();
HttpResponse style();
// 405 for a method other than `allow`: on the list of surveys (`onList`) or
// elsewhere.
HttpResponse methodNotAllowed(const Language &words, const QByteArray &allow, bool onList);
// 400 or 415 for a body that is no answer to the survey: not a form (`form`
// false), or not its form.
HttpResponse notItsForm(const Language &words, int code, bool form);
// 400 for answers with a NUL character, which a database cannot hold.
HttpResponse holdsNul(const Language &words);
// The list of surveys: (address, title) pairs, open ones only.
HttpResponse surveyList(const Language &words, const QList<std::pair<QString, QString>> &surveys);
// 503 past what everyone together may send.
HttpResponse overBudgetResponse(const Language &words, const AnswerBudget::Refusal &refusal);

} // namespace Velmora
