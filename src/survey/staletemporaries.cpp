#include "staletemporaries.h"

#include <QRandomGenerator>
#include <QSet>

#include <algorithm>

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
// The random part is always this many lower-case hexadecimal digits, so that a
// person's own ".velmora-notes.tmp" is never taken for one of ours.
constexpr qsizetype RandomDigits = 16;
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
    const QByteArray digits = QByteArray::number(QRandomGenerator::global()->generate64(), 16);
    return folder + '/' + Prefix + QByteArray(RandomDigits - digits.size(), '0') + digits + Suffix;
}

bool isTemporaryFileName(const QByteArray &name) {
    if (name.size() != Prefix.size() + RandomDigits + Suffix.size() || !name.startsWith(Prefix) ||
        !name.endsWith(Suffix))
        return false;
    const QByteArrayView digits = QByteArrayView(name).sliced(Prefix.size(), RandomDigits);
    return std::all_of(digits.begin(), digits.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
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
