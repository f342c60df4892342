// The columns of an answers file, the row of one answer, and its cells as CSV.
#include "answersheet.h"

#include "respondentpage.h"

#include <algorithm>

namespace Velmora {

const QString AnswerSheet::Joiner = QStringLiteral(" | ");
const QString AnswerSheet::AnswerIdHeader = QStringLiteral("Answer ID");

namespace {

const QString UserName = QStringLiteral("UserName");
const QString UserEmail = QStringLiteral("UserEmail");

QString describe(const QList<SurveyInput> &inputs) {
    const SurveyInput &first = inputs.front();
    QString question = first.question.isEmpty() ? QStringLiteral("(no question)") : first.question;
    for (const SurveyInput &input : inputs)
        if (!input.question.isEmpty() && !question.contains(input.question))
            question += QStringLiteral(" / ") + input.question;
    if (first.kind != SurveyInput::Kind::CheckBox)
        return question;
    QStringList options;
    for (const SurveyInput &input : inputs)
        options.append(input.label);
    return QStringLiteral("%1 [%2]").arg(question, options.join(QStringLiteral(" / ")));
}

qsizetype capOf(SurveyInput::Kind kind) {
    switch (kind) {
    case SurveyInput::Kind::TextBox:
        return AnswerSheet::LineCap;
    case SurveyInput::Kind::TextArea:
        return AnswerSheet::TextAreaCap;
    case SurveyInput::Kind::Radio:
    case SurveyInput::Kind::CheckBox:
        break;
    }
    return AnswerSheet::OptionCap;
}

// What the collector's page sends: 128 random bits as 32 hexadecimal digits.
bool isAnswerId(const QString &text) {
    if (text.size() != 32)
        return false;
    for (const QChar c : text)
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    return true;
}

} // namespace

bool AnswerSheet::isFieldOf(const SurveyPage &page, const QString &name) {
    return name == UserName || name == UserEmail || name == AnswerIdField || name == page.stamp ||
           std::any_of(page.inputs.cbegin(), page.inputs.cend(),
                       [&name](const SurveyInput &input) { return input.name == name; });
}

bool AnswerSheet::isPersonalField(const SurveyPage &page, const QString &name) {
    return name == UserName || name == UserEmail || name == page.stamp;
}

AnswerSheet::AnswerSheet(const SurveyPage &page, Form form)
    : m_stamp(page.stamp)
    , m_answerIds(form == Form::RespondentPage) {
    for (const SurveyInput &input : page.inputs) {
        if (isPersonalField(page, input.name))
            continue;
        auto column = std::find_if(m_columns.begin(), m_columns.end(),
                                   [&](const Column &c) { return c.name == input.name; });
        if (column == m_columns.end())
            m_columns.append({input.name, {}, {input}});
        else
            column->inputs.append(input);
    }
    for (Column &column : m_columns) {
        column.words = form == Form::RespondentPage && postsItsWords(page, column.name);
        column.joins = column.inputs.size() > 1 ||
                       column.inputs.front().kind == SurveyInput::Kind::Radio ||
                       column.inputs.front().kind == SurveyInput::Kind::CheckBox;
        column.header = describe(column.inputs);
        if (column.words)
            column.header += QStringLiteral(" (the options' words)");
        // What each input may hold, and the joiners between them: a lone text
        // area holds exactly as many characters as the refusal says.
        for (const SurveyInput &input : column.inputs)
            column.cap += capOf(input.kind) + (column.words ? input.label.size() : 0);
        column.cap += Joiner.size() * (column.inputs.size() - 1);
    }
}

QStringList AnswerSheet::header() const {
    QStringList header{QStringLiteral("Received"), QStringLiteral("Page made"),
                       QStringLiteral("Name"), QStringLiteral("E-mail")};
    for (const Column &column : m_columns)
        header.append(column.header);
    if (m_answerIds)
        header.append(AnswerIdHeader);
    return header;
}

AnswerSheet::Row AnswerSheet::row(const QList<FormField> &fields, const QDateTime &received) const {
    Row row;
    row.cells.resize(width());
    row.cells[0] = isoTimeWithOffset(received);
    row.cells[1] = m_stamp;
    QList<QStringList> values(m_columns.size());
    for (const FormField &field : fields) {
        const auto column = std::find_if(m_columns.cbegin(), m_columns.cend(),
                                         [&](const Column &c) { return c.name == field.name; });
        if (m_answerIds && field.name == AnswerIdField)
            row.cells.last() = isAnswerId(field.value) ? field.value : QString();
        else if (field.name == UserName)
            row.cells[2] = field.value;
        else if (field.name == UserEmail)
            row.cells[3] = field.value;
        else if (column != m_columns.cend())
            values[column - m_columns.cbegin()].append(field.value);
        else if (field.name != m_stamp)
            ++row.ignoredFields;
    }
    // Inputs left empty are no answer: two check boxes unticked, or a text box
    // beside options left blank, must not read as " | ".
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        values[i].removeAll(QString());
        row.cells[FirstAnswer + i] =
            m_columns[i].joins ? joinValues(values[i]) : values[i].join(Joiner);
    }

