#pragma once

#include "platform.h"

#include <QMessageBox>

namespace Velmora {

// A message box with one OK button whose caption and text go to the clipboard on
// Ctrl+C, so an error report can be pasted into an e-mail.
class MessageBox : public QMessageBox {
    Q_OBJECT

public:
    MessageBox(const QString &caption, const QString &text, Platform::Icon icon,
               QWidget *parent = nullptr);

    // What Ctrl+C puts on the clipboard.
    QString clipboardText() const;

    static constexpr int MinimumWidth = 320;

private:
    QString m_caption;
    QString m_text;
};

} // namespace Velmora
