#include "pagefile.h"

#include <cstring>

namespace Velmora {

namespace {
// Large pages go to the disk in chunks of this size rather than a line at a time.
constexpr size_t ChunkSize = 1 << 20;
// Chunks made but not written yet: the page being made never runs far ahead.
constexpr size_t QueueLimit = 4;
} // namespace

PageFile::PageFile(const QString &path)
    : m_file(path) {}

PageFile::~PageFile() {
    stopWriter();
}

void PageFile::open() {
    m_file.open();
    m_pending.reserve(ChunkSize + 4096);
}

void PageFile::appendLine(QByteArrayView line) {
    const size_t at = m_pending.size();
    m_pending.resize(at + size_t(line.size()) + 2);
    char *out = m_pending.data() + at;
    std::memcpy(out, line.data(), size_t(line.size()));
    out[line.size()] = '\r';
    out[line.size() + 1] = '\n';
    if (m_pending.size() >= ChunkSize)
        handOver();
}

void PageFile::commit() {
    if (m_writer.joinable()) {
        handOver();
        stopWriter();
        throwWriterFailure();
    } else {
        m_file.write(QByteArrayView(m_pending.data(), qsizetype(m_pending.size())));
    }
    m_pending.clear();
    m_file.commit();
}

void PageFile::handOver() {
    if (!m_writer.joinable())
        m_writer = std::thread([this] { writeLoop(); });
    std::string next;
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queue.size() < QueueLimit || m_failure; });
        if (m_failure) {
            lock.unlock();
            throwWriterFailure();
        }
        m_queue.push_back(std::move(m_pending));
        if (!m_spare.empty()) {
            next = std::move(m_spare.back());
            m_spare.pop_back();
        }
    }
    m_changed.notify_all();
    m_pending = std::move(next);
    m_pending.clear();
    m_pending.reserve(ChunkSize + 4096);
}

void PageFile::writeLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_queue.empty() || m_stopping; });
        if (m_queue.empty())
            return;
        std::string chunk = std::move(m_queue.front());
        m_queue.erase(m_queue.begin());
        if (!m_failure) {
            lock.unlock();
            try {
                m_file.write(QByteArrayView(chunk.data(), qsizetype(chunk.size())));
            } catch (...) {
                lock.lock();
                m_failure = std::current_exception();
                lock.unlock();
            }
            lock.lock();
        }
        chunk.clear();
        m_spare.push_back(std::move(chunk));
        m_changed.notify_all();
    }
}

void PageFile::stopWriter() {
    if (!m_writer.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_writer.join();
}

void PageFile::throwWriterFailure() {
    std::exception_ptr failure;
    {
        std::lock_guard lock(m_mutex);
        failure = m_failure;
    }
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace Velmora
