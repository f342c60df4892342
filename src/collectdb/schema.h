#pragma once

#include "pgconnection.h"

namespace Velmora {

// The tables and views of velmora-collect in the schema "velmora", made or
// brought up to this version's schema; several collectors starting at once take
// turns. False with `error` set when the database cannot hold them (or was
// made by a newer version).
bool ensureSchema(PgConnection &connection, QString *error);

// The version of the schema this program makes.
inline constexpr int SchemaVersion = 1;

} // namespace Velmora
