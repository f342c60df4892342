#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace Velmora {

// Writes one file so that it is either the whole new content or the older file
// untouched: the bytes go to a file without a name in the same folder, every
// write is checked, the data is synced to the disk, and only then does the new
// file take the old one's name. A file someone made read-only is not replaced.
// Every file the programs write goes through here.
//
// Failures throw RuntimeError with the system's description and the path.
class DurableFile {
public:
    // A new file gets `mode` (less the umask); a file replaced keeps its own.
    explicit DurableFile(QString path, int mode = 0666);
    ~DurableFile(); // an uncommitted file is removed; the older one stays as it was
    DurableFile(const DurableFile &) = delete;
    DurableFile &operator=(const DurableFile &) = delete;

    void open();
    void write(QByteArrayView bytes);
    // Writes the first `size` bytes of the open file `source`, holes kept.
    void copyFrom(int source, qint64 size);
    void commit();

    const QString &path() const { return m_path; }

private:
    void openNamedTemporary(const QByteArray &folder);
    int nameAnonymousFile();
    void discard();

    QString m_path;
    int m_mode;
    QByteArray m_target;    // the file name on disk, links followed
    QByteArray m_temporary; // the file's name while it has one but not the real one
    int m_fd = -1;
    qint64 m_written = 0;
};

// Appends records to a file that must never hold half of one: every write is
// checked and synced (fdatasync) before append() returns, and a record that could
// not be written whole is cut off again.
class DurableAppender {
public:
    DurableAppender() = default;
    ~DurableAppender();
    DurableAppender(const DurableAppender &) = delete;
    DurableAppender &operator=(const DurableAppender &) = delete;

    // Opens or creates the file; throws RuntimeError.
    // A new file gets `mode` (less the umask).
    void open(const QString &path, int mode = 0666);
    qint64 size() const { return m_size; }
    // Cuts the file to `size` bytes, as when a crash left a record unfinished.
    void truncate(qint64 size);
    void append(QByteArrayView bytes);
    void close();

    // What stands at the path now, against the file open here, which someone
    // may have edited, replaced, moved or removed meanwhile.
    enum class AtPath { Same, Changed, Other, Missing };
    AtPath atPath() const;
    // The open file's size as it is on the disk now (after someone else's edit).
    void refreshSize();
    // The bytes of the open file from `offset` to the end it had here.
    QByteArray readFrom(qint64 offset) const;

private:
    QString m_path;
    int m_fd = -1;
    qint64 m_size = 0;
};

void writeFileDurably(const QString &path, QByteArrayView bytes, int mode = 0666);
// Copies a regular file; the destination is replaced only by a complete copy.
void copyFileDurably(const QString &source, const QString &destination);

// The system's description of `error` with the path it concerns, as the error
// report shows it.
QString fileErrorText(int error, const QString &path);

} // namespace Velmora
