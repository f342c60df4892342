// What respondents and folders hand the collector: arbitrary bytes as a posted
// form and as a page file. Whatever arrives, a page that is read gives a sheet
// of either form whose CSV record reads back as the same cells, and a page for
// respondents in which nothing the file held became markup.
#include "answersfile.h"
#include "answersheet.h"
#include "formdecoder.h"
#include "respondentpage.h"
#include "surveypagereader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QList<Velmora::FormField>> fields = Velmora::decodeForm(bytes);
    const std::optional<Velmora::SurveyPage> page = Velmora::readSurveyPage(bytes);
    if (!page)
        return 0;

    const QByteArray html =
        Velmora::respondentPage(*page, QStringLiteral("Survey.htm"), QStringLiteral("en"), "0", {});
    if (html.contains("<script") || QString::fromUtf8(html).toUtf8() != html)
        __builtin_trap();

    const Velmora::AnswerSheet sheet(*page, size % 2 ? Velmora::AnswerSheet::Form::PageFile
                                                     : Velmora::AnswerSheet::Form::RespondentPage);
    QList<Velmora::FormField> answers = fields.value_or(QList<Velmora::FormField>{});
    for (const Velmora::SurveyInput &input : page->inputs)
        answers.append({input.name, input.label});
    const Velmora::AnswerSheet::Row row = sheet.row(answers, QDateTime::currentDateTime());
    if (row.cells.size() != sheet.header().size())
        __builtin_trap();
    const QByteArray record = Velmora::csvRecord(row.cells);
    qsizetype complete = 0;
    const QList<QStringList> read = Velmora::AnswersFile::parseRecords(record, &complete);
    if (read.size() != 1 || complete != record.size() || read[0].size() != row.cells.size())
        __builtin_trap();
    for (qsizetype i = 0; i < read[0].size(); ++i) {
        const QString written = QString::fromUtf8(row.cells[i].toUtf8());
        if (read[0][i] != written && read[0][i] != QLatin1Char('\'') + written)
            __builtin_trap();
    }
    return 0;
}
