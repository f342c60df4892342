#pragma once

// The summary of an answers file in which a later record with an answer ID
// replaces the earlier ones with it: the respondent corrected that answer.
#include "summary.h"
#include "surveypagereader.h"

#include <memory>

namespace Velmora {

struct FileTally {
    std::shared_ptr<SummaryTally> tally;
    qsizetype records = 0; // read, the header included
};
// Read once, and once more only when a correction is in it. Throws RuntimeError.
FileTally tallyOfFile(const QString &path, const SurveyPage &page);
// The answers in the files of earlier versions of the page, oldest first,
// counted as this version asks: to include() in its summary. Throws RuntimeError.
SummaryTally tallyOfEarlierFiles(const QStringList &paths, const SurveyPage &page);
// The records of an answers file, the header first, each answer in its latest
// version (a correction in place of what it corrects). Throws RuntimeError.
QList<QStringList> latestRecords(const QString &path);

} // namespace Velmora
