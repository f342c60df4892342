#include "appearance.h"

#include <QApplication>

#include <QFileInfo>
#include <QPalette>
#include <QStringList>
#include <QWidget>
#include <cmath>

namespace Velmora {

namespace {

// Every colour of the window is chosen here, text and surfaces together, so
// that a dark desktop theme cannot put light text on the white frames. The
// selectors name the window's own controls: a style sheet set on the window
// reaches the message boxes and dialogs it opens too, and those keep the
// desktop's own look.
const QStringList Frames{"titleFrame",      "nameFrame",    "emailFrame",
                         "backgroundFrame", "messageFrame", "outputFolderFrame"};
const QStringList Buttons{"helpButton", "backgroundButton", "outputFolderButton", "sampleButton",
                          "createButton"};
const QStringList Boxes{"titleEdit", "questionsEdit", "backgroundEdit", "outputFolderEdit",
                        "nameEdit",  "emailEdit",     "messageEdit"};

QString selectors(const char *type, const QStringList &names, const char *tail = "") {
    QStringList list;
    for (const QString &name : names)
        list.append(QStringLiteral("%1#%2%3").arg(QLatin1String(type), name, QLatin1String(tail)));
    return list.join(QStringLiteral(", "));
}

QColor textOn(const QColor &surface) {
    return relativeLuminance(surface) > 0.18 ? QColor(0x1a, 0x1a, 0x1a) : QColor(0xf5, 0xf5, 0xf5);
}

// A border at least 3:1 against the surface it stands on.
QColor borderOn(const QColor &surface) {
    return relativeLuminance(surface) > 0.18 ? QColor(0x6b, 0x70, 0x79) : QColor(0xa8, 0xac, 0xb2);
}

QString styleSheet(const QColor &surface, const QColor &buttonTop, const QColor &buttonBottom) {
    const QColor text = textOn(surface);
    const QColor border = borderOn(surface);
    const QColor buttonText = textOn(buttonBottom);
    const QColor buttonBorder = borderOn(buttonBottom);
    return QStringLiteral("QWidget#SurveyWindow { background: %1; color: %2; }\n")
               .arg(surface.name(), text.name()) +
           QStringLiteral("%1 { background: %2; color: %3; border: 1px solid %4;"
                          " border-radius: 4px; margin-top: 7px; }\n")
               .arg(selectors("QGroupBox", Frames), surface.name(), text.name(), border.name()) +
           QStringLiteral("%1 { subcontrol-origin: margin; subcontrol-position: top left;"
                          " left: 8px; padding: 0 3px; color: %2; }\n")
               .arg(selectors("QGroupBox", Frames, "::title"), text.name()) +
           QStringLiteral("%1 { color: %2; border: 1px solid %3; border-radius: 4px; background:"
                          " qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %4, stop:1 %5); }\n")
               .arg(selectors("QPushButton", Buttons), buttonText.name(), buttonBorder.name(),
                    buttonTop.name(), buttonBottom.name()) +
           QStringLiteral("%1 { border-color: #1f5fa8; }\n")
               .arg(selectors("QPushButton", Buttons, ":hover")) +
           QStringLiteral("%1 { background: %2; }\n")
               .arg(selectors("QPushButton", Buttons, ":pressed"), buttonBottom.name()) +
           QStringLiteral("%1 { border: 2px solid #1f5fa8; }\n")
               .arg(selectors("QPushButton", Buttons, ":focus")) +
           // The text boxes are white with black text on every desktop: the
           // question colours are made for white.
           QStringLiteral("%1, %2 { background: #ffffff; color: #000000; border: 1px solid %3;"
                          " selection-background-color: #1f5fa8; selection-color: #ffffff; }\n")
               .arg(selectors("QLineEdit", Boxes), selectors("QPlainTextEdit", Boxes),
                    QColor(0x6b, 0x70, 0x79).name()) +
           QStringLiteral("%1, %2 { border: 2px solid #1f5fa8; }\n")
               .arg(selectors("QLineEdit", Boxes, ":focus"),
                    selectors("QPlainTextEdit", Boxes, ":focus"));
}

} // namespace

double relativeLuminance(const QColor &colour) {
    const auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

double contrastRatio(const QColor &a, const QColor &b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QString skinFilePath(const QString &programFolder) {
    return programFolder + QStringLiteral("/x/o.cjs");
}

void applyPlainLook(QWidget &window) {
    window.setStyleSheet(styleSheet(Qt::white, Qt::white, QColor(0xf3, 0xf4, 0xf6)));
}

bool applySkin(QWidget &window, const QString &programFolder) {
    if (!QFileInfo(skinFilePath(programFolder)).isFile())
        return false;
    // The style sheet gives the window and every frame the desktop's button face.
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    window.setStyleSheet(styleSheet(buttonFace, buttonFace.lighter(112), buttonFace.darker(108)));
    return true;
}

} // namespace Velmora
