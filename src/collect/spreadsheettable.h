#pragma once

// The answers of a survey as a table made for spreadsheets, beside the answers
// file as it is: one column per question, headed by its words; an option as
// its words (not its code), check boxes as the words of those ticked; both
// times in one form a spreadsheet reads as a time ("2026-12-08 09:30:00").
#include "answersheet.h"
#include "surveypagereader.h"

#include <QList>
#include <QStringList>

namespace Velmora {

struct SpreadsheetTable {
    QStringList header;
    QList<QStringList> rows;
};

// `records`: an answers file of the page's collector form as read, its header
// first, each answer in its latest version (see latestRecords()).
SpreadsheetTable spreadsheetTable(const SurveyPage &page, const QList<QStringList> &records);
// As CSV in UTF-8 with a byte order mark, its cells guarded against formulas
// as the answers file's are.
QByteArray spreadsheetCsv(const SpreadsheetTable &table);
// As an .xlsx workbook: the header row bold and frozen, columns as wide as
// their texts (to a limit), every cell text, so nothing typed is run as a
// formula. Made in a temporary file, for the caller to write durably or send.
// Throws RuntimeError.
QByteArray spreadsheetXlsx(const SpreadsheetTable &table);

// "My Product Survey table.xlsx" beside "My Product Survey answers.csv".
QString spreadsheetPath(const QString &answersPath, const QString &suffix);

} // namespace Velmora
