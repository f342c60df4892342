#pragma once

#include "multilinetextbox.h"

namespace Velmora {

class QuestionHighlighter;

// The survey questions box: highlights what every line will become, and over a
// line that would be reported shows what is wrong with it.
class QuestionsTextBox : public MultiLineTextBox {
    Q_OBJECT

public:
    explicit QuestionsTextBox(QWidget *parent = nullptr);

protected:
    bool viewportEvent(QEvent *event) override;

private:
    QuestionHighlighter *m_highlighter;
};

} // namespace Velmora