    if (row.cells[2].size() > NameCap || row.cells[3].size() > NameCap)
        row.tooLong = Row::TooLong{std::nullopt, NameCap};
    for (qsizetype i = 0; i < m_columns.size() && !row.tooLong; ++i) {
        const Column &column = m_columns[i];
        if (row.cells[FirstAnswer + i].size() > column.cap)
            row.tooLong = Row::TooLong{column.inputs.front().question.isEmpty()
                                           ? column.name
                                           : column.inputs.front().question,
                                       column.cap - Joiner.size() * (column.inputs.size() - 1)};
    }
    return row;
}

QString joinValues(const QStringList &values) {
    QStringList escaped;
    for (const QString &value : values)
        escaped.append(QString(value).replace(u'|', QStringLiteral("||")));
    return escaped.join(AnswerSheet::Joiner);
}

QStringList splitValues(const QString &cell) {
    // A joiner's "|" stands alone between two spaces; a value's is doubled, so
    // the two never meet.
    QStringList values = cell.split(AnswerSheet::Joiner, Qt::SkipEmptyParts);
    for (QString &value : values)
        value.replace(QStringLiteral("||"), QStringLiteral("|"));
    return values;
}

namespace {

bool startsAFormula(QStringView cell) {
    return !cell.isEmpty() && QStringLiteral("=+-@\t\r").contains(cell.front());
}

} // namespace

QString guardedCell(const QString &typed) {
    qsizetype quotes = 0;
    while (quotes < typed.size() && typed[quotes] == u'\'')
        ++quotes;
    return startsAFormula(QStringView(typed).mid(quotes)) ? u'\'' + typed : typed;
}

QString typedCell(const QString &guarded) {
    qsizetype quotes = 0;
    while (quotes < guarded.size() && guarded[quotes] == u'\'')
        ++quotes;
    return quotes > 0 && startsAFormula(QStringView(guarded).mid(quotes)) ? guarded.mid(1)
                                                                          : guarded;
}

QStringList typedCells(const QStringList &record) {
    QStringList typed;
    typed.reserve(record.size());
    for (const QString &cell : record)
        typed.append(typedCell(cell));
    return typed;
}

QByteArray csvRecord(const QStringList &cells) {
    QByteArray record;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            record += ',';
        record += '"';
        record += guardedCell(cells[i]).toUtf8().replace('"', "\"\"");
        record += '"';
    }
    record += "\r\n";
    return record;
}

QString isoTimeWithOffset(const QDateTime &time) {
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           QStringLiteral("%1%2:%3")
               .arg(QChar(offset < 0 ? u'-' : u'+'))
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

} // namespace Velmora
