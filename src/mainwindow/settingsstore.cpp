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

QString SettingsStore::GetSetting(const QString &key, const QString &defaultValue) const {
    const QVariant value = openStore().value(key);
    if (!value.isValid())
        return defaultValue;
    // A hand-edited file may hold an unquoted list; give the text back as written.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

bool SettingsStore::SaveSetting(const QString &key, const QString &value) {
    QSettings settings = openStore();
    settings.setValue(key, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace Velmora
