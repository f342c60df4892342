#include "fileroutines.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

QString GetParentFolder(const QString &path) {
    const qsizetype last = path.lastIndexOf(Separator);
    return last < 0 ? QString() : path.left(last + 1);
}

bool FolderExists(const QString &path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool FileExistsByDate(const QString &path) {
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.lastModified().isValid();
}

bool FileExistsByOpen(const QString &path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString NormalizePath(const QString &path) {
    // A path that starts with two separators names a network location: it keeps
    // exactly two. Any other path, the root "/" included, only loses doubles.
    if (!path.startsWith(QStringLiteral("//")))
        return collapseDoubledSeparators(path);
    qsizetype rest = 2;
    while (rest < path.size() && path[rest] == Separator)
        ++rest;
    return QStringLiteral("//") + collapseDoubledSeparators(QStringView(path).mid(rest));
}

void ScriptCopyFile(const QString &source, const QString &destination) {
    QString target = destination;
    if (target.endsWith(Separator))
        target += QFileInfo(source).fileName();
    if (isSameFile(source, target))
        return;

    QFile in(source);
    if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly))
        return;
    // Readers of the destination see either the old picture or the whole new one.
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return;
    constexpr qint64 ChunkSize = 1 << 20;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(ChunkSize);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError) {
            out.cancelWriting();
            break;
        }
        if (out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            break;
        }
    }
    out.commit();
}

void CopyFileChecked(const QString &source, const QString &destination) {
    if (destination.trimmed().isEmpty() || source.trimmed().isEmpty())
        return;
    const QString from = NormalizePath(source);
    const QString to = NormalizePath(destination);
    const bool sourceIsFile = FileExistsByOpen(from);
    const bool folderExists = FolderExists(GetParentFolder(to));
    if (sourceIsFile && folderExists)
        ScriptCopyFile(from, to);
}

} // namespace Velmora
