// The settings file: random keys and texts (any UTF-16, half surrogate pairs
// included) must read back exactly, through our own reader and through QSettings;
// and whatever bytes the reader is given, what it read must survive a rewrite.
#include "settingsfile.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {

// Keys QSettings can hold as plain keys: no group separators, and unique apart
// from letter case, which it ignores.
bool usableKey(const QString &key, const QMap<QString, QString> &keys) {
    if (key.isEmpty() || key.contains(u'/') || key.contains(u'\\'))
        return false;
    for (auto it = keys.cbegin(); it != keys.cend(); ++it)
        if (it.key().compare(key, Qt::CaseInsensitive) == 0)
            return false;
    return true;
}

void checkQSettingsReads(const Velmora::SettingsDocument &document) {
    static const QString folder = QDir::tempPath() + QStringLiteral("/velmora-fuzz-settings");
    static quint64 counter = 0;
    QDir().mkpath(folder);
    // A fresh name every time: QSettings caches files by name.
    const QString path = folder + QStringLiteral("/%1.conf").arg(++counter);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(document.serialize());
    }
    {
        QSettings settings(path, QSettings::IniFormat);
        for (auto it = document.keys.cbegin(); it != document.keys.cend(); ++it)
            if (settings.value(it.key()).toString() != it.value())
                __builtin_trap();
    }
    QFile::remove(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // As the file itself.
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const Velmora::SettingsDocument read = Velmora::SettingsDocument::parse(bytes);
    if (Velmora::SettingsDocument::parse(read.serialize()).keys != read.keys)
        __builtin_trap();

    // As UTF-16 units: U+FFFF separates keys from texts.
    QString units(qsizetype(size / 2), Qt::Uninitialized);
    for (size_t i = 0; i + 1 < size; i += 2)
        units[qsizetype(i / 2)] = QChar(char16_t(data[i] | (data[i + 1] << 8)));
    const QStringList parts = units.split(QChar(0xFFFF));
    Velmora::SettingsDocument written;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        if (usableKey(parts[i], written.keys))
            written.keys.insert(parts[i], parts[i + 1]);
    if (Velmora::SettingsDocument::parse(written.serialize()).keys != written.keys)
        __builtin_trap();
    checkQSettingsReads(written);
    return 0;
}
