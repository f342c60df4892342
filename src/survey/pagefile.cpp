#include "pagefile.h"

namespace Velmora {

namespace {
// Large pages go to the disk in chunks of this size rather than a line at a time.
constexpr qsizetype ChunkSize = 1 << 20;
} // namespace

PageFile::PageFile(const QString &path)
    : m_file(path) {}

void PageFile::open() {
    m_file.open();
    m_pending.reserve(ChunkSize + 4096);
}

void PageFile::appendLine(const QByteArray &line) {
    m_pending.append(line).append("\r\n", 2);
    if (m_pending.size() >= ChunkSize)
        flush();
}

void PageFile::commit() {
    flush();
    m_file.commit();
}

void PageFile::flush() {
    m_file.write(m_pending);
    m_pending.resize(0);
}

} // namespace Velmora
