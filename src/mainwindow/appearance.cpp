#include "appearance.h"

#include <QApplication>
#include <QFileInfo>
#include <QPalette>
#include <QWidget>

namespace Velmora {

namespace {

QString styleSheet(const QColor &surface, const QColor &buttonTop, const QColor &buttonBottom) {
    return QStringLiteral(
               "#Form1 { background: %1; }"
               "QGroupBox { background: %1; border: 1px solid #c9ccd1; border-radius: 4px;"
               " margin-top: 7px; }"
               "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
               " left: 8px; padding: 0 3px; color: %4; }"
               "QPushButton { color: %4; border: 1px solid #b4b8bf; border-radius: 4px;"
               " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %2, stop:1 %3); }"
               "QPushButton:hover { border-color: #6f8fbf; }"
               "QPushButton:pressed { background: %3; }"
               "QPushButton:focus { border: 1px solid #3d6fb6; }")
        .arg(surface.name(), buttonTop.name(), buttonBottom.name(),
             QApplication::palette().color(QPalette::ButtonText).name());
}

} // namespace

QString SkinFilePath(const QString &programFolder) {
    return programFolder + QStringLiteral("/x/o.cjs");
}

void ApplyPlainLook(QWidget &window) {
    window.setStyleSheet(styleSheet(Qt::white, Qt::white, QColor(0xf3, 0xf4, 0xf6)));
}

bool ApplySkin(QWidget &window, const QString &programFolder) {
    if (!QFileInfo(SkinFilePath(programFolder)).isFile())
        return false;
    // The style sheet gives the window and every frame the desktop's button face.
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    window.setStyleSheet(styleSheet(buttonFace, buttonFace.lighter(112), buttonFace.darker(108)));
    return true;
}

} // namespace Velmora
