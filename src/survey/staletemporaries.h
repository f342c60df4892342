#pragma once

#include <QByteArray>

namespace Velmora {

// The name a durable write gives its file while it is not complete yet.
QByteArray temporaryFileName(const QByteArray &folder);
bool isTemporaryFileName(const QByteArray &name);

// Removes the temporary files that writes killed half-way left in `folder`, once
// per folder and run. A file is taken only when no running writer holds its lock
// and it has not been touched for a minute, so a copy of the program that is
// still writing keeps its file.
void removeStaleTemporaryFiles(const QByteArray &folder);

} // namespace Velmora
