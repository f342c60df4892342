#include "summary.h"

#include "htmltext.h"

#include <QRegularExpression>

namespace Velmora {

namespace {

const QString Style = QStringLiteral(
    "body{font-family:Arial,'Liberation Sans',sans-serif;max-width:50em;margin:1.5em auto;"
    "padding:0 1em;color:#1a1a1a;background:#fff;line-height:1.4}"
    "h1{font-size:1.6em;margin-bottom:.2em}h2{font-size:1.1em;margin:1.6em 0 .5em;"
    "border-top:1px solid #767676;padding-top:.8em}.facts{color:#333}"
    "table{border-collapse:collapse;width:100%}td{padding:.25em .4em;vertical-align:middle}"
    "td.option{width:35%}td.count{width:7em;text-align:right;white-space:nowrap}"
    ".bar{background:#e8e8e8;height:1.1em;border:1px solid #767676}"
    ".bar span{display:block;height:100%;background:#1f5fa8}"
    ".note{color:#333;font-size:.9em}ol.texts{max-height:14em;overflow:auto;margin:0;"
    "padding:.3em .5em .3em 2.6em;border:1px solid #767676}ol.texts li{margin:.1em 0;"
    "white-space:pre-wrap;overflow-wrap:anywhere}"
    "@media (prefers-color-scheme:dark){body{color:#eee;background:#121212}.facts,.note{color:#ccc}"
    ".bar{background:#333;border-color:#999}.bar span{background:#7fb2f0}h2{border-color:#999}}");

struct Bar {
    QString label;
    qsizetype count = 0;
    bool shared = false; // options the form posts alike
};

QString percent(qsizetype count, qsizetype total) {
    return total == 0
               ? QStringLiteral("0%")
               : QString::number(100.0 * double(count) / double(total), 'f', 1) + QLatin1Char('%');
}

QString bars(const QList<Bar> &list, qsizetype total) {
    QString html = QStringLiteral("<table>\n");
    bool shared = false;
    for (const Bar &bar : list) {
        shared = shared || bar.shared;
        const double width = total == 0 ? 0.0 : 100.0 * double(bar.count) / double(total);
        html += QStringLiteral("<tr><td class=\"option\">%1%2</td><td><div class=\"bar\" "
                               "role=\"img\" aria-label=\"%4\"><span style=\"width:%3%\">"
                               "</span></div></td><td class=\"count\">%5 (%4)</td></tr>\n")
                    .arg(escapeHtml(bar.label), bar.shared ? QStringLiteral(" *") : QString(),
                         QString::number(width, 'f', 2), percent(bar.count, total),
                         QString::number(bar.count));
    }
    html += QStringLiteral("</table>\n");
    if (shared)
        html += QStringLiteral("<p class=\"note\">* These options post the same answer, so the "
                               "page cannot tell them apart: they are counted together.</p>\n");
    return html;
}

// A radio column: one bar per answer the options post, in page order.
QString radioBars(const AnswerSheet::Column &column, const QList<QStringList> &rows,
                  qsizetype cell) {
    QList<Bar> list;
    QStringList values;
    for (const SurveyInput &input : column.inputs) {
        const qsizetype at = values.indexOf(input.value);
        if (at < 0) {
            values.append(input.value);
            list.append({input.label});
        } else {
            list[at].label += QStringLiteral(" / ") + input.label;
            list[at].shared = true;
        }
    }
    qsizetype other = 0;
    for (const QStringList &row : rows) {
        const QStringList given = row[cell].split(AnswerSheet::Joiner, Qt::SkipEmptyParts);
        bool counted = false;
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (given.contains(values[i])) {
                ++list[i].count;
                counted = true;
            }
        }
        if (!counted && !row[cell].isEmpty())
            ++other;
    }
    if (other > 0)
        list.append({QStringLiteral("(an answer the page does not offer)"), other});
    return bars(list, rows.size());
}

QString texts(const QList<QStringList> &rows, qsizetype cell) {
    QString html;
    qsizetype given = 0;
    for (auto row = rows.crbegin(); row != rows.crend(); ++row) {
        const QString &text = (*row)[cell];
        if (text.isEmpty())
            continue;
        if (++given <= ListedTexts)
            html += QStringLiteral("<li>%1</li>\n").arg(escapeHtml(text));
    }
    if (given == 0)
        return QStringLiteral("<p class=\"note\">No answers given.</p>\n");
    QString list = QStringLiteral("<p class=\"note\">%1 answers, newest first.</p>\n"
                                  "<ol class=\"texts\">\n%2</ol>\n")
                       .arg(given)
                       .arg(html);
    if (given > ListedTexts)
        list += QStringLiteral("<p class=\"note\">The %1 older answers are in the answers "
                               "file.</p>\n")
                    .arg(given - ListedTexts);
    return list;
}

} // namespace

