#pragma once

#include "platform.h"

namespace Velmora {

// Shows the modal folder dialog with `initialFolder` selected (when it exists) and
// returns the chosen folder without a trailing separator (the root keeps its own),
// or the empty text when the person cancels.
QString browseForFolder(Platform &platform, const QString &title, const QString &initialFolder);

} // namespace Velmora
