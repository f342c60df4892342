#include "shellfolders.h"

#include "runtimeerror.h"

namespace Velmora {

QString specialFolderPath(Platform &platform, int folderId) {
    return folderId == DesktopFolderId ? platform.desktopFolder() : QString();
}

QString desktopFolderWithSeparator(Platform &platform) {
    const QString path = specialFolderPath(platform, DesktopFolderId);
    if (path.isEmpty())
        throw RuntimeError(ErrorText::invalidProcedureCall());
    return path + QLatin1Char('/');
}

} // namespace Velmora