QString summaryPath(const QString &answersPath) {
    QString path = answersPath;
    static const QRegularExpression answers(QStringLiteral(" answers( \\(\\d+\\))?\\.csv$"));
    return path.replace(answers, QStringLiteral(" summary\\1.html"));
}

QByteArray summaryPage(const SurveyPage &page, const QList<QStringList> &records) {
    const AnswerSheet sheet(page);
    const qsizetype width = AnswerSheet::FirstAnswer + sheet.columns().size();
    QList<QStringList> rows;
    for (qsizetype i = 1; i < records.size(); ++i)
        if (records[i].size() == width)
            rows.append(records[i]);

    const QString title = page.title.isEmpty() ? QStringLiteral("(untitled survey)") : page.title;
    // One arg() call for all: a "%2" in a title must stay text.
    QString body = QStringLiteral("<h1>%1</h1>\n<p class=\"facts\">%2 answers")
                       .arg(escapeHtml(title), QString::number(rows.size()));
    const auto when = [](const QString &received) {
        return escapeHtml(QString(received).replace(u'T', u' '));
    };
    if (!rows.isEmpty())
        body += QStringLiteral(", the first received %1, the latest %2")
                    .arg(when(rows.front()[0]), when(rows.back()[0]));
    body += QStringLiteral(".</p>\n");

    const QList<AnswerSheet::Column> &columns = sheet.columns();
    QString shownQuestion;
    QList<Bar> boxes; // check boxes of one question, one bar per name
    auto flushBoxes = [&] {
        if (!boxes.isEmpty())
            body += bars(boxes, rows.size());
        boxes.clear();
    };
    for (qsizetype c = 0; c < columns.size(); ++c) {
        const AnswerSheet::Column &column = columns[c];
        const SurveyInput &first = column.inputs.front();
        const qsizetype cell = AnswerSheet::FirstAnswer + c;
        if (first.question != shownQuestion || c == 0) {
            flushBoxes();
            shownQuestion = first.question;
            body += QStringLiteral("<h2>%1</h2>\n")
                        .arg(escapeHtml(first.question.isEmpty() ? QStringLiteral("(no question)")
                                                                 : first.question));
        }
        switch (first.kind) {
        case SurveyInput::Kind::Radio:
            flushBoxes();
            body += radioBars(column, rows, cell);
            break;
        case SurveyInput::Kind::CheckBox: {
            Bar bar{first.label, 0, column.inputs.size() > 1};
            for (qsizetype i = 1; i < column.inputs.size(); ++i)
                bar.label += QStringLiteral(" / ") + column.inputs[i].label;
            for (const QStringList &row : rows)
                bar.count += row[cell].isEmpty() ? 0 : 1;
            boxes.append(bar);
            break;
        }
        case SurveyInput::Kind::TextBox:
        case SurveyInput::Kind::TextArea:
            flushBoxes();
            body += texts(rows, cell);
            break;
        }
    }
    flushBoxes();

    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
                          "<meta name=\"viewport\" content=\"width=device-width\">\n"
                          "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src "
                          "'none'; style-src 'unsafe-inline'\">\n"
                          "<title>Summary: %1</title>\n<style>%2</style></head>\n<body>\n%3"
                          "</body></html>\n")
        .arg(escapeHtml(title), Style, body)
        .toUtf8();
}

} // namespace Velmora
