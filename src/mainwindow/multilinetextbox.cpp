#include "multilinetextbox.h"

#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

namespace Velmora {

namespace {

// About what the box lays out in a few milliseconds: a keystroke never waits for
// more than one such piece.
constexpr qsizetype LoadPiece = 32 * 1024;

// What the box shows: every kind of line end becomes a line of its own.
// (QString::replace() moves the rest of the text at every line of a megabyte.)
QString linesOf(const QString &text) {
    QString lines(text.size(), Qt::Uninitialized);
    QChar *out = lines.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue; // the LF of the pair makes the line end
        *out++ = c == u'\r' ? QChar(u'\n') : c;
    }
    lines.truncate(out - lines.constData());
    return lines;
}

// `lines` with every `separator` written as CR LF.
void appendWithLineBreaks(QString &text, QStringView lines, QChar separator) {
    const qsizetype breaks = lines.count(separator);
    qsizetype at = text.size();
    text.resize(at + lines.size() + breaks);
    QChar *out = text.data() + at;
    for (const QChar c : lines) {
        if (c == separator) {
            *out++ = u'\r';
            *out++ = u'\n';
        } else {
            *out++ = c;
        }
    }
}

// Where the piece of `lines` that is shown next ends: at a line break, so that
// every piece adds whole lines.
qsizetype pieceEnd(const QString &lines) {
    if (lines.size() <= LoadPiece)
        return lines.size();
    const qsizetype lineBreak = lines.indexOf(QLatin1Char('\n'), LoadPiece);
    return lineBreak < 0 ? lines.size() : lineBreak;
}

} // namespace

MultiLineTextBox::MultiLineTextBox(QWidget *parent)
    : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Any edit after a fill (typing, pasting, undo) makes the lines the text again.
    connect(document(), &QTextDocument::contentsChange, this, [this] {
        if (!m_filling)
            m_exactText.reset();
    });
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_addingLines)
            emit changed();
    });
}

QString MultiLineTextBox::textOfLines() const {
    // toPlainText() would turn no-break spaces into blanks; the raw text keeps
    // every character and marks the lines with paragraph separators.
    QString text;
    appendWithLineBreaks(text, document()->toRawText(), QChar::ParagraphSeparator);
    appendWithLineBreaks(text, m_pendingLines, QLatin1Char('\n'));
    return text;
}

QString MultiLineTextBox::text() const {
    return m_exactText ? *m_exactText : textOfLines();
}

void MultiLineTextBox::rememberExactText(const QString &text) {
    if (textOfLines() != text)
        m_exactText = text;
    else
        m_exactText.reset();
}

void MultiLineTextBox::showLines(const QString &lines) {
    const qsizetype end = pieceEnd(lines);
    m_pendingLines = lines.mid(end);
    setPlainText(end == lines.size() ? lines : lines.left(end));
    if (isLoading()) {
        // Typing while the rest comes in is kept, but is not undone line by line
        // among the pieces: the history starts when the whole text is there.
        document()->setUndoRedoEnabled(false);
        QTimer::singleShot(0, this, [this] { loadMoreLines(); });
    }
}

void MultiLineTextBox::loadMoreLines(bool all) {
    if (!isLoading())
        return;
    const QScopedValueRollback filling(m_filling, true);
    const QScopedValueRollback adding(m_addingLines, true);
    const qsizetype end = all ? m_pendingLines.size() : pieceEnd(m_pendingLines);
    const QString piece = m_pendingLines.left(end);
    m_pendingLines.remove(0, end);

    // The person's cursor stays where it was, also when it was at the end.
    const int position = textCursor().position();
    const int anchor = textCursor().anchor();
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(piece);
    if (textCursor().position() != position || textCursor().anchor() != anchor) {
        QTextCursor kept(document());
        kept.setPosition(anchor);
        kept.setPosition(position, QTextCursor::KeepAnchor);
        setTextCursor(kept);
    }

    if (isLoading())
        QTimer::singleShot(0, this, [this] { loadMoreLines(); });
    else
        document()->setUndoRedoEnabled(true);
}

void MultiLineTextBox::keyPressEvent(QKeyEvent *event) {
    // Ctrl+End means the end of the whole text, not of the part shown so far.
    if (isLoading() && (event->matches(QKeySequence::MoveToEndOfDocument) ||
                        event->matches(QKeySequence::SelectEndOfDocument)))
        loadMoreLines(true);
    QPlainTextEdit::keyPressEvent(event);
}

void MultiLineTextBox::stopLoading() {
    if (!isLoading())
        return;
    m_pendingLines.clear();
    document()->setUndoRedoEnabled(true);
}

void MultiLineTextBox::setText(const QString &text) {
    stopLoading();
    const QScopedValueRollback filling(m_filling, true);
    // Known before the box changes, so the change rule stores the exact text.
    m_exactText = text;
    showLines(linesOf(text));
    rememberExactText(text);
}

void MultiLineTextBox::replaceText(const QString &text) {
    // Ctrl+Z must bring back the whole text being replaced, not the part shown.
    loadMoreLines(true);
    const QScopedValueRollback filling(m_filling, true);
    m_exactText = text;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(linesOf(text));
    cursor.endEditBlock();
    rememberExactText(text);
}

} // namespace Velmora
