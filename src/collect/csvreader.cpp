// Reading CSV records in pieces, whatever their size.
#include "csvreader.h"

#include <QFile>

namespace Velmora {

namespace {
constexpr QByteArrayView ByteOrderMark = "\xEF\xBB\xBF";
constexpr qint64 ReadSize = 1 << 20;
} // namespace

void CsvReader::feed(QByteArrayView bytes) {
    if (!m_started) {
        m_head += bytes;
        if (m_head.size() < ByteOrderMark.size() && ByteOrderMark.startsWith(m_head))
            return; // perhaps the start of a byte order mark
        m_started = true;
        const QByteArray head = std::exchange(m_head, QByteArray());
        const qsizetype skip = head.startsWith(ByteOrderMark) ? ByteOrderMark.size() : 0;
        m_offset = m_complete = skip;
        feed(QByteArrayView(head).sliced(skip));
        return;
    }
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const bool justClosed = std::exchange(m_justClosed, false);
        if (m_afterCr) {
            m_afterCr = false;
            if (c == '\n') {
                m_cells.append(QString::fromUtf8(m_cell));
                m_cell.clear();
                m_record(m_cells);
                m_cells.clear();
                m_complete = m_offset + i + 1;
                continue;
            }
            m_cell += '\r';
        }
        if (m_quoted) {
            if (c == '"') {
                m_quoted = false;
                m_justClosed = true;
            } else {
                m_cell += c;
            }
        } else if (c == '"') {
            // Inside a cell "" stands for one quote: the quote that closed a
            // moment ago was the first of the two.
            if (justClosed)
                m_cell += '"';
            m_quoted = true;
        } else if (c == ',') {
            m_cells.append(QString::fromUtf8(m_cell));
            m_cell.clear();
        } else if (c == '\r') {
            m_afterCr = true;
        } else {
            m_cell += c;
        }
    }
    m_offset += bytes.size();
}

bool CsvReader::readFile(const QString &path, const Record &record, qint64 *completeUpTo,
                         QString *error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1 (%2)").arg(file.errorString(), path);
        return false;
    }
    CsvReader reader(record);
    QByteArray buffer(ReadSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(buffer.data(), ReadSize);
        if (got < 0) {
            if (error)
                *error = QStringLiteral("%1 (%2)").arg(file.errorString(), path);
            return false;
        }
        if (got == 0)
            break;
        reader.feed(QByteArrayView(buffer.constData(), got));
    }
    reader.feed({}); // a file shorter than a byte order mark
    if (completeUpTo)
        *completeUpTo = reader.completeUpTo();
    return true;
}

} // namespace Velmora
