#pragma once

#include <QString>

// Small stateless routines on file-system paths. None of them shows a message:
// each answers through its result or quietly does nothing.
namespace Velmora {

// The folder part of a path up to and including its last separator; empty when it has none.
QString GetParentFolder(const QString &path);
// True when the path names an existing folder, with or without a closing separator.
bool FolderExists(const QString &path);
// True when the last-modified time of the path can be read.
bool FileExistsByDate(const QString &path);
// True when the path names an existing file (not a folder).
bool FileExistsByOpen(const QString &path);
// Collapses doubled separators; a leading double separator stays.
QString NormalizePath(const QString &path);
// Copies one file, replacing the destination; a destination ending in a separator
// names the folder to copy into. Failures are ignored.
void ScriptCopyFile(const QString &source, const QString &destination);
// Copies a single existing file into an existing folder, and otherwise does nothing.
void CopyFileChecked(const QString &source, const QString &destination);

} // namespace Velmora
