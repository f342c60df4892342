#pragma once

#include <QSyntaxHighlighter>

namespace Velmora {

// Shows in the questions box what every line will become on the page: question
// headers, the four kinds of answer item, lines that write nothing (dimmed), and
// lines that "Start Creating Survey" would report (wavy underline). Only the
// look changes: the text, its undo history and the saving stay as they are.
class QuestionHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    explicit QuestionHighlighter(QTextDocument *document);

    // Plain words for a line that would be reported, with what it should look
    // like; empty for a sound line.
    static QString problemDescription(QStringView line);

protected:
    void highlightBlock(const QString &text) override;
};

} // namespace Velmora
