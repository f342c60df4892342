#include "settingsstore.h"

#include "durablefile.h"
#include "runtimeerror.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <sys/stat.h>

namespace Velmora {

namespace {

constexpr auto RetryInterval = std::chrono::seconds(1);

QString storeFileName() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kestrand"),
                     QStringLiteral("Velmora"))
        .fileName();
}

// The whole file, or an empty text when there is none. Throws when it is there
// but cannot be read.
QByteArray readWhole(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            return {};
        // Not there when opened, there now: another copy's first save put it
        // in place just then. It is read as it is now, not taken for a fault.
        if (!file.open(QIODevice::ReadOnly))
            throw RuntimeError(QStringLiteral("%1 (%2)").arg(file.errorString(), path));
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw RuntimeError(QStringLiteral("%1 (%2)").arg(file.errorString(), path));
    return bytes;
}

} // namespace

SettingsStore::SettingsStore()
    : m_fileName(storeFileName())
    , m_writer([this] { writeLoop(); }) {}

SettingsStore::~SettingsStore() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_writer.join();
}

QString SettingsStore::value(const QString &key, const QString &defaultValue) {
    {
        // What this run saved is the newest text, on the disk yet or not.
        std::lock_guard lock(m_mutex);
        const auto saved = m_saved.constFind(key);
        if (saved != m_saved.cend())
            return *saved;
    }
    try {
        const SettingsDocument document = readDocument();
        const auto stored = document.keys.constFind(key);
        std::lock_guard lock(m_mutex);
        m_read.insert(key, stored == document.keys.cend() ? StoredText() : StoredText(*stored));
        return stored == document.keys.cend() ? defaultValue : *stored;
    } catch (const RuntimeError &error) {
        std::lock_guard lock(m_mutex);
        if (m_unreadable.isEmpty())
            m_unreadable = error.description();
        throw;
    }
}

void SettingsStore::save(const QString &key, const QString &value) {
    {
        std::lock_guard lock(m_mutex);
        m_restored.remove(key);
        m_saved.insert(key, value);
        m_unwritten.insert(key, ++m_generation);
    }
    m_wake.notify_one();
}

void SettingsStore::saveRestored(const QString &key, const QString &value) {
    {
        std::lock_guard lock(m_mutex);
        if (const auto read = m_read.constFind(key); read != m_read.cend()) {
            // A value that is in the file already needs no write at all.
            if (*read == value)
                return;
            m_restored.insert(key, *read);
        } else {
            m_restored.remove(key);
        }
        m_saved.insert(key, value);
        m_unwritten.insert(key, ++m_generation);
    }
    m_wake.notify_one();
}

bool SettingsStore::idle() const {
    return !m_writing && !m_forceAttempt && m_attemptedGeneration == m_generation;
}

bool SettingsStore::waitForWrites() {
    std::unique_lock lock(m_mutex);
    m_attempted.wait(lock, [this] { return idle(); });
    return m_writtenGeneration == m_generation;
}

bool SettingsStore::flush() {
    std::unique_lock lock(m_mutex);
    if (m_writtenGeneration == m_generation && idle())
        return true;
    m_forceAttempt = true;
    m_wake.notify_one();
    m_attempted.wait(lock, [this] { return idle(); });
    return m_writtenGeneration == m_generation;
}

QString SettingsStore::lastError() {
    std::lock_guard lock(m_mutex);
    return m_error;
}

SettingsStore::FileIdentity SettingsStore::fileIdentity() const {
    struct stat info {};
    if (::stat(QFile::encodeName(m_fileName).constData(), &info) != 0)
        return {};
    return {qint64(info.st_dev), qint64(info.st_ino), qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
            qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec};
}

SettingsDocument SettingsStore::readDocument() {
    const FileIdentity identity = fileIdentity();
    {
        std::lock_guard cache(m_cacheMutex);
        if (identity != FileIdentity() && identity == m_cachedIdentity)
            return m_cachedDocument;
    }
    SettingsDocument document = SettingsDocument::parse(readWhole(m_fileName));
    remember(identity, document);
    return document;
}

void SettingsStore::remember(const FileIdentity &identity, const SettingsDocument &document) {
    std::lock_guard cache(m_cacheMutex);
    m_cachedIdentity = identity;
    m_cachedDocument = document;
}

