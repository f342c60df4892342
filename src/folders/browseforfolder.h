#pragma once

#include "platform.h"

namespace Velmora::AddFolder {

// Shows the modal folder dialog with `initialFolder` selected (when it exists) and
// returns the chosen folder without a trailing separator (the root keeps its own),
// or the empty text when the person cancels.
QString BrowseForFolder(Platform &platform, const QString &title, const QString &initialFolder);

} // namespace Velmora::AddFolder
