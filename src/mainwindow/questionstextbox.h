#pragma once

#include "multilinetextbox.h"

namespace Velmora {

class QuestionHighlighter;

// The survey questions box: highlights what every line will become, and over a
// line that would be reported shows what is wrong with it. Without a mouse the
// same words are the box's accessible description while the text cursor is on
// that line, and Ctrl+F1 shows them at the cursor.
class QuestionsTextBox : public MultiLineTextBox {
    Q_OBJECT

public:
    explicit QuestionsTextBox(QWidget *parent = nullptr);

    // What a screen reader says about the box when the cursor's line is sound.
    static QString markupDescription();

protected:
    bool viewportEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString problemAtCursor() const;
    void describeCursorLine();

    QuestionHighlighter *m_highlighter;
};

} // namespace Velmora
