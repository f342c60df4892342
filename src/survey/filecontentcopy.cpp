#include "filecontentcopy.h"

#include <QByteArray>

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace Velmora {

namespace {

// In the kernel (copy_file_range) is no faster than this unless the file system
// can share blocks, and FICLONE has already tried that.
int copyRange(int source, int destination, off_t from, off_t to) {
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    while (from < to) {
        const ssize_t got =
            ::pread(source, buffer.data(), size_t(std::min<off_t>(buffer.size(), to - from)), from);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            return 0; // the file shrank meanwhile
        for (ssize_t done = 0; done < got;) {
            const ssize_t put =
                ::pwrite(destination, buffer.constData() + done, size_t(got - done), from + done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                return errno;
            done += put;
        }
        from += got;
    }
    return 0;
}

} // namespace

int copyContent(int source, int destination, qint64 size) {
    if (::ioctl(destination, FICLONE, source) == 0)
        return 0;
    // Only the parts that hold data are copied; the holes between them are left
    // to the final length.
    off_t at = 0;
    while (at < size) {
        const off_t data = ::lseek(source, at, SEEK_DATA);
        if (data < 0 && errno == ENXIO)
            break; // nothing but a hole up to the end
        if (data < 0) {
            // No hole search here: everything counts as data.
            if (const int error = copyRange(source, destination, at, size))
                return error;
            break;
        }
        off_t hole = ::lseek(source, data, SEEK_HOLE);
        if (hole < 0 || hole > size)
            hole = size;
        if (const int error = copyRange(source, destination, data, hole))
            return error;
        at = hole;
    }
    if (::ftruncate(destination, size) != 0)
        return errno;
    return 0;
}

} // namespace Velmora
