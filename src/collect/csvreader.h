#pragma once

// Reading CSV records in pieces.
#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

#include <functional>

namespace Velmora {

// Reads the records of an answers file (RFC 4180, CR LF, UTF-8 cells) piece by
// piece, so that a file of gigabytes is never held whole.
class CsvReader {
public:
    using Record = std::function<void(const QStringList &)>;
    explicit CsvReader(Record record)
        : m_record(std::move(record)) {}

    void feed(QByteArrayView bytes);
    // Bytes fed so far up to the end of the last complete record.
    qint64 completeUpTo() const { return m_complete; }

    // Every record of a file, read in pieces; false when it cannot be read.
    // `completeUpTo` tells where the last complete record ends.
    static bool readFile(const QString &path, const Record &record, qint64 *completeUpTo = nullptr,
                         QString *error = nullptr);

private:
    Record m_record;
    QStringList m_cells;
    QByteArray m_cell;
    qint64 m_offset = 0;   // bytes fed before the current piece
    qint64 m_complete = 0; // where the last complete record ends
    bool m_quoted = false;
    bool m_justClosed = false; // the last byte closed a quoted stretch
    bool m_afterCr = false;    // a CR outside quotes ended the last piece
    bool m_started = false;    // past a byte order mark, if any
    QByteArray m_head;         // the first bytes, while a byte order mark may be split
};

} // namespace Velmora
