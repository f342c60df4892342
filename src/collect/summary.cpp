// A survey's summary page, counted answer by answer.
#include "summary.h"

#include "answersfile.h"
#include "htmltext.h"
#include "httpmessages.h"

#include <algorithm>

namespace Velmora {

namespace {

const QString Style = QStringLiteral(
    "body{font-family:Arial,'Liberation Sans',sans-serif;max-width:50em;margin:1.5em auto;"
    "padding:0 1em;color:#1a1a1a;background:#fff;line-height:1.4}"
    "h1{font-size:1.6em;margin-bottom:.2em}h2{font-size:1.1em;margin:1.6em 0 .5em;"
    "border-top:1px solid #767676;padding-top:.8em}.facts{color:#333}"
    "table{border-collapse:collapse;width:100%}td{padding:.25em .4em;vertical-align:middle}"
    "td.option{width:35%}td.count{width:7em;text-align:end;white-space:nowrap}"
    ".bar{background:#e8e8e8;height:1.1em;border:1px solid #767676}"
    ".bar span{display:block;height:100%;background:#1f5fa8}"
    ".note{color:#333;font-size:.9em}ol.texts{max-height:14em;overflow:auto;margin:0;"
    "padding:.3em .5em;list-style-position:inside;border:1px solid #767676}"
    "ol.texts li{margin:.1em 0;"
    "white-space:pre-wrap;overflow-wrap:anywhere}"
    "@media (prefers-color-scheme:dark){body{color:#eee;background:#121212}.facts,.note{color:#ccc}"
    ".bar{background:#333;border-color:#999}.bar span{background:#7fb2f0}h2{border-color:#999}}");

using Bar = SummaryTally::Bar;

QString percent(const Language &words, qsizetype count, qsizetype total) {
    const QLocale &locale = words.locale();
    return (total == 0 ? locale.toString(0)
                       : locale.toString(100.0 * double(count) / double(total), 'f', 1)) +
           locale.percent();
}

QString bars(const Language &words, const QList<Bar> &list, qsizetype total) {
    QString html = QStringLiteral("<table>\n");
    bool shared = false;
    for (const Bar &bar : list) {
        shared = shared || bar.shared;
        const double width = total == 0 ? 0.0 : 100.0 * double(bar.count) / double(total);
        html +=
            QStringLiteral("<tr><td class=\"option\" dir=\"auto\">%1%2</td><td><div class=\"bar\" "
                           "role=\"img\" aria-label=\"%4\"><span style=\"width:%3%\">"
                           "</span></div></td><td class=\"count\">%5 (%4)</td></tr>\n")
                .arg(escapeHtml(bar.label), bar.shared ? QStringLiteral(" *") : QString(),
                     QString::number(width, 'f', 2), percent(words, bar.count, total),
                     words.number(bar.count));
    }
    html += QStringLiteral("</table>\n");
    if (shared)
        html +=
            QStringLiteral("<p class=\"note\">* %1</p>\n")
                .arg(escapeHtml(words.tr("These options post the same answer, so the page "
                                         "cannot tell them apart: they are counted together.")));
    return html;
}

// The answers the options of a column post, in page order, each with the words
// of the options that post it: their codes, or their words.
QList<Bar> options(const AnswerSheet::Column &column, QStringList *values) {
    QList<Bar> list;
    for (const SurveyInput &input : column.inputs) {
        // A text input beside the options is listed under them, not as a bar.
        if (input.kind != SurveyInput::Kind::Radio && input.kind != SurveyInput::Kind::CheckBox)
            continue;
        const QString posted = column.words ? input.label : input.value;
        const qsizetype at = values->indexOf(posted);
        if (at < 0) {
            values->append(posted);
            list.append({input.label});
        } else {
            list[at].label += QStringLiteral(" / ") + input.label;
            list[at].shared = true;
        }
    }
    return list;
}

QString note(const QString &text) {
    return QStringLiteral("<p class=\"note\">%1</p>\n").arg(escapeHtml(text));
}

QString textList(const Language &words, const std::deque<QString> &newest, qsizetype given) {
    if (given == 0)
        return note(words.tr("No answers given."));
    QString html;
    for (auto text = newest.crbegin(); text != newest.crend(); ++text)
        html += QStringLiteral("<li dir=\"auto\">%1</li>\n").arg(escapeHtml(*text));
    QString list = note(words.tr("%n answers, newest first.", nullptr, int(given))) +
                   QStringLiteral("<ol class=\"texts\">\n%1</ol>\n").arg(html);
    if (given > ListedTexts)
        list += note(words.tr("The %n older answers are in the answers file.", nullptr,
                              int(given - ListedTexts)));
    return list;
}

// "12 answers (2 of them to other versions of the page), the first received
// ..., the latest ...".
QString facts(const Language &words, qsizetype rows, qsizetype earlierRows, const QString &first,
              const QString &latest) {
    QString facts = words.tr("%n answers", nullptr, int(rows));
    if (earlierRows > 0)
        facts += QLatin1Char(' ') +
                 words.tr("(%n of them to other versions of the page)", nullptr, int(earlierRows));
    QString html = escapeHtml(facts);
    // Times read left to right in any language: "2026-12-08 09:30:00+01:00".
    const auto when = [](const QString &received) {
        return QStringLiteral("<bdi dir=\"ltr\">%1</bdi>")
            .arg(escapeHtml(QString(received).replace(u'T', u' ')));
    };
    if (rows > 0)
        html += escapeHtml(words.tr(", the first received %1, the latest %2"))
                    .arg(when(first), when(latest));
    return QStringLiteral("<p class=\"facts\">%1.</p>\n").arg(html);
}

QString questionHeading(const Language &words, const QString &question, qsizetype asked,
                        qsizetype rows) {
    QString html = QStringLiteral("<h2 dir=\"auto\">%1</h2>\n")
                       .arg(escapeHtml(question.isEmpty() ? words.tr("(no question)") : question));
    if (asked < rows)
        html += note(words
                         .tr("Asked in these words in %1 of the %2 answers: other versions of "
                             "the page asked it otherwise, or not at all.")
                         .arg(words.number(asked), words.number(rows)));
    return html;
}

QString askedOtherwise(const Language &words, const QStringList &questions) {
    if (questions.isEmpty())
        return QString();
    QString html =
        QStringLiteral("<h2>%1</h2>\n")
            .arg(escapeHtml(words.tr("Asked otherwise in other versions"))) +
        note(words.tr("Other versions of the page asked these, in other words or with other "
                      "options; their answers are in those versions' answers files.")) +
        QStringLiteral("<ul>\n");
    for (const QString &question : questions)
        html += QStringLiteral("<li dir=\"auto\">%1</li>\n").arg(escapeHtml(question));
    return html + QStringLiteral("</ul>\n");
}

QString notOffered(const Language &words) {
    return words.tr("(an answer the page does not offer)");
}

QByteArray summaryDocument(const Language &words, const QString &title, const QString &body) {
    const QString shown = title.isEmpty() ? words.tr("(untitled survey)") : title;
    return QStringLiteral(
               "<!DOCTYPE html>\n<html%1><head><meta charset=\"utf-8\">\n"
               "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
               "<meta http-equiv=\"Content-Security-Policy\" content=\"%6\">\n"
               "<title>%2</title>\n<style>%3</style></head>\n<body>\n"
               "<h1 dir=\"auto\">%4</h1>\n%5</body></html>\n")
        .arg(words.attributes(), escapeHtml(words.tr("Summary: %1").arg(shown)), Style,
             escapeHtml(shown), body, QLatin1String(OwnPagePolicy))
        .toUtf8();
}

} // namespace

QString summaryPath(const QString &answersPath) {
    return AnswersFile::besideAnswers(answersPath, QStringLiteral("summary"),
                                      QStringLiteral("html"));
}

SummaryTally::SummaryTally(const SurveyPage &page, AnswerSheet::Form form)
    : m_page(page)
    , m_form(form)
    , m_sheet(page, form)
    , m_header(m_sheet.header()) {
    for (qsizetype c = 0; c < m_sheet.columns().size(); ++c) {
        ColumnTally tally;
        if (kindOf(c) == Kind::Options)
            tally.bars = options(m_sheet.columns()[c], &tally.values);
        m_columns.append(tally);
    }
}

namespace {

bool isOption(const SurveyInput &input) {
    return input.kind == SurveyInput::Kind::Radio || input.kind == SurveyInput::Kind::CheckBox;
}

} // namespace

bool SummaryTally::typedBeside(qsizetype c) const {
    const QList<SurveyInput> &inputs = m_sheet.columns()[c].inputs;
    return kindOf(c) == Kind::Options &&
           std::any_of(inputs.cbegin(), inputs.cend(),
                       [](const SurveyInput &input) { return !isOption(input); });
}

SummaryTally::Kind SummaryTally::kindOf(qsizetype c) const {
    const AnswerSheet::Column &column = m_sheet.columns()[c];
    // Options that post their words are counted apart, check boxes too; radio
    // options, wherever they stand among the question's inputs.
    if (column.words ||
        std::any_of(column.inputs.cbegin(), column.inputs.cend(), [](const SurveyInput &input) {
            return input.kind == SurveyInput::Kind::Radio;
        }))
        return Kind::Options;
    switch (column.inputs.front().kind) {
    case SurveyInput::Kind::Radio:
        return Kind::Options;
    case SurveyInput::Kind::CheckBox:
        return Kind::Given;
    case SurveyInput::Kind::TextBox:
    case SurveyInput::Kind::TextArea:
        break;
    }
    return Kind::Texts;
}

void SummaryTally::add(const QStringList &record) {
    // Cells as typed: the same summary whether an answer is counted as it
    // comes or read back from the file.
    addAnswer(typedCells(record));
}

void SummaryTally::addAnswer(const QStringList &record) {
    if (record.size() != m_sheet.width() || record == m_header)
        return; // the header row, or a row of another page
    count(record, QList<bool>(m_columns.size(), true));
}

void SummaryTally::count(const QStringList &record, const QList<bool> &asked) {
    if (m_rows++ == 0)
        m_first = record[0];
    m_latest = record[0];
    for (qsizetype c = 0; c < m_columns.size(); ++c) {
        if (!asked[c])
            continue;
        const QString &cell = record[AnswerSheet::FirstAnswer + c];
        ColumnTally &tally = m_columns[c];
        ++tally.asked;
        switch (kindOf(c)) {
        case Kind::Options: {
            QStringList given = splitValues(cell);
            const qsizetype posted = given.size();
            for (qsizetype i = 0; i < tally.values.size(); ++i)
                if (given.removeAll(tally.values[i]) > 0)
                    ++tally.bars[i].count;
            if (given.isEmpty())
                break;
            if (typedBeside(c))
                addText(tally, given.join(AnswerSheet::Joiner));
            else if (given.size() == posted)
                ++tally.other;
            break;
        }
        case Kind::Given:
            tally.given += cell.isEmpty() ? 0 : 1;
            break;
        case Kind::Texts:
            if (!cell.isEmpty())
                addText(tally, cell);
            break;
        }
    }
}

void SummaryTally::addText(ColumnTally &tally, const QString &text) {
    ++tally.given;
    tally.newest.push_back(text);
    if (qsizetype(tally.newest.size()) > ListedTexts)
        tally.newest.pop_front();
}

QList<SummaryTally::Column> SummaryTally::columns() const {
    QList<Column> list;
    for (qsizetype c = 0; c < m_columns.size(); ++c)
        list.append({kindOf(c), kindOf(c) == Kind::Options ? m_columns[c].values : QStringList(),
                     typedBeside(c)});
    return list;
}

void SummaryTally::assign(const Counts &counts) {
    m_rows = counts.answers;
    m_first = counts.first;
    m_latest = counts.latest;
    for (qsizetype c = 0; c < m_columns.size() && c < counts.columns.size(); ++c)
        assignColumn(m_columns[c], counts.columns[c], counts.answers);
}

void SummaryTally::assignColumn(ColumnTally &tally, const ColumnCounts &given, qsizetype asked) {
    for (qsizetype i = 0; i < tally.bars.size(); ++i)
        tally.bars[i].count = given.options.value(i);
    tally.other = given.other;
    tally.given = given.given;
    tally.asked = asked;
    tally.newest.assign(given.newest.crbegin(), given.newest.crend());
}

QByteArray SummaryTally::page(const Language &words) const {
    QString body = facts(words, m_rows, m_earlierRows, m_first, m_latest);
    const QList<AnswerSheet::Column> &columns = m_sheet.columns();
    QString shownQuestion;
    QList<Bar> boxes; // check boxes of one question, one bar per name
    qsizetype boxesAsked = 0;
    auto flushBoxes = [&] {
        if (!boxes.isEmpty())
            body += bars(words, boxes, boxesAsked);
        boxes.clear();
    };
    for (qsizetype c = 0; c < columns.size(); ++c) {
        const AnswerSheet::Column &column = columns[c];
        const ColumnTally &tally = m_columns[c];
        const SurveyInput &first = column.inputs.front();
        if (first.question != shownQuestion || c == 0) {
            flushBoxes();
            shownQuestion = first.question;
            body += questionHeading(words, first.question, tally.asked, m_rows);
        }
        const bool radios =
            std::any_of(column.inputs.cbegin(), column.inputs.cend(), [](const SurveyInput &input) {
                return input.kind == SurveyInput::Kind::Radio;
            });
        if (radios) {
            // Radio options, and what was typed beside them.
            flushBoxes();
            QList<Bar> list = tally.bars;
            if (tally.other > 0)
                list.append({notOffered(words), tally.other});
            body += bars(words, list, tally.asked);
            if (typedBeside(c))
                body += textList(words, tally.newest, tally.given);
            continue;
        }
        switch (first.kind) {
        case SurveyInput::Kind::Radio: // counted above
            break;
        case SurveyInput::Kind::CheckBox: {
            boxesAsked = tally.asked;
            if (column.words) {
                boxes += tally.bars;
                break;
            }
            Bar bar{first.label, tally.given, column.inputs.size() > 1};
            for (qsizetype i = 1; i < column.inputs.size(); ++i)
                bar.label += QStringLiteral(" / ") + column.inputs[i].label;
            boxes.append(bar);
            break;
        }
        case SurveyInput::Kind::TextBox:
        case SurveyInput::Kind::TextArea:
            flushBoxes();
            body += textList(words, tally.newest, tally.given);
            break;
        }
    }
    flushBoxes();
    return summaryDocument(words, m_page.title, body + askedOtherwise(words, m_askedOtherwise));
}

QByteArray summaryPage(const SurveyPage &page, const QList<QStringList> &records,
                       const Language &words) {
    SummaryTally tally(page);
    for (const QStringList &record : records)
        tally.add(record);
    return tally.page(words);
}

} // namespace Velmora
