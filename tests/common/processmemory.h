#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// A figure of /proc/PID/status in KiB: "VmRSS:" now, "VmHWM:" the peak; -1 when
// there is none.
inline qint64 processMemoryKiB(qint64 pid, const char *field) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    return -1;
}
