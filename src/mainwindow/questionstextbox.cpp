#include "questionstextbox.h"

#include "questionhighlighter.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QTextBlock>
#include <QToolTip>

namespace Velmora {

QuestionsTextBox::QuestionsTextBox(QWidget *parent)
    : MultiLineTextBox(parent)
    , m_highlighter(new QuestionHighlighter(document())) {
    // Owned by the box: the documents it colours come and go.
    m_highlighter->setParent(this);
    connect(this, &MultiLineTextBox::documentReplaced, m_highlighter,
            &QuestionHighlighter::setDocument);
    setAccessibleName(QStringLiteral("Survey Questions"));
    setAccessibleDescription(markupDescription());
    connect(this, &QPlainTextEdit::cursorPositionChanged, this,
            &QuestionsTextBox::describeCursorLine);
    connect(this, &QPlainTextEdit::textChanged, this, &QuestionsTextBox::describeCursorLine);
}

QString QuestionsTextBox::markupDescription() {
    return QStringLiteral("One item per line. [1] starts question 1; under it, [r] a) Yes is a "
                          "radio button, [c] a) Good a check box, [s] a one-line text box and "
                          "[l] a text area. Other lines write nothing. Ctrl+F1 tells what is "
                          "wrong with the line at the cursor.");
}

QString QuestionsTextBox::problemAtCursor() const {
    return QuestionHighlighter::problemDescription(textCursor().block().text());
}

void QuestionsTextBox::describeCursorLine() {
    const QString problem = problemAtCursor();
    const QString description = problem.isEmpty() ? markupDescription() : problem;
    if (accessibleDescription() != description)
        setAccessibleDescription(description); // screen readers are told of the change
}

void QuestionsTextBox::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::ControlModifier) {
        const QString problem = problemAtCursor();
        const QRect line = cursorRect();
        QToolTip::showText(viewport()->mapToGlobal(line.bottomLeft()),
                           problem.isEmpty() ? QStringLiteral("This line is fine.") : problem,
                           viewport(), line);
        return;
    }
    MultiLineTextBox::keyPressEvent(event);
}

bool QuestionsTextBox::viewportEvent(QEvent *event) {
    if (event->type() != QEvent::ToolTip)
        return MultiLineTextBox::viewportEvent(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QTextBlock block = cursorForPosition(help->pos()).block();
    const QRectF line = blockBoundingGeometry(block).translated(contentOffset());
    const QString problem = line.contains(help->pos())
                                ? QuestionHighlighter::problemDescription(block.text())
                                : QString();
    if (problem.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), problem, viewport(), line.toRect());
    return true;
}

} // namespace Velmora
