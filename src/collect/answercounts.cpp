// How many answers the files of surveys nobody answered in this run hold, read again only when they
// change.
#include "answercounts.h"

#include "csvreader.h"
#include "runtimeerror.h"

namespace Velmora {

qsizetype AnswerCounts::count(const QString &path, const QFileInfo &info) {
    {
        std::lock_guard lock(m_mutex);
        const auto known = m_counted.constFind(path);
        if (known != m_counted.cend() && known->size == info.size() &&
            known->modified == info.lastModified())
            return known->answers;
    }
    qsizetype records = 0;
    QString error;
    if (!CsvReader::readFile(
            path, [&records](const QStringList &) { ++records; }, nullptr, &error))
        throw RuntimeError(error);
    const qsizetype answers = std::max<qsizetype>(0, records - 1);
    std::lock_guard lock(m_mutex);
    m_counted.insert(path, {info.size(), info.lastModified(), answers});
    return answers;
}

} // namespace Velmora
