#pragma once

// The velmora schema.
#include "pgconnection.h"

#include <QString>

namespace Velmora {

// The tables and views of velmora-collect in the schema "velmora", made or
// brought up to this version's schema; several collectors starting at once take
// turns. False with `error` set when the database cannot hold them (or was
// made by a newer version).
bool ensureSchema(PgConnection &connection, QString *error);

// The version of the schema this program makes.
inline constexpr int SchemaVersion = 4;

// The key of a survey's columns in SQL, given the expression of its text[]: the
// same in the schema's upgrade and in every insert.
#define VELMORA_COLUMNS_KEY(columns) "sha256(convert_to(array_to_json(" columns ")::text, 'UTF8'))"

// SQL for the cell of velmora.answers that holds column `column` of an answer
// row (AnswerSheet::row(): "Page made" is 1, the first answer FirstAnswer).
QByteArray answerCell(qsizetype column);

// SQL for a timestamptz as whole seconds since 1970, which receivedText() says
// as the Received column does, in this computer's time zone.
QByteArray epochSeconds(const QByteArray &timestamp);
QString receivedText(qint64 seconds);

} // namespace Velmora
