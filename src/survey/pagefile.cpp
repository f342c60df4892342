#include "pagefile.h"

#include "runtimeerror.h"

namespace Velmora {

namespace {
// Large pages go to the disk in chunks of this size rather than a line at a time.
constexpr qsizetype ChunkSize = 1 << 20;
} // namespace

PageFile::PageFile(const QString &path)
    : m_file(path) {}

void PageFile::open() {
    if (!m_file.open(QIODevice::WriteOnly))
        fail();
    m_pending.reserve(ChunkSize + 4096);
}

void PageFile::appendLine(const QByteArray &line) {
    m_pending.append(line).append("\r\n", 2);
    if (m_pending.size() >= ChunkSize)
        flush();
}

void PageFile::commit() {
    flush();
    if (!m_file.commit())
        fail();
}

void PageFile::flush() {
    if (m_file.write(m_pending) != m_pending.size())
        fail();
    m_pending.resize(0);
}

void PageFile::fail() {
    const QString description = m_file.errorString();
    m_file.cancelWriting();
    throw RuntimeError(description);
}

} // namespace Velmora
