#pragma once

#include <QColor>
#include <QString>

class QWidget;

namespace Velmora {

// WCAG's relative luminance and contrast ratio (1 to 21): body text wants 4.5:1,
// borders 3:1.
double relativeLuminance(const QColor &colour);
double contrastRatio(const QColor &a, const QColor &b);

// The skin file beside the program whose presence asks for the skinned look.
QString skinFilePath(const QString &programFolder);

// The look of the main window's design, without the skin: white window and
// frames, white buttons.
void applyPlainLook(QWidget &window);

// When the skin file exists, recolours the window and its frames to the desktop's
// button-face colour and gives the buttons the skinned theme. Returns whether the
// skin was applied.
bool applySkin(QWidget &window, const QString &programFolder);

} // namespace Velmora
