// One answers file: its header, its writer thread, and the organiser's edits noticed before every
// write.
#include "answersfile.h"

#include "answersheet.h"
#include "awaitcallback.h"
#include "csvreader.h"
#include "runtimeerror.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace Velmora {

namespace {

constexpr QByteArrayView ByteOrderMark = "\xEF\xBB\xBF";

QByteArray readHead(const QString &path, qint64 bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(QStringLiteral("%1 (%2)").arg(file.errorString(), path));
    return file.read(bytes);
}

// What tells one record from another when a replaced file is compared with
// what was written: its answer ID, or all of it where it has none.
QString identity(const QStringList &record) {
    return record.size() > 3 && record.last().size() == 32 ? record.last()
                                                           : record.join(QChar(0x1f));
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

QString AnswersFile::pageBase(const QString &pageFileName) {
    return pageFileName.endsWith(QLatin1String(".htm")) ? pageFileName.chopped(4) : pageFileName;
}

QString AnswersFile::name(const QString &pageFileName, int number) {
    return pageBase(pageFileName) + (number == 1 ? QStringLiteral(" answers.csv")
                                                 : QStringLiteral(" answers (%1).csv").arg(number));
}

QString AnswersFile::besideAnswers(const QString &answersPath, const QString &word,
                                   const QString &suffix) {
    QString path = answersPath;
    static const QRegularExpression answers(QStringLiteral(" answers( \\(\\d+\\))?\\.csv$"));
    return path.replace(answers, u' ' + word + QStringLiteral("\\1.") + suffix);
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
        // lost in a crash before any answer) is this page's; so is one a
        // spreadsheet saved again, without the byte order mark or other quotes.
        const QByteArray head = readHead(path, start.size() * 2 + 1024);
        if (!info.isFile())
            continue;
        if (head.startsWith(start) || start.startsWith(head))
            return path;
        const QList<QStringList> records = parseRecords(head);
        if (!records.isEmpty() && records.constFirst() == header)
            return path;
    }
}

bool AnswersFile::heldElsewhere(const QString &path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    // Read from the kernel's table rather than tried: a lock taken to see
    // would turn away this collector's own writer meanwhile.
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return false;
    const QByteArray file = QByteArray::number(major(info.st_dev), 16).rightJustified(2, '0') +
                            ':' +
                            QByteArray::number(minor(info.st_dev), 16).rightJustified(2, '0') +
                            ':' + QByteArray::number(qulonglong(info.st_ino));
    for (const QByteArray &line : locks.readAll().split('\n')) {
        // "1: FLOCK  ADVISORY  WRITE 4242 fd:01:1234 0 EOF"
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 5 && fields[5] == file && fields[4].toLongLong() != ::getpid())
            return true;
    }
    return false;
}

