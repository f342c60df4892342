#pragma once

// How answers are keyed and their cells written in the database, for the
// writers and the reader alike.
#include "answersheet.h"
#include "pgconnection.h"
#include "schema.h"

#include <QString>
#include <QStringList>

namespace Velmora {

// One version of a survey's answers: its page file and header.
inline QString surveyKey(const QString &pageFile, const QStringList &header) {
    return pageFile + QChar(0x1e) + header.join(QChar(0x1f));
}

// Option values as cells hold them: written by joinValues().
inline QStringList asInCells(const QStringList &values) {
    QStringList escaped;
    for (const QString &value : values)
        escaped.append(joinValues({value}));
    return escaped;
}

// A time of the first row as the answers file writes it; empty for NULL.
inline QString received(const PgResult &result, int column) {
    return result.isNull(0, column) ? QString() : receivedText(result.number(0, column));
}

} // namespace Velmora
