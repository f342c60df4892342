#include "questionline.h"

#include "runtimeerror.h"

namespace Velmora {

namespace {

constexpr qsizetype MarkerLength = 3; // "[r]": an option's label starts after it
constexpr qsizetype MaxNumberLength = 3;

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Only the second character decides; the closing bracket plays no part.
QuestionLineKind kindOfMarker(QChar marker) {
    switch (marker.unicode()) {
    case u'r':
    case u'R':
        return QuestionLineKind::Radio;
    case u'c':
    case u'C':
        return QuestionLineKind::CheckBox;
    case u's':
    case u'S':
        return QuestionLineKind::TextBox;
    case u'l':
    case u'L':
        return QuestionLineKind::TextArea;
    default:
        return isDigit(marker) ? QuestionLineKind::Header : QuestionLineKind::Ignored;
    }
}

// Positions in a line count characters, so an emoji (a surrogate pair) is one.
// Where the character after the first `characters` ones starts; the line's end
// when it has fewer.
qsizetype offsetOfCharacter(QStringView line, qsizetype characters) {
    qsizetype offset = 0;
    for (; characters > 0 && offset < line.size(); --characters) {
        const bool pair = line[offset].isHighSurrogate() && offset + 1 < line.size() &&
                          line[offset + 1].isLowSurrogate();
        offset += pair ? 2 : 1;
    }
    return offset;
}

bool hasCharacters(QStringView line, qsizetype characters) {
    return characters == 0 || offsetOfCharacter(line, characters - 1) < line.size();
}

// The three characters after the marker, as far as they exist: " a)" in "[r] a) Yes".
QStringView optionCode(QStringView line) {
    const qsizetype start = offsetOfCharacter(line, MarkerLength);
    return line.mid(start, offsetOfCharacter(line, MarkerLength + 3) - start);
}

// A header's number: up to three characters after the bracket, ended early by
// "]". The character after them is skipped as if it were the closing bracket.
struct HeaderNumber {
    QString number;
    qsizetype characters = 0;
    bool closed = false; // what is skipped really is "]"
};

HeaderNumber headerNumber(QStringView line) {
    HeaderNumber header;
    qsizetype i = 1;
    for (; header.characters < MaxNumberLength && i < line.size(); ++header.characters) {
        if (line[i] == u']')
            break;
        const qsizetype next = i + offsetOfCharacter(line.mid(i), 1);
        header.number.append(line.mid(i, next - i));
        i = next;
    }
    header.closed = i < line.size() && line[i] == u']';
    return header;
}

} // namespace

QuestionLineKind classifyQuestionLine(QStringView line) {
    if (line.isEmpty() || line.front() != u'[')
        return QuestionLineKind::Ignored;
    // "[" alone fails the digit test, and a failed test lets the header steps run.
    if (line.size() == 1)
        return QuestionLineKind::Header;
    return kindOfMarker(line[1]);
}

QuestionLineDiagnosis diagnoseQuestionLine(QStringView line) {
    // The page writer itself runs on the line, so the two can never disagree.
    class FaultCollector : public PageOutput {
    public:
        bool write(int, const PageLine &) override { return true; }
        void fault(int label, const QString &, qsizetype, QStringView) override {
            labels.append(label);
        }
        QList<int> labels;
    } collector;
    QuestionTranslator(collector).translate(line, 1);
    QuestionLineDiagnosis diagnosis{classifyQuestionLine(line), collector.labels, {}};
    if (diagnosis.kind == QuestionLineKind::Header && diagnosis.faultLabels.isEmpty()) {
        const HeaderNumber header = headerNumber(line);
        if (!header.closed)
            diagnosis.headerShownAs =
                header.number + QStringLiteral(") ") +
                line.mid(offsetOfCharacter(line, 2 + header.characters)).toString();
    }
    return diagnosis;
}

QuestionTranslator::QuestionTranslator(PageOutput &output)
    : m_output(output) {}

bool QuestionTranslator::translate(QStringView line, qsizetype lineNumber) {
    m_current = line;
    m_currentNumber = lineNumber;
    switch (classifyQuestionLine(line)) {
    case QuestionLineKind::Ignored:
        return true;
    case QuestionLineKind::Radio:
        return writeOption(QuestionLineKind::Radio, line);
    case QuestionLineKind::CheckBox:
        return writeOption(QuestionLineKind::CheckBox, line);
    case QuestionLineKind::TextBox:
        m_line.clear();
        m_line.markup("<input type=\"text\" size=\"40\" name=\"")
            .attribute(m_number)
            .markup("\"><br>");
        return write(184);
    case QuestionLineKind::TextArea:
        m_line.clear();
        m_line.markup("<textarea name=\"")
            .attribute(m_number)
            .markup("\" rows=\"4\" cols=\"40\"></textarea><br>");
        return write(188);
    case QuestionLineKind::Header:
        return writeHeader(line);
    }
    return true;
}

bool QuestionTranslator::write(int label) {
    return m_output.write(label, m_line);
}

void QuestionTranslator::fault(int label) {
    m_output.fault(label, ErrorText::invalidProcedureCall(), m_currentNumber, m_current);
}

bool QuestionTranslator::writeOption(QuestionLineKind kind, QStringView line) {
    const bool radio = kind == QuestionLineKind::Radio;
    const int label = radio ? 176 : 180;
    if (!hasCharacters(line, MarkerLength)) {
        fault(label);
        return true;
    }
    const QStringView code = optionCode(line);
    m_line.clear();
    m_line.markup(radio ? "<input type=\"radio\" name=\"" : "<input type=\"checkbox\" name=\"")
        .attribute(m_number);
    // A radio option's code is its value; a check box has no value, so the code
    // joins the question number in its name.
    if (radio)
        m_line.markup("\" value=\"").attribute(code);
    else
        m_line.markup(")").attribute(code);
    m_line.markup("\">").text(line.mid(offsetOfCharacter(line, MarkerLength))).markup("<br>");
    return write(label);
}

bool QuestionTranslator::writeHeader(QStringView line) {
    if (line.size() < 2)
        fault(190);

    const HeaderNumber header = headerNumber(line);
    m_number = header.number;

    m_line.clear();
    m_line.markup("</p>");
    if (!write(208))
        return false;
    m_line.clear();
    m_line.markup("<hr>");
    if (!write(210))
        return false;
    const qsizetype consumed = 2 + header.characters; // bracket, number, bracket
    if (!hasCharacters(line, consumed)) {
        fault(212);
    } else {
        m_line.clear();
        m_line.markup("<p>")
            .text(m_number)
            .markup(") ")
            .text(line.mid(offsetOfCharacter(line, consumed)))
            .markup("<br>");
        if (!write(212))
            return false;
    }
    m_line.clear();
    m_line.markup("<br>");
    return write(214);
}

} // namespace Velmora
