#include "browseforfolder.h"

#include <QDir>

namespace Velmora {

QString browseForFolder(Platform &platform, const QString &title, const QString &initialFolder) {
    const QString chosen = platform.existingDirectory(title, initialFolder);
    if (chosen.isEmpty())
        return {};
    const QString path = QDir::fromNativeSeparators(chosen);
    return path.size() > 1 && path.endsWith(QLatin1Char('/')) ? path.chopped(1) : path;
}

} // namespace Velmora
