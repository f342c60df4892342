#pragma once

#include "platform.h"

namespace Velmora {

constexpr int DesktopFolderId = 0;

// The path of a special folder without a trailing separator; empty when it cannot
// be resolved. The desktop is the only special folder the program names.
QString specialFolderPath(Platform &platform, int folderId);
// The desktop folder followed by one separator. Throws RuntimeError when the
// desktop cannot be resolved.
QString desktopFolderWithSeparator(Platform &platform);

} // namespace Velmora
