#include "answersfile.h"

#include "answersheet.h"
#include "awaitcallback.h"
#include "csvreader.h"
#include "runtimeerror.h"

#include <QFile>
#include <QFileInfo>

namespace Velmora {

namespace {

constexpr QByteArrayView ByteOrderMark = "\xEF\xBB\xBF";

QByteArray readHead(const QString &path, qint64 bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(QStringLiteral("%1 (%2)").arg(file.errorString(), path));
    return file.read(bytes);
}

} // namespace

QList<QStringList> AnswersFile::parseRecords(QByteArrayView csv, qsizetype *completeUpTo) {
    QList<QStringList> records;
    CsvReader reader([&](const QStringList &record) { records.append(record); });
    reader.feed(csv);
    reader.feed({});
    if (completeUpTo)
        *completeUpTo = reader.completeUpTo();
    return records;
}

QByteArray AnswersFile::beginning(const QStringList &header) {
    return ByteOrderMark.toByteArray() + csvRecord(header);
}

QString AnswersFile::name(const QString &pageFileName, int number) {
    const QString base =
        pageFileName.endsWith(QLatin1String(".htm")) ? pageFileName.chopped(4) : pageFileName;
    return base + (number == 1 ? QStringLiteral(" answers.csv")
                               : QStringLiteral(" answers (%1).csv").arg(number));
}

QString AnswersFile::pathFor(const QString &folder, const QString &pageFileName,
                             const QStringList &header) {
    const QByteArray start = beginning(header);
    for (int number = 1;; ++number) {
        const QString path = folder + QLatin1Char('/') + name(pageFileName, number);
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink())
            return path;
        // A file that begins with this header (or only with part of it, the rest
        // lost in a crash before any answer) is this page's.
        const QByteArray head = readHead(path, start.size());
        if (info.isFile() && (head == start || start.startsWith(head)))
            return path;
    }
}

AnswersFile::AnswersFile(const QString &folder, const QString &pageFileName,
                         const QStringList &header, const Record &existing, int mode)
    : m_path(pathFor(folder, pageFileName, header)) {
    const QByteArray start = beginning(header);
    // Respondents' names and e-mail addresses: for the organiser's eyes only.
    m_file.open(m_path, mode);
    qsizetype records = 0;
    qint64 end = 0;
    QString error;
    if (!CsvReader::readFile(
            m_path,
            [&](const QStringList &record) {
                ++records;
                if (existing)
                    existing(record);
            },
            &end, &error))
        throw RuntimeError(error);
    if (records == 0 || end < start.size()) {
        m_file.truncate(0);
        m_file.append(start);
        if (existing)
            existing(header);
    } else {
        if (end != m_file.size())
            m_file.truncate(end); // the torn record of a crash, never acknowledged
        m_answers = records - 1;
    }
    m_writer = std::thread([this] { writeLoop(); });
}

AnswersFile::~AnswersFile() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_writer.join();
}

qsizetype AnswersFile::answers() {
    std::lock_guard lock(m_mutex);
    return m_answers;
}

void AnswersFile::append(QByteArray record, Done done) {
    {
        std::lock_guard lock(m_mutex);
        m_waiting.push_back({std::move(record), std::move(done)});
    }
    m_wake.notify_all();
}

void AnswersFile::append(const QByteArray &record) {
    const QString failure = awaitCallback<QString>(
        [&](std::function<void(QString)> done) { append(record, std::move(done)); });
    if (!failure.isEmpty())
        throw RuntimeError(failure);
}

void AnswersFile::writeLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return !m_waiting.empty() || m_stopping; });
        if (m_waiting.empty())
            return;
        std::vector<Waiting> batch = std::exchange(m_waiting, {});
        lock.unlock();
        QByteArray records;
        for (const Waiting &waiting : batch)
            records += waiting.record;
        QString failure;
        try {
            m_file.append(records);
        } catch (const RuntimeError &error) {
            failure = error.description();
        }
        lock.lock();
        if (failure.isEmpty())
            m_answers += qsizetype(batch.size());
        lock.unlock();
        for (const Waiting &waiting : batch)
            waiting.done(failure);
        lock.lock();
    }
}

} // namespace Velmora
