#pragma once

#include "platform.h"

#include <QCursor>
#include <QIcon>
#include <QString>

namespace Velmora {

// The caption of message boxes that name no title of their own: the product name
// cut at its last blank until it is at most 40 characters long. A name without a
// blank is used whole.
QString deriveApplicationTitle(const QString &productName);

// On one start in a hundred, opens the maker's home page in the browser.
// Throws RuntimeError when the desktop cannot open it.
void openHomePageSometimes(Platform &platform, const QString &address);

// The program's own icon in the sizes window managers show (16 to 64 pixels).
QIcon programIcon();

// Loads a Windows cursor file with the hot spot it records. Throws RuntimeError
// when the file holds no cursor picture.
// Drawn at `devicePixelRatio` times its size, so it matches the themed pointers.
QCursor loadCursorFile(const QString &path, qreal devicePixelRatio = 1.0);

} // namespace Velmora
