#include "fileroutines.h"

#include "durablefile.h"

#include <QFileInfo>

namespace Velmora {

namespace {

const QChar Separator = QLatin1Char('/');

QString collapseDoubledSeparators(QStringView path) {
    // One left-to-right pass that never looks at replaced text again, so a run of
    // three separators becomes two, as people's stored paths expect.
    QString result;
    result.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        result.append(path[i]);
        if (path[i] == Separator && i + 1 < path.size() && path[i + 1] == Separator)
            ++i;
    }
    return result;
}

bool isSameFile(const QString &a, const QString &b) {
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

} // namespace

QString parentFolderOf(const QString &path) {
    const qsizetype last = path.lastIndexOf(Separator);
    return last < 0 ? QString() : path.left(last + 1);
}

bool folderExists(const QString &path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool fileExistsByDate(const QString &path) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

bool fileExistsByOpen(const QString &path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString normalizePath(const QString &path) {
    // A path that starts with two separators names a network location: it keeps
    // exactly two. Any other path, the root "/" included, only loses doubles.
    if (!path.startsWith(QStringLiteral("//")))
        return collapseDoubledSeparators(path);
    qsizetype rest = 2;
    while (rest < path.size() && path[rest] == Separator)
        ++rest;
    return QStringLiteral("//") + collapseDoubledSeparators(QStringView(path).mid(rest));
}

void copyFileReplacing(const QString &source, const QString &destination) {
    QString target = destination;
    if (target.endsWith(Separator))
        target += QFileInfo(source).fileName();
    if (isSameFile(source, target))
        return;
    copyFileDurably(source, target);
}

void copyFileIntoFolder(const QString &source, const QString &destination) {
    if (destination.trimmed().isEmpty() || source.trimmed().isEmpty())
        return;
    const QString from = normalizePath(source);
    const QString to = normalizePath(destination);
    const bool sourceIsFile = fileExistsByOpen(from);
    const bool targetFolderExists = folderExists(parentFolderOf(to));
    // A source that is there but is no file (a folder, a FIFO) is tried too, so
    // that the reason it cannot be copied reaches the person.
    if (targetFolderExists && (sourceIsFile || QFileInfo::exists(from)))
        copyFileReplacing(from, to);
}

} // namespace Velmora
