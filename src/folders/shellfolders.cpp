#include "shellfolders.h"

#include "runtimeerror.h"

namespace Velmora::Main {

QString GetSpecialFolderPath(Platform &platform, int folderId) {
    return folderId == CSIDL_DESKTOP ? platform.desktopFolder() : QString();
}

QString GetDesktopFolder(Platform &platform) {
    const QString path = GetSpecialFolderPath(platform, CSIDL_DESKTOP);
    if (path.isEmpty())
        throw RuntimeError(ErrorText::invalidProcedureCall());
    return path + QLatin1Char('/');
}

} // namespace Velmora::Main