AnswersFile::AnswersFile(const QString &folder, const QString &pageFileName,
                         const QStringList &header, const Record &existing, int mode)
    : m_folder(folder)
    , m_pageFileName(pageFileName)
    , m_header(header)
    , m_mode(mode)
    , m_path(pathFor(folder, pageFileName, header)) {
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
    m_ownFrom = m_file.size();
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

QString AnswersFile::path() {
    std::lock_guard lock(m_mutex);
    return m_path;
}

std::optional<AnswersFile::Reread> AnswersFile::takeReread() {
    std::lock_guard lock(m_mutex);
    return std::exchange(m_reread, std::nullopt);
}

QList<QStringList> AnswersFile::takeUp(const QString &path, bool reopen) {
    if (reopen) {
        m_file.close();
        m_file.open(path, m_mode);
    } else {
        m_file.refreshSize();
    }
    QList<QStringList> records;
    qint64 end = 0;
    QString error;
    const auto read = [&] {
        records.clear();
        if (!CsvReader::readFile(
                path, [&](const QStringList &record) { records.append(record); }, &end, &error))
            throw RuntimeError(error);
    };
    read();
    if (records.isEmpty() && m_file.size() == 0) {
        m_file.append(beginning(m_header));
        read();
    } else if (end != m_file.size()) {
        // An editor's save may end without a line break: the next answer must
        // not run on into its last row.
        m_file.append("\r\n");
        read();
    }
    return records;
}

void AnswersFile::followThePath(QByteArrayView justWritten) {
    const DurableAppender::AtPath at = m_file.atPath();
    if (at == DurableAppender::AtPath::Same)
        return;
    // What this run wrote into the file open now; it may be gone from the path.
    const QList<QStringList> ours = parseRecords(at == DurableAppender::AtPath::Other
                                                     ? QByteArrayView(m_file.readFrom(m_ownFrom))
                                                     : justWritten);
    // What stands at the path now, whatever its header, tells which of them
    // the organiser kept.
    const QString oldPath = this->path();
    QSet<QString> kept;
    CsvReader::readFile(oldPath,
                        [&kept](const QStringList &record) { kept.insert(identity(record)); });
    const QString path = pathFor(m_folder, m_pageFileName, m_header);
    const bool samePath = path == oldPath;
    QList<QStringList> records =
        takeUp(path, !(at == DurableAppender::AtPath::Changed && samePath));
    m_ownFrom = m_file.size();

    // The answers the new file lacks after the last one of ours it kept came
    // after its maker read the file: they go into it again.
    qsizetype from = ours.size();
    while (from > 0 && !kept.contains(identity(ours[from - 1])))
        --from;
    QByteArray again;
    for (qsizetype i = from; i < ours.size(); ++i) {
        again += csvRecord(ours[i]);
        records.append(ours[i]);
    }
    if (!again.isEmpty())
        m_file.append(again);

    QString what = at == DurableAppender::AtPath::Changed ? QStringLiteral("was edited")
                   : at == DurableAppender::AtPath::Other ? QStringLiteral("was replaced")
                                                          : QStringLiteral("was removed or moved");
    if (!samePath)
        what += QStringLiteral("; answers go to %1 now").arg(path);
    if (ours.size() > from)
        what += QStringLiteral("; %1 answers it lacked were written into it again")
                    .arg(ours.size() - from);
    // The answers being written now are counted as they are acknowledged.
    for (const QStringList &record : parseRecords(justWritten)) {
        for (qsizetype i = records.size() - 1; i > 0; --i) {
            if (identity(records[i]) == identity(record)) {
                records.removeAt(i);
                break;
            }
        }
    }
    std::lock_guard lock(m_mutex);
    m_path = path;
    m_answers = records.size() - 1;
    m_reread = Reread{std::move(records), what};
}

void AnswersFile::append(QByteArray record, Done done) {
    {
        std::lock_guard lock(m_mutex);
        m_waiting.push_back({std::move(record), std::move(done), std::nullopt});
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
        // Answers handed over together share one sync; a move waits for those
        // before it and goes before those after it.
        for (size_t from = 0; from < batch.size();) {
            if (batch[from].move) {
                move(*batch[from++].move);
                continue;
            }
            size_t to = from;
            while (to < batch.size() && !batch[to].move)
                ++to;
            write(batch, from, to);
            from = to;
        }
        lock.lock();
    }
}

void AnswersFile::write(const std::vector<Waiting> &batch, size_t from, size_t to) {
    QByteArray records;
    for (size_t i = from; i < to; ++i)
        records += batch[i].record;
    QString failure;
    try {
        followThePath({});
        m_file.append(records);
        // Replaced or removed while it was written: nobody would see it there.
        followThePath(records);
    } catch (const RuntimeError &error) {
        failure = error.description();
    }
    if (failure.isEmpty()) {
        std::lock_guard lock(m_mutex);
        m_answers += qsizetype(to - from);
    }
    for (size_t i = from; i < to; ++i)
        batch[i].done(failure);
}

} // namespace Velmora
