#include "staletemporaries.h"

#include <QRandomGenerator>
#include <QSet>

#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace Velmora {

namespace {

const QByteArray Prefix = QByteArrayLiteral(".velmora-");
const QByteArray Suffix = QByteArrayLiteral(".tmp");
constexpr time_t QuietSeconds = 60;

bool isStale(int folderFd, const char *name) {
    const int fd = ::openat(folderFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    // A writer holds its lock until its file has its real name; a file nobody
    // holds and nobody touched lately belongs to a write that was killed.
    const bool stale = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                       ::time(nullptr) - info.st_mtime >= QuietSeconds &&
                       ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return stale;
}

} // namespace

QByteArray temporaryFileName(const QByteArray &folder) {
    return folder + '/' + Prefix +
           QByteArray::number(QRandomGenerator::global()->generate64(), 16) + Suffix;
}

bool isTemporaryFileName(const QByteArray &name) {
    return name.startsWith(Prefix) && name.endsWith(Suffix) &&
           name.size() > Prefix.size() + Suffix.size();
}

void removeStaleTemporaryFiles(const QByteArray &folder) {
    static std::mutex mutex;
    static QSet<QByteArray> swept;
    {
        std::lock_guard lock(mutex);
        if (swept.contains(folder))
            return;
        swept.insert(folder);
    }
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const int folderFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        if (isTemporaryFileName(QByteArray(entry->d_name)) && isStale(folderFd, entry->d_name))
            ::unlinkat(folderFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

} // namespace Velmora
