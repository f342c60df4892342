// The answers as a table made for spreadsheets.
#include "spreadsheettable.h"

#include "answersfile.h"
#include "runtimeerror.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <algorithm>

namespace Velmora {

namespace {

// Several answers to one question in one cell.
const QString Between = QStringLiteral("; ");

// "2026-12-08T09:30:00+01:00" as "2026-12-08 09:30:00", the time as it was there.
QString receivedTime(const QString &received) {
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d)T(\\d\\d:\\d\\d:\\d\\d)"));
    const QRegularExpressionMatch match = iso.match(received);
    return match.hasMatch() ? match.captured(1) + u' ' + match.captured(2) : received;
}

// "14:03:27|08-31-2021", as the page stamps itself, as "2021-08-31 14:03:27".
QString pageMadeTime(const QString &stamp) {
    const QDateTime time = QDateTime::fromString(stamp, QStringLiteral("HH:mm:ss|MM-dd-yyyy"));
    return time.isValid() ? time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : stamp;
}

bool isOption(const SurveyInput &input) {
    return input.kind == SurveyInput::Kind::Radio || input.kind == SurveyInput::Kind::CheckBox;
}

// The words of what a column's cell holds: an option's code or "on" becomes
// the option's words; what was typed stays as typed.
QStringList wordsOf(const AnswerSheet::Column &column, const QString &cell) {
    QStringList words;
    for (const QString &value : column.joins ? splitValues(cell) : QStringList{cell}) {
        const auto option =
            std::find_if(column.inputs.cbegin(), column.inputs.cend(), [&](const SurveyInput &in) {
                return isOption(in) && (column.words         ? in.label
                                        : in.value.isEmpty() ? QStringLiteral("on")
                                                             : in.value) == value;
            });
        words.append(option != column.inputs.cend() ? option->label : value);
    }
    return words;
}

} // namespace

SpreadsheetTable spreadsheetTable(const SurveyPage &page, const QList<QStringList> &records) {
    const AnswerSheet sheet(page, AnswerSheet::Form::RespondentPage);
    SpreadsheetTable table;
    table.header = QStringList{QStringLiteral("Received"), QStringLiteral("Page made"),
                               QStringLiteral("Name"), QStringLiteral("E-mail")};
    QList<QList<qsizetype>> questions; // the sheet's columns of each question
    for (qsizetype c = 0; c < sheet.columns().size(); ++c) {
        const QString &question = sheet.columns()[c].inputs.front().question;
        const qsizetype at = table.header.indexOf(question, AnswerSheet::FirstAnswer);
        if (at < 0) {
            table.header.append(question);
            questions.append(QList<qsizetype>{c});
        } else {
            questions[at - AnswerSheet::FirstAnswer].append(c);
        }
    }
    table.header.append(AnswerSheet::AnswerIdHeader);
    const QStringList fileHeader = sheet.header();
    for (const QStringList &stored : records) {
        const QStringList record = typedCells(stored);
        if (record.size() != sheet.width() || record == fileHeader)
            continue;
        QStringList row{receivedTime(record[0]), pageMadeTime(record[1]), record[2], record[3]};
        for (const QList<qsizetype> &columns : std::as_const(questions)) {
            QStringList words;
            for (const qsizetype c : columns) {
                const QString &cell = record[AnswerSheet::FirstAnswer + c];
                if (!cell.isEmpty())
                    words += wordsOf(sheet.columns()[c], cell);
            }
            row.append(words.join(Between));
        }
        row.append(record.last());
        table.rows.append(row);
    }
    return table;
}

QByteArray spreadsheetCsv(const SpreadsheetTable &table) {
    QByteArray csv = AnswersFile::beginning(table.header);
    for (const QStringList &row : table.rows)
        csv += csvRecord(row);
    return csv;
}

QByteArray spreadsheetXlsx(const SpreadsheetTable &table) {
    QTemporaryFile made;
    if (!made.open())
        throw RuntimeError(QStringLiteral("no temporary file can be made for the workbook"));
    const QString path = made.fileName();
    const QByteArray file = QFile::encodeName(path);
    lxw_workbook *workbook = workbook_new(file.constData());
    if (!workbook)
        throw RuntimeError(QStringLiteral("%1 cannot be written").arg(path));
    lxw_worksheet *sheet = workbook_add_worksheet(workbook, "Answers");
    lxw_format *bold = workbook_add_format(workbook);
    format_set_bold(bold);
    QList<double> widths(table.header.size(), 8);
    const auto write = [&](lxw_row_t row, const QStringList &cells, lxw_format *format) {
        for (qsizetype c = 0; c < cells.size() && c < widths.size(); ++c) {
            // Text, always: "=1+1" or "0012" stays what was typed.
            worksheet_write_string(sheet, row, lxw_col_t(c), cells[c].toUtf8().constData(), format);
            widths[c] = std::max(widths[c], std::min(60.0, double(cells[c].size()) + 2));
        }
    };
    write(0, table.header, bold);
    for (qsizetype r = 0; r < table.rows.size(); ++r)
        write(lxw_row_t(r + 1), table.rows[r], nullptr);
    for (qsizetype c = 0; c < widths.size(); ++c)
        worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), widths[c], nullptr);
    worksheet_freeze_panes(sheet, 1, 0);
    const lxw_error error = workbook_close(workbook);
    if (error != LXW_NO_ERROR)
        throw RuntimeError(QStringLiteral("%1 cannot be written: %2")
                               .arg(path, QString::fromUtf8(lxw_strerror(error))));
    QFile written(path);
    if (!written.open(QIODevice::ReadOnly))
        throw RuntimeError(QStringLiteral("%1 cannot be read").arg(path));
    return written.readAll();
}

QString spreadsheetPath(const QString &answersPath, const QString &suffix) {
    return AnswersFile::besideAnswers(answersPath, QStringLiteral("table"), suffix);
}

} // namespace Velmora
