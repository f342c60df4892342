#pragma once

#include <QSettings>
#include <QTemporaryDir>

// Points the per-user settings at a temporary folder for the life of the object,
// so no test reads or writes the real user's settings.
class TempSettings {
public:
    TempSettings() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    }

    QString filePath() const { return m_dir.filePath(QStringLiteral("Kestrand/Velmora.conf")); }
    QString folder() const { return m_dir.path(); }

    // A fresh reader, so what it sees is what reached the disk.
    static QVariant stored(const QString &key) {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                           QStringLiteral("Kestrand"), QStringLiteral("Velmora"));
        return settings.value(key);
    }
    static void store(const QString &key, const QString &value) {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                           QStringLiteral("Kestrand"), QStringLiteral("Velmora"));
        settings.setValue(key, value);
    }

private:
    QTemporaryDir m_dir;
};
