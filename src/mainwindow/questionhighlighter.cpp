#include "questionhighlighter.h"

#include "questionline.h"

namespace Velmora {

namespace {

QTextCharFormat colour(const char *name, bool bold = false) {
    QTextCharFormat format;
    format.setForeground(QColor(QLatin1String(name)));
    if (bold)
        format.setFontWeight(QFont::Bold);
    return format;
}

// Restrained colours, each at least 4.5:1 on the white box (and on the faint red
// of a faulty line).
QTextCharFormat markerFormat(QuestionLineKind kind) {
    switch (kind) {
    case QuestionLineKind::Header:
        return colour("#b34d12", true);
    case QuestionLineKind::Radio:
        return colour("#2f5fa7", true);
    case QuestionLineKind::CheckBox:
        return colour("#7a4a9e", true);
    case QuestionLineKind::TextBox:
    case QuestionLineKind::TextArea:
        return colour("#226b43", true);
    case QuestionLineKind::Ignored:
        break;
    }
    return colour("#5f6368");
}

QTextCharFormat restFormat(QuestionLineKind kind) {
    switch (kind) {
    case QuestionLineKind::Header:
        return colour("#1d2a36", true);
    case QuestionLineKind::TextBox:
    case QuestionLineKind::TextArea:
    case QuestionLineKind::Ignored:
        return colour("#5f6368"); // never reaches the page
    default:
        return colour("#1d2a36");
    }
}

// The marker is the bracketed part: "[r]", "[12]".
qsizetype markerLength(QStringView line) {
    const qsizetype close = line.indexOf(u']');
    return close >= 0 && close <= 4 ? close + 1 : qMin<qsizetype>(line.size(), 3);
}

} // namespace

QuestionHighlighter::QuestionHighlighter(QTextDocument *document)
    : QSyntaxHighlighter(document) {}

QString QuestionHighlighter::problemDescription(QStringView line) {
    const QuestionLineDiagnosis diagnosis = diagnoseQuestionLine(line);
    if (!diagnosis.headerShownAs.isEmpty())
        return tr("This question number has no closing bracket, so the page shows \"%1\". "
                  "Write it as \"[1] What product did you test?\".")
            .arg(diagnosis.headerShownAs);
    if (diagnosis.faultLabels.isEmpty())
        return {};
    switch (diagnosis.kind) {
    case QuestionLineKind::Radio:
        return tr("This radio button has no closing bracket. Write it as \"[r] a) Yes\".");
    case QuestionLineKind::CheckBox:
        return tr("This check box has no closing bracket. Write it as \"[c] a) Good\".");
    default:
        return line.size() < 2
                   ? tr("A \"[\" alone is neither a question nor an answer. Start a question "
                        "with its number, as in \"[1] What product did you test?\".")
                   : tr("This question number has no closing bracket. Write it as "
                        "\"[1] What product did you test?\".");
    }
}

void QuestionHighlighter::highlightBlock(const QString &text) {
    const QuestionLineDiagnosis diagnosis = diagnoseQuestionLine(text);
    const qsizetype marker = diagnosis.kind == QuestionLineKind::Ignored ? 0 : markerLength(text);
    setFormat(0, int(marker), markerFormat(diagnosis.kind));
    setFormat(int(marker), int(text.size() - marker), restFormat(diagnosis.kind));
    if (!diagnosis.faultLabels.isEmpty() || !diagnosis.headerShownAs.isEmpty()) {
        // A line of one or two characters needs more than its underline to be seen.
        QTextCharFormat fault = colour("#c62828", true);
        fault.setBackground(QColor(0xfd, 0xec, 0xea));
        fault.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        fault.setUnderlineColor(QColor(0xd0, 0x31, 0x2d));
        setFormat(0, int(text.size()), fault);
    }
}

} // namespace Velmora
