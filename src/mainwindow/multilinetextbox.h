#pragma once

#include <QPlainTextEdit>

#include <optional>

namespace Velmora {

// A word-wrapping text box whose text separates its lines by CR LF, as the page
// writer and the stored settings expect. Tab moves the focus on.
//
// The text is handed out exactly as it stands: a no-break space stays one, and a
// text that was set with line ends the box cannot show as they are (a CR or LF
// on its own) comes back as it was set until the person edits it.
//
// A long text is shown from its start at once and the rest of its lines are
// added while the window is idle, so that a window holding megabytes appears and
// takes keystrokes right away. text() hands out the whole text all along.
class MultiLineTextBox : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit MultiLineTextBox(QWidget *parent = nullptr);

    QString text() const;
    // Starts the box afresh with `text`: CR LF, and a CR or LF on its own, each
    // start a new line. The undo history starts here.
    void setText(const QString &text);
    // Replaces the whole text as one edit that Ctrl+Z takes back.
    void replaceText(const QString &text);
    // True while lines of a long text are still being added.
    bool isLoading() const { return !m_pendingLines.isEmpty(); }

signals:
    // What text() hands out has changed: an edit, or a new text set. Adding the
    // lines of a long text that text() already held is no change.
    void changed();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString textOfLines() const;
    // Keeps `text` to hand out while the box shows it, when its lines alone
    // would not give it back.
    void rememberExactText(const QString &text);
    // Shows the first lines of `lines` and keeps the rest for loadMoreLines().
    void showLines(const QString &lines);
    // Adds the next piece of the pending lines, or all of them.
    void loadMoreLines(bool all = false);
    void stopLoading();

    std::optional<QString> m_exactText;
    QString m_pendingLines; // not shown yet; starts with the line break before them
    bool m_filling = false;
    bool m_addingLines = false;
};

} // namespace Velmora
