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

private:
    QString textOfLines() const;
    // Keeps `text` to hand out while the box shows it, when its lines alone
    // would not give it back.
    void rememberExactText(const QString &text);

    std::optional<QString> m_exactText;
    bool m_filling = false;
};

} // namespace Velmora
