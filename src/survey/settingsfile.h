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
    QMap<QString, QString> keys; // the plain keys outside any group ("[General]")
    QByteArray otherLines;       // lines of "[General]" that name no plain key, as they were
    QByteArray otherSections;    // every other section, kept as it was

    static SettingsDocument parse(QByteArrayView bytes);
    QByteArray serialize() const;
};

} // namespace Velmora
