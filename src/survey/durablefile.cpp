#include "durablefile.h"

#include "filecontentcopy.h"
#include "runtimeerror.h"
#include "staletemporaries.h"

#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Velmora {

namespace {

constexpr qsizetype WritebackSize = 256 * 1024;

[[noreturn]] void throwFileError(int error, const QString &path) {
    throw RuntimeError(fileErrorText(error, path));
}

QByteArray folderOf(const QByteArray &file) {
    const qsizetype slash = file.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : file.left(slash);
}

// Writes all of `bytes`, going on after short writes and interruptions.
bool writeAll(int fd, QByteArrayView bytes) {
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// The rename is only as durable as the folder entry that records it.
void syncFolder(const QByteArray &folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

QString fileErrorText(int error, const QString &path) {
    return QStringLiteral("%1 (%2)").arg(qt_error_string(error), path);
}

DurableFile::DurableFile(QString path, int mode)
    : m_path(std::move(path))
    , m_mode(mode) {}

DurableFile::~DurableFile() {
    discard();
}

void DurableFile::open() {
    // The system would silently cut a name at its first NUL and write elsewhere.
    if (m_path.isEmpty() || m_path.contains(QChar(0)))
        throwFileError(EINVAL, m_path);

    // A link keeps pointing where it pointed: the new content replaces its target.
    const QFileInfo info(m_path);
    m_target = QFile::encodeName(info.isSymLink() ? info.symLinkTarget() : m_path);
    const QByteArray folder = folderOf(m_target);

    struct stat old {};
    const bool replacing = ::stat(m_target.constData(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode))
        throwFileError(EISDIR, m_path);
    // A file someone made read-only is meant to stay as it is: the rename would
    // replace it all the same, so the write fails as writing into it would.
    if (replacing && ::faccessat(AT_FDCWD, m_target.constData(), W_OK, AT_EACCESS) != 0)
        throwFileError(errno, m_path);
    // Found out now, not when the finished file is to take its name.
    const long nameMax = ::pathconf(folder.constData(), _PC_NAME_MAX);
    if (nameMax > 0 && m_target.size() - folder.size() - 1 > nameMax)
        throwFileError(ENAMETOOLONG, m_path);

    removeStaleTemporaryFiles(folder);
    // A file without a name until it is complete: a write killed half-way
    // leaves nothing behind.
    m_fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, m_mode);
    if (m_fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        throwFileError(errno, m_path);
    if (m_fd < 0)
        openNamedTemporary(folder);
    // Held until the file has its real name, so that no sweep takes it meanwhile.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
    if (replacing)
        ::fchmod(m_fd, old.st_mode & 07777); // best effort: the content matters more
}

void DurableFile::openNamedTemporary(const QByteArray &folder) {
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temporary = temporaryFileName(folder);
        m_fd = ::open(m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, m_mode);
        if (m_fd < 0 && errno != EEXIST) {
            const int error = errno;
            m_temporary.clear();
            throwFileError(error, m_path);
        }
    }
    if (m_fd < 0) {
        m_temporary.clear();
        throwFileError(EEXIST, m_path);
    }
}

void DurableFile::write(QByteArrayView bytes) {
    if (m_fd < 0)
        throwFileError(EBADF, m_path);
    if (!writeAll(m_fd, bytes)) {
        const int error = errno;
        discard();
        throwFileError(error, m_path);
    }
    // The disk starts on what is written while the rest is being made, so the
    // fsync at the end has little left to wait for.
    if (bytes.size() >= WritebackSize)
        ::sync_file_range(m_fd, m_written, bytes.size(), SYNC_FILE_RANGE_WRITE);
    m_written += bytes.size();
}

void DurableFile::copyFrom(int source, qint64 size) {
    if (m_fd < 0)
        throwFileError(EBADF, m_path);
    const int error = copyContent(source, m_fd, size);
    if (error != 0) {
        discard();
        throwFileError(error, m_path);
    }
}

// An anonymous file gets a name of its own only now, when it is whole and on the
// disk; the rename right after gives it the real one.
int DurableFile::nameAnonymousFile() {
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
    const QByteArray folder = folderOf(m_target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray name = temporaryFileName(folder);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) ==
                0 ||
            ::linkat(m_fd, "", AT_FDCWD, name.constData(), AT_EMPTY_PATH) == 0) {
            m_temporary = name;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

void DurableFile::commit() {
    if (m_fd < 0)
        throwFileError(EBADF, m_path);
    int error = 0;
    if (::fsync(m_fd) != 0)
        error = errno;
    if (error == 0 && m_temporary.isEmpty())
        error = nameAnonymousFile();
    if (error == 0 && ::rename(m_temporary.constData(), m_target.constData()) != 0)
        error = errno;
    if (error != 0) {
        discard();
        throwFileError(error, m_path);
    }
    m_temporary.clear();
    ::close(m_fd);
    m_fd = -1;
    syncFolder(folderOf(m_target));
}

void DurableFile::discard() {
    if (!m_temporary.isEmpty()) {
        ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

DurableAppender::~DurableAppender() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void DurableAppender::open(const QString &path, int mode) {
    if (path.isEmpty() || path.contains(QChar(0)))
        throwFileError(EINVAL, path);
    m_path = path;
    const QByteArray name = QFile::encodeName(path);
    // Read too: what was appended can be recovered after the file was replaced.
    m_fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, mode);
    if (m_fd < 0)
        throwFileError(errno, path);
    struct stat info {};
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = errno ? errno : EINVAL;
        ::close(m_fd);
        m_fd = -1;
        throwFileError(error, path);
    }
    // Two collectors appending to one file would write over each other's records.
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(m_fd);
        m_fd = -1;
        throw RuntimeError(
            QStringLiteral("Another program is writing to this file (%1)").arg(path));
    }
    m_size = info.st_size;
    // The new file's entry must survive a crash as its first records do.
    syncFolder(folderOf(name));
}

void DurableAppender::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_size = 0;
}

DurableAppender::AtPath DurableAppender::atPath() const {
    struct stat open {
    }, named{};
    if (m_fd < 0 || ::fstat(m_fd, &open) != 0)
        return AtPath::Missing;
    if (::lstat(QFile::encodeName(m_path).constData(), &named) != 0)
        return AtPath::Missing;
    if (named.st_dev != open.st_dev || named.st_ino != open.st_ino)
        return AtPath::Other;
    return open.st_size == m_size ? AtPath::Same : AtPath::Changed;
}

void DurableAppender::refreshSize() {
    struct stat info {};
    if (::fstat(m_fd, &info) != 0)
        throwFileError(errno, m_path);
    m_size = info.st_size;
}

QByteArray DurableAppender::readFrom(qint64 offset) const {
    QByteArray bytes;
    if (m_fd < 0 || offset >= m_size)
        return bytes;
    bytes.resize(m_size - offset);
    qint64 got = 0;
    while (got < bytes.size()) {
        const ssize_t read =
            ::pread(m_fd, bytes.data() + got, size_t(bytes.size() - got), offset + got);
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            break;
        got += read;
    }
    bytes.truncate(got);
    return bytes;
}

void DurableAppender::truncate(qint64 size) {
    if (::ftruncate(m_fd, size) != 0 || ::fdatasync(m_fd) != 0)
        throwFileError(errno, m_path);
    m_size = size;
}

void DurableAppender::append(QByteArrayView bytes) {
    if (m_fd < 0)
        throwFileError(EBADF, m_path);
    // pwrite at the known end: a record cut short is cut off again, so the file
    // only ever grows by whole records.
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    qint64 at = m_size;
    int error = 0;
    while (left > 0) {
        const ssize_t written = ::pwrite(m_fd, data, size_t(left), at);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        data += written;
        left -= written;
        at += written;
    }
    if (error == 0 && ::fdatasync(m_fd) != 0)
        error = errno;
    if (error != 0) {
        [[maybe_unused]] const int ignored = ::ftruncate(m_fd, m_size);
        throwFileError(error, m_path);
    }
    m_size = at;
}

void writeFileDurably(const QString &path, QByteArrayView bytes, int mode) {
    DurableFile file(path, mode);
    file.open();
    file.write(bytes);
    file.commit();
}

void copyFileDurably(const QString &source, const QString &destination) {
    // Without O_NONBLOCK a FIFO would hang the program until someone wrote to it.
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (in < 0)
        throwFileError(errno, source);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{in};

    struct stat info {};
    if (::fstat(in, &info) != 0)
        throwFileError(errno, source);
    if (S_ISDIR(info.st_mode))
        throwFileError(EISDIR, source);
    if (!S_ISREG(info.st_mode))
        throw RuntimeError(QStringLiteral("Not a regular file (%1)").arg(source));

    DurableFile out(destination);
    out.open();
    out.copyFrom(in, info.st_size);
    out.commit();
}

} // namespace Velmora
