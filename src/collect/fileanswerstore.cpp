// The answers files: each page's answers appended to its file and counted
// as they come, answers moved aside and back, and what the organiser's
// window and results link read of them.
#include "fileanswerstore.h"

#include "answerids.h"
#include "awaitcallback.h"
#include "csvreader.h"
#include "filetally.h"
#include "runtimeerror.h"

#include <QFileInfo>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace Velmora {

namespace {

// Less free space than this and an answer may not fit: the health check says so.
constexpr qint64 MinFreeSpace = 64 * 1024;

} // namespace

FileAnswerStore::FileAnswerStore(QString folder, const std::atomic<int> &fileMode, Log errors)
    : m_folder(std::move(folder))
    , m_fileMode(fileMode)
    , m_errors(std::move(errors)) {}

FileAnswerStore::~FileAnswerStore() {
    std::map<QString, Answers> answers;
    {
        std::lock_guard lock(m_mutex);
        answers.swap(m_answers);
    }
    answers.clear();
    dropRetired();
}

QString FileAnswerStore::answersPath(const SurveyFolder &folder, const QString &pageFile) {
    return AnswersFile::pathFor(
        folder.path, pageFile,
        AnswerSheet(folder.pages.value(pageFile).page, AnswerSheet::Form::RespondentPage).header());
}

std::shared_ptr<const AnswerSheet>
FileAnswerStore::open(const SurveyFolder &, const QString &pageFile, const SurveyPage &page) {
    // One thread opens a page's file at a time; the file is read outside
    // m_mutex, while the other pages' answers go on.
    std::shared_ptr<std::mutex> opening;
    std::shared_ptr<AnswersFile> file;
    QStringList header;
    {
        std::lock_guard lock(m_mutex);
        std::shared_ptr<std::mutex> &slot = m_opening[pageFile];
        if (!slot)
            slot = std::make_shared<std::mutex>();
        opening = slot;
    }
    std::lock_guard openingThisPage(*opening);
    {
        std::lock_guard lock(m_mutex);
        const Answers &answers = m_answers[pageFile];
        // The same page as last time: nothing to work out again.
        if (answers.file && answers.page.stamp == page.stamp && answers.page.inputs == page.inputs)
            return answers.sheet;
        file = answers.file;
        header = answers.header;
    }
    auto sheet = std::make_shared<const AnswerSheet>(page, AnswerSheet::Form::RespondentPage);
    if (file && header == sheet->header()) {
        // The page made again with the same questions: the same file, counted
        // as the page asks now. An answer that came meanwhile is in the file
        // or in the old counts, not both: those are counted again from the file.
        const FileTally counted = tallyOfFile(file->path(), page);
        std::lock_guard lock(m_mutex);
        Answers &answers = m_answers[pageFile];
        answers.recount = answers.recount || answers.records != counted.records;
        answers.tally = counted.tally;
        answers.sheet = sheet;
        answers.page = page;
        return sheet;
    }
    // A new file, read once, in pieces, into the counts of its summary.
    Answers fresh;
    fresh.page = page;
    fresh.header = sheet->header();
    fresh.sheetWidth = sheet->width();
    fresh.sheet = sheet;
    fresh.tally = std::make_shared<SummaryTally>(page, AnswerSheet::Form::RespondentPage);
    fresh.file = std::make_shared<AnswersFile>(
        m_folder, pageFile, fresh.header,
        [&fresh](const QStringList &record) { fresh.count(fresh.tally.get(), record); },
        m_fileMode.load());
    {
        std::lock_guard lock(m_mutex);
        Answers &answers = m_answers[pageFile];
        if (answers.file)
            m_retired.push_back(std::move(answers.file));
        answers = std::move(fresh);
    }
    dropRetired();
    return sheet;
}

std::optional<size_t> FileAnswerStore::storedContent(const QString &pageFile, quint64 idKey) {
    std::lock_guard lock(m_mutex);
    const auto answers = m_answers.find(pageFile);
    return answers == m_answers.end() ? std::nullopt : answers->second.ids.find(idKey);
}

