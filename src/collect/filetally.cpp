// The summary of an answers file, corrections counted once.
#include "filetally.h"

#include "answerids.h"
#include "csvreader.h"
#include "runtimeerror.h"

#include <QHash>

namespace Velmora {

namespace {

void readRecords(const QString &path, const std::function<void(const QStringList &)> &each) {
    QString error;
    if (!CsvReader::readFile(path, each, nullptr, &error))
        throw RuntimeError(error);
}

// Calls `each` with the file's records that count, the header first: a record
// followed by one with its answer ID (a correction) does not. Read once, and
// once more, after `restart`, only when a correction is in it. Returns the
// records read.
qsizetype eachCountedRecord(const QString &path,
                            const std::function<void(const QStringList &)> &each,
                            const std::function<void()> &restart) {
    qsizetype width = -1; // the header's
    QHash<quint64, qsizetype> latest;
    bool corrected = false;
    qsizetype records = 0;
    readRecords(path, [&](const QStringList &record) {
        if (width < 0)
            width = record.size();
        each(record);
        if (const std::optional<quint64> id = answerIdOf(record, width)) {
            corrected = corrected || latest.contains(*id);
            latest.insert(*id, records);
        }
        ++records;
    });
    if (!corrected)
        return records;
    restart();
    qsizetype at = 0;
    readRecords(path, [&](const QStringList &record) {
        const std::optional<quint64> id = answerIdOf(record, width);
        if (!id || latest.value(*id) == at)
            each(record);
        ++at;
    });
    return records;
}

} // namespace

FileTally tallyOfFile(const QString &path, const SurveyPage &page) {
    FileTally counted;
    const auto start = [&counted, &page] {
        counted.tally = std::make_shared<SummaryTally>(page, AnswerSheet::Form::RespondentPage);
    };
    start();
    counted.records = eachCountedRecord(
        path, [&counted](const QStringList &record) { counted.tally->add(record); }, start);
    return counted;
}

QList<QStringList> latestRecords(const QString &path) {
    QList<QStringList> records;
    eachCountedRecord(
        path, [&records](const QStringList &record) { records.append(record); },
        [&records] { records.clear(); });
    return records;
}

SummaryTally tallyOfEarlierFiles(const QStringList &paths, const SurveyPage &page) {
    SummaryTally earlier(page, AnswerSheet::Form::RespondentPage);
    for (const QString &path : paths) {
        SummaryTally file(page, AnswerSheet::Form::RespondentPage);
        QStringList header;
        eachCountedRecord(
            path,
            [&](const QStringList &record) {
                if (header.isEmpty())
                    header = record;
                else
                    file.addEarlier(header, record);
            },
            [&] {
                file = SummaryTally(page, AnswerSheet::Form::RespondentPage);
                header.clear();
            });
        file.include(earlier);
        earlier = std::move(file);
    }
    return earlier;
}

} // namespace Velmora
