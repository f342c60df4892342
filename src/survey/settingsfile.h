#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QString>

namespace Velmora {

// The per-user settings file in the INI dialect that QSettings reads and writes,
// so that files of earlier versions keep working and QSettings can read ours.
//
// Every text is written so that it reads back exactly: always quoted, control
// characters and half surrogate pairs escaped, the rest as UTF-8.
struct SettingsDocument {
    QMap<QString, QString> keys; // the keys outside any group ("[General]")
    QByteArray otherSections;    // every other section, kept as it was

    static SettingsDocument parse(QByteArrayView bytes);
    QByteArray serialize() const;
};

} // namespace Velmora