void FileAnswerStore::store(const QString &pageFile, const QString &stamp, const QStringList &cells,
                            bool, Stored done) {
    std::shared_ptr<AnswersFile> file;
    {
        std::lock_guard lock(m_mutex);
        const auto answers = m_answers.find(pageFile);
        if (answers == m_answers.end() || !answers->second.file ||
            answers->second.page.stamp != stamp)
            return done(QStringLiteral("the page changed while the answer was sent"), -1);
        file = answers->second.file;
    }
    // The writer holds its completion until it has run; the file itself is
    // this store's alone, so that it is never destroyed on its own writer
    // thread (see dropRetired()).
    const std::weak_ptr<AnswersFile> toFile = file;
    const QString id = answerIdIn(cells);
    const size_t content = contentOf(cells);
    file->append(csvRecord(cells), [this, pageFile, toFile, cells, id, content,
                                    done = std::move(done)](const QString &failure) {
        qsizetype count = -1; // answers in the file, while it is still the page's
        {
            std::lock_guard lock(m_mutex);
            const auto answers = m_answers.find(pageFile);
            // The organiser's edit of the file shows in its counts and IDs.
            const bool current = answers != m_answers.end() && answers->second.file &&
                                 !answers->second.file.owner_before(toFile) &&
                                 !toFile.owner_before(answers->second.file);
            if (current) {
                count = answers->second.file->answers();
                if (std::optional<AnswersFile::Reread> reread = answers->second.file->takeReread())
                    readAgain(pageFile, answers->second, *reread);
            }
            // Known even when the page was made again meanwhile: sent once
            // more, the answer is acknowledged, not stored a second time.
            if (failure.isEmpty() && answers != m_answers.end() && !id.isEmpty()) {
                // A correction is a row of its own: the earlier one is
                // counted until the summary is counted from the file again.
                if (answers->second.ids.insert(answerIdKey(id), content))
                    answers->second.recount = true;
            }
            if (failure.isEmpty() && current) {
                ++answers->second.records;
                answers->second.tally->addAnswer(cells);
                answers->second.summaryDue = true;
            }
        }
        done(failure, count);
    });
}

void FileAnswerStore::Answers::count(SummaryTally *counts, const QStringList &record) {
    if (counts)
        counts->add(record);
    if (const std::optional<quint64> id = answerIdOf(record, sheetWidth)) {
        if (ids.insert(*id, contentOf(typedCells(record))))
            recount = true;
    }
    ++records;
}

void FileAnswerStore::Answers::forgetIds() {
    ids.clear();
    records = 0;
    recount = false;
}

void FileAnswerStore::readAgain(const QString &pageFile, Answers &answers,
                                const AnswersFile::Reread &reread) {
    auto tally = std::make_shared<SummaryTally>(answers.page, AnswerSheet::Form::RespondentPage);
    answers.forgetIds();
    for (const QStringList &record : reread.records)
        answers.count(tally.get(), record);
    answers.tally = std::move(tally);
    answers.summaryDue = true;
    m_errors(QStringLiteral("The answers file of %1 %2; read again: %3 answers")
                 .arg(pageFile, reread.what)
                 .arg(reread.records.size() - 1));
}

void FileAnswerStore::dropRetired() {
    std::vector<std::shared_ptr<AnswersFile>> retired;
    {
        std::lock_guard lock(m_mutex);
        retired.swap(m_retired);
    }
    retired.clear(); // each writer finishes what it was handed first
}

void FileAnswerStore::list(const SurveyFolder &folder, QList<ListedSurvey> &surveys) {
    QList<qsizetype> unopened; // surveys nobody answered in this run
    {
        std::lock_guard lock(m_mutex);
        for (qsizetype i = 0; i < surveys.size(); ++i) {
            ListedSurvey &survey = surveys[i];
            const auto answers = m_answers.find(survey.fileName);
            if (answers != m_answers.end() && answers->second.file &&
                answers->second.page.stamp == folder.pages.value(survey.fileName).page.stamp) {
                // A corrected answer is one answer, once its summary is counted again.
                survey.answers = answers->second.tally ? answers->second.tally->answers()
                                                       : answers->second.file->answers();
                survey.answersFile = answers->second.file->path();
            } else {
                unopened.append(i);
            }
        }
    }
    // Listing makes nothing and holds no lock over the disk: what a survey
    // nobody answered yet has is counted from its file, read again only when
    // the file changed.
    for (const qsizetype i : std::as_const(unopened)) {
        ListedSurvey &survey = surveys[i];
        try {
            const QString path = answersPath(folder, survey.fileName);
            const QFileInfo info(path);
            if (!info.isFile())
                continue;
            survey.answersFile = path;
            survey.answers = m_listedCounts.count(path, info);
        } catch (const RuntimeError &error) {
            m_errors(QStringLiteral("Cannot read the answers to %1: %2")
                         .arg(survey.title, error.description()));
        }
    }
    for (ListedSurvey &survey : surveys) {
        for (const QString &name : folder.answersFiles.value(survey.fileName)) {
            const QString path = folder.pathOf(name);
            if (QFileInfo(survey.answersFile).fileName() == name)
                continue;
            survey.earlierAnswersFiles.append(path);
            try {
                survey.earlierAnswers += m_listedCounts.count(path, QFileInfo(path));
            } catch (const RuntimeError &) {
                // Counted as none; the file is still listed.
            }
        }
    }
}

