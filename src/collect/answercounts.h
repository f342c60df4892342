#pragma once

// Counts of answers in files nobody answered in this run.
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QString>

#include <mutex>

namespace Velmora {

// How many answers the answers files hold that no collector has open, as the
// window lists them every second: a file is read again only when its size or
// time changed. Thread-safe.
class AnswerCounts {
public:
    // The answers in the file at `path`, not counting its header row. Throws
    // RuntimeError when it cannot be read.
    qsizetype count(const QString &path, const QFileInfo &info);

private:
    struct Counted {
        qint64 size = -1;
        QDateTime modified;
        qsizetype answers = 0;
    };
    std::mutex m_mutex;
    QHash<QString, Counted> m_counted;
};

} // namespace Velmora
