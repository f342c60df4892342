#include "settingsstore.h"

#include <QSettings>
#include <QStringList>

namespace Velmora {

namespace {

QSettings openStore() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kestrand"),
                     QStringLiteral("Velmora"));
}

} // namespace

SettingsStore::SettingsStore()
    : m_writer([this] { writeLoop(); }) {}

SettingsStore::~SettingsStore() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_writer.join(); // writes what is still pending first
}

QString SettingsStore::GetSetting(const QString &key, const QString &defaultValue) {
    waitForWrites();
    const QVariant value = openStore().value(key);
    if (!value.isValid())
        return defaultValue;
    // A hand-edited file may hold an unquoted list; give the text back as written.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

void SettingsStore::SaveSetting(const QString &key, const QString &value) {
    {
        std::lock_guard lock(m_mutex);
        m_pending.insert(key, value);
    }
    m_wake.notify_one();
}

void SettingsStore::waitForWrites() {
    std::unique_lock lock(m_mutex);
    m_written.wait(lock, [this] { return m_pending.isEmpty() && !m_writing; });
}

void SettingsStore::writeLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_pending.isEmpty(); });
        if (m_pending.isEmpty())
            return; // stopping, and everything is written
        QHash<QString, QString> batch;
        batch.swap(m_pending);
        m_writing = true;
        lock.unlock();

        QSettings settings = openStore();
        for (auto it = batch.cbegin(); it != batch.cend(); ++it)
            settings.setValue(it.key(), it.value());
        settings.sync();
        const bool failing = settings.status() != QSettings::NoError;

        lock.lock();
        m_writing = false;
        if (failing != m_failing) {
            m_failing = failing;
            QMetaObject::invokeMethod(
                this, [this, failing] { emit writesFailingChanged(failing); },
                Qt::QueuedConnection);
        }
        m_written.notify_all();
    }
}

} // namespace Velmora
