#pragma once

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QUuid>

// Points the per-user settings at a temporary folder for the life of the object,
// so no test reads or writes the real user's settings.
class TempSettings {
public:
    TempSettings() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    }

    QString filePath() const { return m_dir.filePath(QStringLiteral("Kestrand/Velmora.conf")); }
    QString folder() const { return m_dir.path(); }

    // What QSettings reads from the file as it is on the disk now. QSettings keeps
    // files it has read in a cache that a rewrite of the same size within the same
    // millisecond would not refresh, so it reads a copy under a name of its own.
    static QVariant stored(const QString &key) {
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kestrand"),
                        QStringLiteral("Velmora"));
        return readThroughQSettings(store.fileName(), key);
    }
    static QVariant readThroughQSettings(const QString &file, const QString &key) {
        QTemporaryDir copyFolder;
        const QString copy =
            copyFolder.filePath(QUuid::createUuid().toString(QUuid::WithoutBraces) + ".conf");
        if (QFile::exists(file) && !QFile::copy(file, copy))
            return QStringLiteral("<unreadable>");
        return QSettings(copy, QSettings::IniFormat).value(key);
    }
    static void store(const QString &key, const QString &value) {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                           QStringLiteral("Kestrand"), QStringLiteral("Velmora"));
        settings.setValue(key, value);
    }

private:
    QTemporaryDir m_dir;
};
