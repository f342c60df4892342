// The summary of an answers file, corrections counted once.
#include "filetally.h"

#include "answerids.h"
#include "csvreader.h"
#include "runtimeerror.h"

#include <QHash>

namespace Velmora {

FileTally tallyOfFile(const QString &path, const SurveyPage &page) {
    const qsizetype width = AnswerSheet(page, AnswerSheet::Form::RespondentPage).width();
    QHash<quint64, qsizetype> latest;
    bool corrected = false;
    FileTally counted{std::make_shared<SummaryTally>(page, AnswerSheet::Form::RespondentPage)};
    const auto read = [&path](const std::function<void(const QStringList &)> &each) {
        QString error;
        if (!CsvReader::readFile(path, each, nullptr, &error))
            throw RuntimeError(error);
    };
    read([&](const QStringList &record) {
        counted.tally->add(record);
        if (const std::optional<quint64> id = answerIdOf(record, width)) {
            corrected = corrected || latest.contains(*id);
            latest.insert(*id, counted.records);
        }
        ++counted.records;
    });
    if (!corrected)
        return counted;
    counted.tally = std::make_shared<SummaryTally>(page, AnswerSheet::Form::RespondentPage);
    qsizetype at = 0;
    read([&](const QStringList &record) {
        const std::optional<quint64> id = answerIdOf(record, width);
        if (!id || latest.value(*id) == at)
            counted.tally->add(record);
        ++at;
    });
    return counted;
}

} // namespace Velmora
