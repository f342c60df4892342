// The summaries beside the answers files, brought up to date from what is
// counted in memory, each with the answers to every version of its page.
#include "fileanswerstore.h"

#include "durablefile.h"
#include "filetally.h"
#include "runtimeerror.h"

#include <QFileInfo>

namespace Velmora {

std::shared_ptr<const SummaryTally> FileAnswerStore::otherVersions(const SurveyFolder &folder,
                                                                   const QString &pageFile,
                                                                   const SurveyPage &page,
                                                                   const QString &answersPath) {
    QStringList paths;
    QStringList files{page.stamp}; // counted as this version of the page asks
    for (const QString &name : folder.answersFiles.value(pageFile)) {
        const QString path = folder.pathOf(name);
        if (path == answersPath)
            continue;
        const QFileInfo info(path);
        paths.append(path);
        files.append(QStringLiteral("%1 %2 %3")
                         .arg(path, QString::number(info.size()),
                              QString::number(info.lastModified().toMSecsSinceEpoch())));
    }
    if (paths.isEmpty())
        return nullptr;
    {
        std::lock_guard lock(m_mutex);
        const auto known = m_otherVersions.find(pageFile);
        if (known != m_otherVersions.end() && known->second.files == files)
            return known->second.tally;
    }
    auto tally = std::make_shared<const SummaryTally>(tallyOfEarlierFiles(paths, page));
    std::lock_guard lock(m_mutex);
    m_otherVersions[pageFile] = {files, tally};
    return tally;
}

bool FileAnswerStore::writeSummaries(const SurveyFolder &folder, const Language &words,
                                     bool everySurvey) {
    bool written = true;
    struct Due {
        QString pageFile;
        SurveyPage page;
        QString answersPath;
        SummaryTally tally; // of this version's answers
    };
    QList<Due> due;
    QList<std::pair<QString, SurveyPage>> notCounted; // page file, page
    struct Recount {
        QString pageFile;
        SurveyPage page;
        std::shared_ptr<AnswersFile> file;
        qsizetype records;
    };
    QList<Recount> recounts;
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_otherVersions,
                      [&folder](const auto &other) { return !folder.pages.contains(other.first); });
        for (auto it = folder.pages.cbegin(); it != folder.pages.cend(); ++it) {
            const auto answers = m_answers.find(it.key());
            // A file that could not be opened again leaves no file to count.
            const bool counted = answers != m_answers.end() && answers->second.tally &&
                                 answers->second.file &&
                                 answers->second.page.stamp == it->page.stamp;
            if (counted && answers->second.recount) {
                recounts.append(
                    {it.key(), it->page, answers->second.file, answers->second.records});
            } else if (counted && (everySurvey || answers->second.summaryDue)) {
                answers->second.summaryDue = false;
                due.append(
                    {it.key(), it->page, answers->second.file->path(), *answers->second.tally});
            } else if (!counted && everySurvey) {
                notCounted.append({it.key(), it->page});
            }
        }
    }
    const auto failed = [&](const SurveyPage &page, const RuntimeError &error) {
        m_errors(QStringLiteral("No summary of %1: %2").arg(page.title, error.description()));
        written = false;
    };
    // A corrected answer is counted once, in its latest version: the file is
    // read again, outside the lock, and its count taken unless answers came
    // in meanwhile (then it is read again next time).
    for (const Recount &recount : recounts) {
        try {
            const FileTally counted = tallyOfFile(recount.file->path(), recount.page);
            std::lock_guard lock(m_mutex);
            const auto answers = m_answers.find(recount.pageFile);
            if (counted.records != recount.records || answers == m_answers.end() ||
                answers->second.file != recount.file || answers->second.records != recount.records)
                continue;
            answers->second.tally = counted.tally;
            answers->second.recount = false;
            due.append({recount.pageFile, recount.page, recount.file->path(), *counted.tally});
        } catch (const RuntimeError &error) {
            failed(recount.page, error);
        }
    }
    // A survey nobody answered in this run is read from its file, in pieces; a
    // record being appended just now is not complete yet and is left out.
    for (const auto &[pageFile, page] : notCounted) {
        try {
            const QString path = answersPath(folder, pageFile);
            if (!QFileInfo::exists(path))
                continue;
            due.append({pageFile, page, path, *tallyOfFile(path, page).tally});
        } catch (const RuntimeError &error) {
            failed(page, error);
        }
    }
    // Each summary counts the answers to every version of its page, the
    // questions asked in the same words together.
    for (Due &summary : due) {
        try {
            if (const auto other =
                    otherVersions(folder, summary.pageFile, summary.page, summary.answersPath))
                summary.tally.include(*other);
            writeFileDurably(summaryPath(summary.answersPath), summary.tally.page(words),
                             m_fileMode.load());
        } catch (const RuntimeError &error) {
            failed(summary.page, error);
        }
    }
    return written;
}

} // namespace Velmora
