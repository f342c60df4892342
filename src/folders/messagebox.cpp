#include "messagebox.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QShortcut>

namespace Velmora {

namespace {

// The texts keep CR LF and single CR as line breaks; the label wants LF.
QString displayText(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

MessageBox::MessageBox(const QString &caption, const QString &text, Platform::Icon icon,
                       QWidget *parent)
    : QMessageBox(icon == Platform::Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                  caption, displayText(text), QMessageBox::Ok, parent)
    , m_caption(caption)
    , m_text(displayText(text)) {
    setTextFormat(Qt::PlainText);
    // Sized to a short text alone ("Done.") the box is a sliver on some desktops.
    if (auto *grid = qobject_cast<QGridLayout *>(layout()))
        grid->addItem(new QSpacerItem(MinimumWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    auto *copy = new QShortcut(QKeySequence::Copy, this);
    connect(copy, &QShortcut::activated, this,
            [this] { QGuiApplication::clipboard()->setText(clipboardText()); });
}

QString MessageBox::clipboardText() const {
    // The layout desktop message boxes have used for decades, which support
    // staff recognise at a glance.
    const QString rule = QStringLiteral("---------------------------\n");
    return rule + m_caption + QLatin1Char('\n') + rule + m_text + QLatin1Char('\n') + rule +
           QStringLiteral("OK\n") + rule;
}

} // namespace Velmora
