#pragma once

#include "settingsfile.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace Velmora {

// The keys of the per-user settings store, spelled as earlier versions stored them.
namespace SettingKey {
inline const QString Title = QStringLiteral("Title");
inline const QString SurveyQuestions = QStringLiteral("Survey Questions");
inline const QString Background = QStringLiteral("Background");
inline const QString OutputFolder = QStringLiteral("Output Folder");
inline const QString Message = QStringLiteral("Message");
inline const QString LastFolderDot = QStringLiteral("LastFolderDot");
} // namespace SettingKey

// The mirror of the kept fields: per user, surviving restarts, texts kept exactly.
// Application "Kestrand", section "Velmora", in the file QSettings would use.
//
// Every save is handed to a writer thread that puts it on disk at once, so typing
// into a field of a megabyte stays smooth. Saves that arrive while a write is
// under way are written together right after it. A write that fails stays
// pending and is tried again on the next save and every second, until the newest
// text of every key is on the disk.
class SettingsStore : public QObject {
    Q_OBJECT

public:
    SettingsStore();
    ~SettingsStore() override; // one last try for what is still pending

    // The stored text, or `defaultValue` when the key is absent. Reading creates
    // nothing. Throws RuntimeError when the file is there but cannot be read; then
    // nothing is written over it for the rest of the run.
    QString value(const QString &key, const QString &defaultValue = {});
    void save(const QString &key, const QString &value);
    // Start-up's write-back of a value it restored with value(): written only if
    // the file still holds for `key` what value() read there, so that a save
    // another copy of the program made meanwhile is never reverted.
    void saveRestored(const QString &key, const QString &value);

    // Returns once the writer has tried the newest saves; true when they are on disk.
    bool waitForWrites();
    // Tries once more at once to write what is pending; true when all is on disk.
    bool flush();
    // Why the last write failed; empty while writes succeed.
    QString lastError();

    QString fileName() const { return m_fileName; }

signals:
    // Saves started or stopped failing to reach the disk.
    void writesFailingChanged(bool failing);

private:
    struct FileIdentity {
        qint64 device = -1, inode = -1, size = -1, modified = -1, changed = -1;
        bool operator==(const FileIdentity &) const = default;
    };

    void writeLoop();
    bool idle() const;
    // Both run with m_mutex released. The cache lock is held only to look at the
    // cache, never over a disk write: a read on the window's thread must not
    // wait for the writer's fsync.
    SettingsDocument readDocument(); // throws RuntimeError
    // What value() found in the file for a key: its text, or nothing when absent.
    using StoredText = std::optional<QString>;
    // Returns the keys left unwritten because the file no longer held what
    // start-up read for them.
    QStringList writeSaved(const QHash<QString, QString> &saved,
                           const QHash<QString, StoredText> &unlessChanged); // throws RuntimeError
    FileIdentity fileIdentity() const;
    void remember(const FileIdentity &identity, const SettingsDocument &document);

    const QString m_fileName;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_attempted;
    QHash<QString, QString> m_saved;       // the newest text of every key saved in this run
    QHash<QString, quint64> m_unwritten;   // keys saved since their last write, by generation
    QHash<QString, StoredText> m_read;     // what value() found in the file, by key
    QHash<QString, StoredText> m_restored; // saveRestored() keys, with what was read
    quint64 m_generation = 0;              // counts saves
    quint64 m_attemptedGeneration = 0;
    quint64 m_writtenGeneration = 0;
    bool m_forceAttempt = false;
    bool m_writing = false;
    bool m_stopping = false;
    bool m_failing = false;
    QString m_error;
    QString m_unreadable; // why the file could not be read; it is then never written

    // The file as this store last read or wrote it, so unchanged files are not
    // read and parsed again on every keystroke.
    std::mutex m_cacheMutex;
    FileIdentity m_cachedIdentity;
    SettingsDocument m_cachedDocument;

    std::thread m_writer;
};

} // namespace Velmora
