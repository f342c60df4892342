// The summaries beside the answers files, brought up to date from what is
// counted in memory, or counted by the database.
#include "collector.h"

#include "answerids.h"
#include "collectorpages.h"
#include "csvreader.h"
#include "filetally.h"
#include "formdecoder.h"
#include "runtimeerror.h"
#include "summary.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

namespace Velmora {

void Collector::countSummaries(const Folder &folder) {
    const Language words = organiserLanguage();
    {
        // A page taken out of the folder takes its summary off the results link.
        std::lock_guard lock(m_mutex);
        std::erase_if(m_counted, [&folder](const auto &counted) {
            return !folder.pages.contains(counted.first);
        });
    }
    for (auto it = folder.pages.cbegin(); it != folder.pages.cend(); ++it) {
        const AnswerDatabase::Survey survey{
            it.key(),
            it->page.title,
            it->page.stamp,
            AnswerSheet(it->page, AnswerSheet::Form::RespondentPage).header(),
            {}};
        Counted counted{{}, it->page.stamp, {}, {}};
        {
            std::lock_guard lock(m_mutex);
            const auto known = m_counted.find(it.key());
            if (known != m_counted.end() && known->second.stamp == it->page.stamp)
                counted = known->second;
        }
        SummaryTally tally(it->page, AnswerSheet::Form::RespondentPage);
        QString error;
        const auto ask = [&](const AnswerDatabase::Survey &version,
                             const QList<SummaryTally::Column> &columns, Counted::Version *known) {
            if (const auto counts = m_database->counts(version, columns, &known->version, &error)) {
                known->counts = *counts;
                return true;
            }
            return false;
        };
        // This version's answers, then those of the page's other versions.
        bool changed = ask(survey, tally.columns(), &counted.current);
        QMap<QStringList, Counted::Version> others;
        for (const QStringList &header : m_database->otherVersions(survey)) {
            if (!error.isEmpty())
                break;
            Counted::Version other = counted.others.value(header);
            AnswerDatabase::Survey version = survey;
            version.header = header;
            changed = ask(version, tally.columnsOf(header), &other) || changed;
            others.insert(header, other);
        }
        // Said once, not every second while the database is away.
        if (!error.isEmpty() && error != m_summaryError)
            m_errors(QStringLiteral("No summaries: %1").arg(error));
        m_summaryError = error;
        if (!error.isEmpty())
            return;
        changed = changed || others.keys() != counted.others.keys();
        counted.others = std::move(others);
        if (!changed)
            continue;
        tally.assign(counted.current.counts);
        for (auto other = counted.others.cbegin(); other != counted.others.cend(); ++other)
            tally.includeCounts(other.key(), other->counts);
        counted.summary = tally.page(words);
        std::lock_guard lock(m_mutex);
        m_counted[it.key()] = std::move(counted);
    }
}

std::shared_ptr<const SummaryTally> Collector::otherVersions(const Folder &folder,
                                                             const QString &fileName,
                                                             const SurveyPage &page,
                                                             const QString &answersPath) {
    QStringList paths;
    QStringList files{page.stamp}; // counted as this version of the page asks
    for (const QString &name : folder.answersFiles.value(fileName)) {
        const QString path = m_folder + QLatin1Char('/') + name;
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
        const auto known = m_otherVersions.find(fileName);
        if (known != m_otherVersions.end() && known->second.files == files)
            return known->second.tally;
    }
    auto tally = std::make_shared<const SummaryTally>(tallyOfEarlierFiles(paths, page));
    std::lock_guard lock(m_mutex);
    m_otherVersions[fileName] = {files, tally};
    return tally;
}

bool Collector::writeSummaries(bool everySurvey) {
    const Language words = organiserLanguage();
    const std::shared_ptr<const Folder> folder = folderNow();
    if (m_database) {
        if (!m_readsStopped)
            countSummaries(*folder);
        return true;
    }
    bool written = true;
    struct Due {
        QString fileName;
        SurveyPage page;
        QString answersPath;
        SummaryTally tally; // of this version's answers
    };
    QList<Due> due;
    QList<std::pair<QString, SurveyPage>> notCounted; // page file, page
    struct Recount {
        QString fileName;
        SurveyPage page;
        std::shared_ptr<AnswersFile> file;
        qsizetype records;
    };
    QList<Recount> recounts;
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_otherVersions, [&folder](const auto &other) {
            return !folder->pages.contains(other.first);
        });
        for (auto it = folder->pages.cbegin(); it != folder->pages.cend(); ++it) {
            const auto answers = m_answers.find(it.key());
            // A file that could not be opened again leaves no file to count.
            const bool counted = answers != m_answers.end() && answers->second.tally &&
                                 answers->second.file && answers->second.stamp == it->page.stamp;
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
            const auto answers = m_answers.find(recount.fileName);
            if (counted.records != recount.records || answers == m_answers.end() ||
                answers->second.file != recount.file || answers->second.records != recount.records)
                continue;
            answers->second.tally = counted.tally;
            answers->second.recount = false;
            due.append({recount.fileName, recount.page, recount.file->path(), *counted.tally});
        } catch (const RuntimeError &error) {
            failed(recount.page, error);
        }
    }
    // A survey nobody answered in this run is read from its file, in pieces; a
    // record being appended just now is not complete yet and is left out.
    for (const auto &[fileName, page] : notCounted) {
        try {
            const QString path = AnswersFile::pathFor(
                m_folder, fileName, AnswerSheet(page, AnswerSheet::Form::RespondentPage).header());
            if (!QFileInfo::exists(path))
                continue;
            due.append({fileName, page, path, *tallyOfFile(path, page).tally});
        } catch (const RuntimeError &error) {
            failed(page, error);
        }
    }
    // Each summary counts the answers to every version of its page, the
    // questions asked in the same words together.
    for (Due &summary : due) {
        try {
            if (const auto other =
                    otherVersions(*folder, summary.fileName, summary.page, summary.answersPath))
                summary.tally.include(*other);
            writeFileDurably(summaryPath(summary.answersPath), summary.tally.page(words),
                             m_fileMode);
        } catch (const RuntimeError &error) {
            failed(summary.page, error);
        }
    }
    return written;
}

} // namespace Velmora