QStringList SettingsStore::writeSaved(const QHash<QString, QString> &saved,
                                      const QHash<QString, StoredText> &unlessChanged) {
    const QString folder = QFileInfo(m_fileName).absolutePath();
    std::error_code made;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), made);
    if (made)
        throw RuntimeError(fileErrorText(made.value(), folder));
    // The lock QSettings takes for the same file, so that a change another program
    // writes between our reading and our writing is not lost.
    // Where no lock file can be made (a full disk, a read-only folder) the write
    // below fails too, and says why.
    QLockFile lock(m_fileName + QStringLiteral(".lock"));
    if (!lock.tryLock(5000) && lock.error() == QLockFile::LockFailedError)
        throw RuntimeError(
            QStringLiteral("The settings file is locked by another program (%1)").arg(m_fileName));

    // Keys that others wrote meanwhile (another copy of the program, a hand
    // edit) stay; only the keys changed here since the last write take their
    // newest text, so that the last save of each key wins.
    SettingsDocument document = readDocument();
    QStringList superseded;
    for (auto it = saved.cbegin(); it != saved.cend(); ++it) {
        if (const auto read = unlessChanged.constFind(it.key()); read != unlessChanged.cend()) {
            const auto now = document.keys.constFind(it.key());
            if ((now == document.keys.cend() ? StoredText() : StoredText(*now)) != *read) {
                superseded.append(it.key());
                continue;
            }
        }
        document.setText(it.key(), it.value());
    }
    const QByteArray bytes = document.serialize();
    writeFileDurably(m_fileName, bytes);
    // Trust only what reads back.
    if (readWhole(m_fileName) != bytes)
        throw RuntimeError(
            QStringLiteral("The settings file does not read back as written (%1)").arg(m_fileName));
    // What was written is what the file holds now: no need to read it again.
    remember(fileIdentity(), document);
    return superseded;
}

void SettingsStore::writeLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        const auto due = [this] {
            return m_stopping || m_forceAttempt || m_generation != m_attemptedGeneration;
        };
        if (m_writtenGeneration != m_generation && m_failing)
            m_wake.wait_for(lock, RetryInterval, due); // a retry is due even without a save
        else
            m_wake.wait(lock, due);
        if (m_writtenGeneration == m_generation) {
            m_attemptedGeneration = m_generation;
            m_forceAttempt = false;
            m_attempted.notify_all();
            if (m_stopping)
                return;
            continue;
        }

        const quint64 generation = m_generation;
        QHash<QString, QString> saved;
        QHash<QString, StoredText> unlessChanged;
        for (auto it = m_unwritten.cbegin(); it != m_unwritten.cend(); ++it) {
            saved.insert(it.key(), m_saved.value(it.key()));
            if (const auto read = m_restored.constFind(it.key()); read != m_restored.cend())
                unlessChanged.insert(it.key(), *read);
        }
        const QString unreadable = m_unreadable;
        const bool last = m_stopping;
        m_forceAttempt = false;
        m_writing = true;
        lock.unlock();

        QString error;
        QStringList superseded;
        try {
            // A file that could not be read is never written over: it may hold
            // what the person wants back.
            if (!unreadable.isEmpty())
                throw RuntimeError(unreadable);
            superseded = writeSaved(saved, unlessChanged);
        } catch (const RuntimeError &failure) {
            error = failure.description();
        } catch (const std::exception &failure) {
            error = QString::fromLocal8Bit(failure.what());
        }

        lock.lock();
        m_writing = false;
        m_attemptedGeneration = generation;
        if (error.isEmpty()) {
            m_writtenGeneration = std::max(m_writtenGeneration, generation);
            m_unwritten.removeIf([generation](const QHash<QString, quint64>::iterator &it) {
                return it.value() <= generation;
            });
        }
        // Another copy saved these after start-up read them: its text is the
        // newest, and value() reads it from the file again. A save made here
        // since then still stands.
        for (const QString &key : std::as_const(superseded)) {
            if (m_restored.remove(key) && !m_unwritten.contains(key))
                m_saved.remove(key);
        }
        m_error = error;
        const bool failing = !error.isEmpty();
        if (failing != m_failing) {
            m_failing = failing;
            QMetaObject::invokeMethod(
                this, [this, failing] { emit writesFailingChanged(failing); },
                Qt::QueuedConnection);
        }
        m_attempted.notify_all();
        if (last && (failing || m_writtenGeneration == m_generation))
            return;
    }
}

} // namespace Velmora
