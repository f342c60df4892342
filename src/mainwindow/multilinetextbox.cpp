#include "multilinetextbox.h"

namespace Velmora {

MultiLineTextBox::MultiLineTextBox(QWidget *parent)
    : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

QString MultiLineTextBox::text() const {
    return toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

void MultiLineTextBox::setText(const QString &text) {
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setPlainText(plain);
}

} // namespace Velmora
