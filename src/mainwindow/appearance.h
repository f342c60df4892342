#pragma once

#include <QString>

class QWidget;

namespace Velmora {

// The skin file beside the program whose presence asks for the skinned look.
QString SkinFilePath(const QString &programFolder);

// The look of the main window's design, without the skin: white window and
// frames, white buttons.
void ApplyPlainLook(QWidget &window);

// When the skin file exists, recolours the window and its frames to the desktop's
// button-face colour and gives the buttons the skinned theme. Returns whether the
// skin was applied.
bool ApplySkin(QWidget &window, const QString &programFolder);

} // namespace Velmora
