// A survey's summary page, counted answer by answer.
#include "summary.h"

#include "answersfile.h"
#include "htmltext.h"


#include <algorithm>

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

using Bar = SummaryTally::Bar;

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

QString textList(const std::deque<QString> &newest, qsizetype given) {
    if (given == 0)
        return QStringLiteral("<p class=\"note\">No answers given.</p>\n");
    QString html;
    for (auto text = newest.crbegin(); text != newest.crend(); ++text)
        html += QStringLiteral("<li>%1</li>\n").arg(escapeHtml(*text));
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

QByteArray SummaryTally::page() const {
    const QString title =
        m_page.title.isEmpty() ? QStringLiteral("(untitled survey)") : m_page.title;
    // One arg() call for all: a "%2" in a title must stay text.
    QString body = QStringLiteral("<h1>%1</h1>\n<p class=\"facts\">%2 answers")
                       .arg(escapeHtml(title), QString::number(m_rows));
    if (m_earlierRows > 0)
        body += QStringLiteral(" (%1 of them to other versions of the page)").arg(m_earlierRows);
    const auto when = [](const QString &received) {
        return escapeHtml(QString(received).replace(u'T', u' '));
    };
    if (m_rows > 0)
        body += QStringLiteral(", the first received %1, the latest %2")
                    .arg(when(m_first), when(m_latest));
    body += QStringLiteral(".</p>\n");

    const QList<AnswerSheet::Column> &columns = m_sheet.columns();
    QString shownQuestion;
    QList<Bar> boxes; // check boxes of one question, one bar per name
    qsizetype boxesAsked = 0;
    auto flushBoxes = [&] {
        if (!boxes.isEmpty())
            body += bars(boxes, boxesAsked);
        boxes.clear();
    };
    for (qsizetype c = 0; c < columns.size(); ++c) {
        const AnswerSheet::Column &column = columns[c];
        const ColumnTally &tally = m_columns[c];
        const SurveyInput &first = column.inputs.front();
        if (first.question != shownQuestion || c == 0) {
            flushBoxes();
            shownQuestion = first.question;
            body += QStringLiteral("<h2>%1</h2>\n")
                        .arg(escapeHtml(first.question.isEmpty() ? QStringLiteral("(no question)")
                                                                 : first.question));
            if (tally.asked < m_rows)
                body += QStringLiteral("<p class=\"note\">Asked in these words in %1 of the %2 "
                                       "answers: other versions of the page asked it otherwise, "
                                       "or not at all.</p>\n")
                            .arg(tally.asked)
                            .arg(m_rows);
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
                list.append({QStringLiteral("(an answer the page does not offer)"), tally.other});
            body += bars(list, tally.asked);
            if (typedBeside(c))
                body += textList(tally.newest, tally.given);
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
            body += textList(tally.newest, tally.given);
            break;
        }
    }
    flushBoxes();
    if (!m_askedOtherwise.isEmpty()) {
        body += QStringLiteral("<h2>Asked otherwise in other versions</h2>\n<p class=\"note\">"
                               "Other versions of the page asked these, in other words or "
                               "with other options; their answers are in those versions' "
                               "answers files.</p>\n<ul>\n");
        for (const QString &question : m_askedOtherwise)
            body += QStringLiteral("<li>%1</li>\n").arg(escapeHtml(question));
        body += QStringLiteral("</ul>\n");
    }

    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
               "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
               "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src "
               "'none'; style-src 'unsafe-inline'\">\n"
               "<title>Summary: %1</title>\n<style>%2</style></head>\n<body>\n%3"
               "</body></html>\n")
        .arg(escapeHtml(title), Style, body)
        .toUtf8();
}

QByteArray summaryPage(const SurveyPage &page, const QList<QStringList> &records) {
    SummaryTally tally(page);
    for (const QStringList &record : records)
        tally.add(record);
    return tally.page();
}

} // namespace Velmora
