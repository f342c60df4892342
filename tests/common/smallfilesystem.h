#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

// A small tmpfs of its own, to fill up for real. Mounting needs root (CI runs as
// root); elsewhere the test using it is reported as skipped, never passed.
class SmallFileSystem {
public:
    explicit SmallFileSystem(int kibibytes) {
        if (::geteuid() != 0)
            return;
        // The system call itself, no mount(8) started: nothing forks under
        // the test (ThreadSanitizer cannot follow Qt's way of starting one).
        const QByteArray size = "size=" + QByteArray::number(kibibytes) + "k,mode=0777";
        m_mounted = ::mount("velmora-test", QFile::encodeName(m_dir.path()).constData(), "tmpfs",
                            0, size.constData()) == 0;
    }
    ~SmallFileSystem() {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }

    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }

    // Fills the file system to the last byte with a file that free() removes.
    void fill() {
        QFile filler(m_dir.filePath(QStringLiteral(".filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("x", 1) == 1) {
        }
    }
    void free() { QFile::remove(m_dir.filePath(QStringLiteral(".filler"))); }

    // Files other than the filler: what a failed write may have left behind.
    QStringList files() const {
        QStringList names = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        names.removeAll(QStringLiteral(".filler"));
        return names;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

#define REQUIRE_SMALL_FILE_SYSTEM(fs)                                                              \
    if (!(fs).mounted())                                                                           \
    QSKIP("skipped: no small tmpfs could be mounted here (mounting needs root)")

// Runs `body` in a child process as the unprivileged user "nobody", so that
// permissions hold even when the tests run as root. The child's exit code is 0
// when `body` returned true.
inline bool runUnprivileged(const std::function<bool()> &body) {
    if (::geteuid() != 0)
        return body();
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped =
            ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(dropped && body() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
