#include "questionstextbox.h"

#include "questionhighlighter.h"

#include <QHelpEvent>
#include <QTextBlock>
#include <QToolTip>

namespace Velmora {

QuestionsTextBox::QuestionsTextBox(QWidget *parent)
    : MultiLineTextBox(parent)
    , m_highlighter(new QuestionHighlighter(document())) {}

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