QMap<QString, ResultFile> FileAnswerStore::resultFiles(const SurveyFolder &folder) {
    QMap<QString, ResultFile> files;
    // The answers files of every version of each page, and their summaries:
    // the current one whether or not the folder was looked at since it began.
    for (auto it = folder.pages.cbegin(); it != folder.pages.cend(); ++it) {
        QStringList answers;
        for (const QString &name : folder.answersFiles.value(it.key()))
            answers.append(folder.pathOf(name));
        try {
            answers.append(answersPath(folder, it.key()));
        } catch (const RuntimeError &) {
        }
        for (const QString &file : std::as_const(answers))
            for (const QString &path : {file, summaryPath(file)})
                if (QFileInfo(path).isFile())
                    files.insert(QFileInfo(path).fileName(), {path, {}});
    }
    return files;
}

QList<QStringList> FileAnswerStore::records(const SurveyFolder &folder, const QString &pageFile,
                                            bool removed) {
    QList<QStringList> records;
    try {
        const QString path = answersPath(folder, pageFile);
        CsvReader::readFile(removed ? AnswersFile::removedPath(path) : path,
                            [&records](const QStringList &record) { records.append(record); });
    } catch (const RuntimeError &) {
    }
    return records;
}

QList<QStringList> FileAnswerStore::latestAnswers(const SurveyFolder &folder,
                                                  const QString &pageFile) {
    const QString path = answersPath(folder, pageFile);
    return QFileInfo::exists(path) ? latestRecords(path) : QList<QStringList>();
}

QString FileAnswerStore::removedPlace(const SurveyFolder &folder, const QString &pageFile,
                                      const Language &) {
    try {
        return QFileInfo(AnswersFile::removedPath(answersPath(folder, pageFile))).fileName();
    } catch (const RuntimeError &) {
        return {};
    }
}

qsizetype FileAnswerStore::moveAnswers(const SurveyFolder &folder, const QString &pageFile,
                                       const QSet<QString> &answerIds, bool restore) {
    const auto page = folder.pages.constFind(pageFile);
    if (page == folder.pages.cend())
        throw RuntimeError(QStringLiteral("there is no survey %1").arg(pageFile));
    open(folder, pageFile, page->page);
    std::shared_ptr<AnswersFile> file;
    {
        std::lock_guard lock(m_mutex);
        file = m_answers[pageFile].file;
    }
    const auto [moved, failure] = awaitCallback<std::pair<qsizetype, QString>>(
        [&](std::function<void(std::pair<qsizetype, QString>)> done) {
            file->moveAnswers(answerIds, restore, [done](qsizetype moved, const QString &failure) {
                done({moved, failure});
            });
        });
    std::lock_guard lock(m_mutex);
    const auto answers = m_answers.find(pageFile);
    if (answers != m_answers.end() && answers->second.file == file) {
        if (std::optional<AnswersFile::Reread> reread = file->takeReread())
            readAgain(pageFile, answers->second, *reread);
    }
    if (!failure.isEmpty())
        throw RuntimeError(failure);
    return moved;
}

void FileAnswerStore::setSchedule(const QString &pageFile, const SurveySchedule &schedule) {
    schedule.write(SurveySchedule::pathFor(m_folder, pageFile), m_fileMode.load());
}

QString FileAnswerStore::whyCannotStore(const SurveyFolder &folder) const {
    const QByteArray path = QFile::encodeName(m_folder);
    if (::access(path.constData(), W_OK) != 0)
        return QStringLiteral("the survey folder is not writable");
    struct statvfs disk {};
    if (::statvfs(path.constData(), &disk) == 0 &&
        qint64(disk.f_bavail) * qint64(disk.f_frsize) < MinFreeSpace)
        return QStringLiteral("the disk is full");
    // An answers file that another program holds (a second collector started
    // on the same folder) takes no answer, while the respondents' pages still load.
    for (auto page = folder.pages.cbegin(); page != folder.pages.cend(); ++page) {
        {
            std::lock_guard lock(m_mutex);
            const auto answers = m_answers.find(page.key());
            if (answers != m_answers.end() && answers->second.file)
                continue; // open here, so held by this store
        }
        try {
            const QString answers = answersPath(folder, page.key());
            if (AnswersFile::heldElsewhere(answers))
                return QStringLiteral("another program is writing to %1")
                    .arg(QFileInfo(answers).fileName());
        } catch (const RuntimeError &error) {
            return error.description();
        }
    }
    return {};
}

} // namespace Velmora
