#pragma once

#include "answersheet.h"
#include "surveypagereader.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace Velmora {

// The summary of a survey's answers as one self-contained HTML page for the
// organiser: how many answers and when, a bar with count and percentage for
// every option, and the texts given, newest first. No script, no web font,
// nothing fetched; every answer is escaped, so whatever a respondent typed is
// shown as text and runs nothing.
//
// `records` is the answers file as read: its header row, then one row per answer.
QByteArray summaryPage(const SurveyPage &page, const QList<QStringList> &records);

// "My Product Survey summary.html" beside "My Product Survey answers.csv".
QString summaryPath(const QString &answersPath);

// How many texts a question lists at most; the rest are in the answers file.
inline constexpr qsizetype ListedTexts = 500;

} // namespace Velmora
