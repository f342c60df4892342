#pragma once

#include <QString>

// Small stateless routines on file-system paths. None of them shows a message:
// each answers through its result, and only a copy that was tried and failed
// throws RuntimeError, for the command to report.
namespace Velmora {

// The folder part of a path up to and including its last separator; empty when it has none.
QString parentFolderOf(const QString &path);
// True when the path names an existing folder, with or without a closing separator.
bool folderExists(const QString &path);
// True when the last-modified time of the path can be read.
bool fileExistsByDate(const QString &path);
// True when the path names an existing file (not a folder).
bool fileExistsByOpen(const QString &path);
// Collapses doubled separators; a leading double separator stays.
QString normalizePath(const QString &path);
// Copies one file, replacing the destination only with a complete copy; a
// destination ending in a separator names the folder to copy into. Copying a file
// onto itself leaves it untouched. Failures throw RuntimeError.
void copyFileReplacing(const QString &source, const QString &destination);
// Copies what the source names into an existing folder; a missing source or
// folder, or a blank text, copies nothing. Failures throw RuntimeError.
void copyFileIntoFolder(const QString &source, const QString &destination);

} // namespace Velmora
