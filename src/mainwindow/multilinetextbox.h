#pragma once

#include <QPlainTextEdit>

namespace Velmora {

// A word-wrapping text box whose text separates its lines by CR LF, as the page
// writer and the stored settings expect. Tab moves the focus on.
class MultiLineTextBox : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit MultiLineTextBox(QWidget *parent = nullptr);

    QString text() const;
    // CR LF, and a CR or LF on its own, each start a new line.
    void setText(const QString &text);
};

} // namespace Velmora
