#pragma once

#include "mousepointer.h"
#include "platform.h"

#include <functional>

namespace Velmora {

using SetFieldText = std::function<void(const QString &)>;
using SetMousePointer = std::function<void(MousePointer)>;

// The Open-file dialog's filter: the five picture types, in any letter case.
QString pictureFilter();

// "..." beside the background picture: puts the chosen picture's full path into
// the field. Cancelling changes nothing.
void chooseBackgroundPicture(Platform &platform, const QString &currentPicture,
                             const SetFieldText &setBackground, const SetMousePointer &setPointer);

// "..." beside the output folder: puts the chosen folder into the field, ending in
// exactly one separator. The dialog starts at `lastFolderDot()`.
void chooseOutputFolder(Platform &platform, const std::function<QString()> &lastFolderDot,
                        const SetFieldText &setOutputFolder, const SetMousePointer &setPointer);

} // namespace Velmora
