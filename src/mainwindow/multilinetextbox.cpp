#include "multilinetextbox.h"

#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>

namespace Velmora {

namespace {

const QString LineBreak = QStringLiteral("\r\n");

// What the box shows: every kind of line end becomes a line of its own.
QString linesOf(const QString &text) {
    QString plain = text;
    plain.replace(LineBreak, QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return plain;
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
}

QString MultiLineTextBox::textOfLines() const {
    // toPlainText() would turn no-break spaces into blanks; the raw text keeps
    // every character and marks the lines with paragraph separators.
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, LineBreak);
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

void MultiLineTextBox::setText(const QString &text) {
    const QScopedValueRollback filling(m_filling, true);
    // Known before the box changes, so the change rule stores the exact text.
    m_exactText = text;
    setPlainText(linesOf(text));
    rememberExactText(text);
}

void MultiLineTextBox::replaceText(const QString &text) {
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
