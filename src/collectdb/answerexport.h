#pragma once

// The database's answers written out as files.
#include "language.h"
#include <QByteArray>

#include <QString>

#include <functional>

namespace Velmora {

// Writes the answers in the database as the answers files and summaries that
// collecting into `folder` would have made: the same names, the same bytes.
// Files of the same surveys already there are replaced, each whole or not at
// all; the database is read as one moment (a repeatable-read transaction), in
// pieces. False with `error` set when it could not.
using ExportLog = std::function<void(const QString &)>;
// The summaries are in `words`'s language.
bool exportAnswers(const QByteArray &conninfo, const QString &folder, int mode,
                   const Language &words, const ExportLog &log, QString *error);

} // namespace Velmora
