#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QString>

#include <optional>

namespace Velmora {

// The per-user settings file in the INI dialect that QSettings reads and writes,
// so that files of earlier versions keep working and QSettings can read ours.
//
// Every text is written so that it reads back exactly: always quoted, control
// characters and half surrogate pairs escaped, the rest as UTF-8.
//
// A key read from the file is written back as its line stood until its text is
// set anew (`setText`): a value QSettings typed (a size, a date, a list, bytes)
// keeps its type.
struct SettingsDocument {
    QMap<QString, QString> keys;        // the plain keys outside any group ("[General]")
    QMap<QString, QByteArray> verbatim; // every plain key read, as its line stood
    QByteArray otherLines;              // lines of "[General]" that name no plain key, as they were
    QByteArray otherSections;           // every other section, kept as it was

    void setText(const QString &key, const QString &text) {
        keys.insert(key, text);
        verbatim.remove(key);
    }

    static SettingsDocument parse(QByteArrayView bytes);
    QByteArray serialize() const;

private:
    static SettingsDocument parseLines(QByteArrayView bytes, bool keepVerbatim);
    static bool standsAlone(QByteArrayView line, const QString &key,
                            const std::optional<QString> &text);
};

} // namespace Velmora
