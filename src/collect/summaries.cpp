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
        QByteArray version;
        {
            std::lock_guard lock(m_mutex);
            const auto counted = m_counted.find(it.key());
            if (counted != m_counted.end() && counted->second.stamp == it->page.stamp)
                version = counted->second.version;
        }
        SummaryTally tally(it->page, AnswerSheet::Form::RespondentPage);
        QString error;
        const std::optional<SummaryTally::Counts> counts =
            m_database->counts(survey, tally, &version, &error);
        // Said once, not every second while the database is away.
        if (!error.isEmpty() && error != m_summaryError)
            m_errors(QStringLiteral("No summaries: %1").arg(error));
        m_summaryError = error;
        if (!error.isEmpty())
            return;
        if (!counts)
            continue;
        tally.assign(*counts);
        std::lock_guard lock(m_mutex);
        m_counted[it.key()] = {version, it->page.stamp, counts->answers, tally.page()};
    }
}

bool Collector::writeSummaries(bool everySurvey) {
    const std::shared_ptr<const Folder> folder = folderNow();
    if (m_database) {
        countSummaries(*folder);
        return true;
    }
    bool written = true;
    QList<std::pair<QString, QByteArray>> due;        // where, what
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
                    {summaryPath(answers->second.file->path()), answers->second.tally->page()});
            } else if (!counted && everySurvey) {
                notCounted.append({it.key(), it->page});
            }
        }
    }
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
            due.append({summaryPath(recount.file->path()), counted.tally->page()});
        } catch (const RuntimeError &error) {
            m_errors(QStringLiteral("No summary of %1: %2")
                         .arg(recount.page.title, error.description()));
            written = false;
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
            due.append({summaryPath(path), tallyOfFile(path, page).tally->page()});
        } catch (const RuntimeError &error) {
            m_errors(QStringLiteral("No summary of %1: %2").arg(page.title, error.description()));
            written = false;
        }
    }
    for (const auto &[path, html] : due) {
        try {
            writeFileDurably(path, html, m_fileMode);
        } catch (const RuntimeError &error) {
            m_errors(QStringLiteral("No summary written: %1").arg(error.description()));
            written = false;
        }
    }
    return written;
}

} // namespace Velmora
