#pragma once

#include <QPlainTextEdit>

#include <memory>
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
// takes keystrokes right away. text() hands out the whole text all along, and
// what acts on the whole text acts on all of it while it loads: Select All
// grows with the lines added, deleting or typing over it replaces the whole
// text, Ctrl+End follows the end (keys typed there wait until it is reached).
//
// Replacing the whole text of a long one (Select All and Delete, the sample
// survey) swaps in a new document instead of editing the old one, which would
// hold the window for seconds; Ctrl+Z, or Undo in the box's menu, brings the
// whole earlier text back as one step.
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
    // The box shows a new document; whatever decorates the old one moves over.
    void documentReplaced(QTextDocument *document);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QString textOfLines() const;
    // Keeps `text` to hand out while the box shows it, when its lines alone
    // would not give it back.
    void rememberExactText(const QString &text);
    // A new document showing the first lines of `lines`; the rest are kept for
    // loadMoreLines(). The old document is freed off the window's thread.
    void showLines(const QString &lines);
    void watch(QTextDocument *document);
    // Adds the next piece of the pending lines.
    void loadMoreLines();
    void finishedLoading();
    void stopLoading();
    bool selectsWholeText() const;
    // The text a key gives when it acts on the whole text selected; nothing when
    // the key edits nothing.
    std::optional<QString> replacementFor(QKeyEvent *event) const;
    void replaceWholeText(const QString &text);
    bool undoWholeText();
    bool redoWholeText();
    void undoOrRedo(bool undo);

    std::optional<QString> m_exactText;
    QString m_pendingLines; // not shown yet; starts with the line break before them
    bool m_filling = false;
    bool m_addingLines = false;
    bool m_followsEnd = false; // the cursor stays at the end as lines are added
    std::vector<std::unique_ptr<QKeyEvent>> m_keysAtTheEnd; // typed while following the end
    std::optional<QString> m_textBeforeReplacing;           // Ctrl+Z after a whole replacement
    std::optional<QString> m_textBeforeUndoing;             // and redo after that
};

} // namespace Velmora
