#pragma once

// The page respondents get over HTTP.
#include "requiredanswers.h"
#include "surveypagereader.h"

#include <QByteArray>
#include <QString>

namespace Velmora {

// The page respondents get over HTTP, made from what the survey page file holds:
// the same questions and the same field names, built for phones and screen
// readers (a viewport, a language, a heading, one fieldset a question, every
// option's words the label of its input, large targets, light and dark). No
// script and nothing fetched from elsewhere. The page file itself stays as
// Velmora wrote it.
//
// Options that share a code on the page (two radio buttons posting " b)", two
// check boxes named "3) a)") post their own words instead, so that each choice
// can be told apart; AnswerSheet knows which columns do so. The form posts in
// UTF-8, to `fileName` (where the page is served), and carries `answerId`,
// which makes a second post of it no second row.
// The questions `required` names are marked so, in words and for the browser.
QByteArray respondentPage(const SurveyPage &page, const QString &fileName, const QString &language,
                          const QByteArray &answerId, const RequiredAnswers &required);

// The style of the respondent pages, served once as "velmora.css" for the
// browser to keep, instead of inside every page.
QByteArray respondentStyle();

// The field that carries the answer's one-time identifier.
inline const QString AnswerIdField = QStringLiteral("velmora-answer-id");

// Whether the inputs of `page` named `name` must post their words: options
// that would otherwise post the same thing.
bool postsItsWords(const SurveyPage &page, const QString &name);

} // namespace Velmora
