#pragma once

#include "durablefile.h"

#include <QByteArrayView>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Velmora {

// The page file on disk. The lines go to a temporary file that takes the place of
// an older page only when the whole new page is on the disk, so a failure never
// leaves a truncated page behind. Failures throw RuntimeError.
//
// A large page is written by a thread of its own while its next lines are being
// made; a failure there is thrown by the next appendLine() or by commit().
class PageFile {
public:
    explicit PageFile(const QString &path);
    ~PageFile();
    PageFile(const PageFile &) = delete;
    PageFile &operator=(const PageFile &) = delete;

    void open();
    // Appends the line and its CR LF.
    void appendLine(QByteArrayView line);
    void commit();

private:
    void handOver();
    void writeLoop();
    void stopWriter();
    void throwWriterFailure();

    DurableFile m_file;
    std::string m_pending; // cheaper per line than a QByteArray

    std::thread m_writer; // started by the first full chunk
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_queue; // chunks waiting for the writer, oldest first
    std::vector<std::string> m_spare; // written chunks, to be filled again
    std::exception_ptr m_failure;
    bool m_stopping = false;
};

} // namespace Velmora
