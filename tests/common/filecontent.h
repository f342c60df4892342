#pragma once

#include <QByteArray>
#include <QFile>

// The bytes of a file, or "<missing>" when it cannot be read.
inline QByteArray fileContent(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
