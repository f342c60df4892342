// Taking an answer: a POST to a survey's own address, stored in its answers
// file (or the database) and acknowledged only once it is there; an answer
// ID sent again is one answer, or asked about when its answers differ.
#include "collector.h"

#include "answerids.h"
#include "awaitcallback.h"
#include "collectorpages.h"
#include "csvreader.h"
#include "filetally.h"
#include "formdecoder.h"
#include "runtimeerror.h"
#include "summary.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>

namespace Velmora {

namespace {

bool isFormType(const QByteArray &contentType) {
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    return type == "application/x-www-form-urlencoded";
}

} // namespace

Collector::Answers &Collector::answersFor(const QString &fileName, const SurveyPage &page) {
    Answers &answers = m_answers[fileName];
    // The same page as last time: nothing to work out again.
    if ((answers.file || answers.shared) && answers.stamp == page.stamp &&
        answers.inputs == page.inputs)
        return answers;
    auto sheet = std::make_shared<const AnswerSheet>(page, AnswerSheet::Form::RespondentPage);
    const QStringList header = sheet->header();
    answers.sheetWidth = sheet->width();
    if (m_database) {
        // The database knows which answer IDs it holds, and counts the summaries.
        answers.shared = sharedSurvey(fileName, page, header);
        if (answers.header != header)
            answers.forgetIds();
        answers.header = header;
        answers.sheet = std::move(sheet);
        answers.stamp = page.stamp;
        answers.inputs = page.inputs;
        return answers;
    }
    const bool newFile = !answers.file || answers.header != header;
    if (newFile || answers.stamp != page.stamp) {
        // The file is read once, in pieces, into the counts of its summary.
        auto tally = std::make_shared<SummaryTally>(page, AnswerSheet::Form::RespondentPage);
        if (newFile) {
            if (answers.file)
                m_retired.push_back(std::move(answers.file));
            answers.forgetIds();
            answers.file = std::make_shared<AnswersFile>(
                m_folder, fileName, header,
                [&tally, &answers](const QStringList &record) {
                    answers.count(tally.get(), record);
                },
                m_fileMode);
            answers.header = header;
        } else {
            tally = tallyOfFile(answers.file->path(), page).tally;
        }
        answers.tally = std::move(tally);
        answers.sheet = std::move(sheet);
        answers.stamp = page.stamp;
        answers.inputs = page.inputs;
    }
    return answers;
}

void Collector::answer(const QString &fileName, const HttpRequest &request, const Language &words,
                       const Reply &reply) {
    if (!isFormType(request.contentType))
        return reply(notItsForm(words, 415, false));
    if (request.body.size() > MaxBody)
        return reply(bodyTooLarge(words));
    std::optional<QList<FormField>> fields = decodeForm(request.body);
    if (!fields)
        return reply(notItsForm(words, 400, false));
    const bool replaces =
        fields->removeIf([](const FormField &field) { return field.name == ReplacesField; }) > 0;

    std::shared_ptr<AnswersFile> file;
    std::optional<AnswerDatabase::Survey> shared;
    std::shared_ptr<SummaryTally> tally;
    std::shared_ptr<const AnswerSheet> sheet;
    QString title;
    SurveyPage surveyPage;
    RequiredAnswers required;
    SurveySchedule schedule;
    try {
        std::lock_guard lock(m_mutex);
        const auto page = m_pages->pages.constFind(fileName);
        if (page == m_pages->pages.cend())
            return reply(notFound(words, m_listed, request.path));
        title = page->page.title;
        surveyPage = page->page;
        required = page->required;
        schedule = page->schedule;
        // An empty body, or one of fields the survey does not have, is no
        // answer: it would only add a blank row.
        if (std::none_of(fields->cbegin(), fields->cend(), [&page](const FormField &field) {
                return AnswerSheet::isFieldOf(page->page, field.name);
            }))
            return reply(notItsForm(words, 400, true));
        Answers &answers = answersFor(fileName, page->page);
        sheet = answers.sheet;
        file = answers.file;
        shared = answers.shared;
        tally = answers.tally;
    } catch (const RuntimeError &error) {
        dropRetired();
        logNotSaved(title, error.description());
        return reply(notSaved(words, title, *fields));
    }
    dropRetired();
    // Outside the lock: the other threads go on meanwhile.
    const QDateTime received = m_clock();
    const AnswerSheet::Row row = sheet->row(*fields, received);
    // A respondent half-way through when the survey closed is still heard;
    // after that, shown their answers to keep.
    if (!schedule.takesAnswers(received))
        return reply(closedToAnswers(words, title, schedule, sheet->header(), row.cells));
    if (row.tooLong)
        return reply(tooLarge(words, row.tooLong->question, row.tooLong->characters));
    // Checked here too: a browser that skips its own checks, or a form sent
    // by other means, is told the same.
    if (const QStringList missing = required.missing(surveyPage, *sheet, row.cells);
        !missing.isEmpty())
        return reply(answersMissing(words, title, missing));
    // A database's text holds every character but NUL, which no keyboard types:
    // refused plainly rather than stored changed or asked again and again.
    if (shared && std::any_of(row.cells.cbegin(), row.cells.cend(),
                              [](const QString &cell) { return cell.contains(QChar(0)); }))
        return reply(holdsNul(words));

    // An answer posted again (a second press, a resend, Back and FINISHED) is
    // acknowledged as the first was and stored once: the same answer ID waits
    // for the first one's outcome, or is told at once that it is stored.
    //
    // The same answer ID with other answers is someone going back to change
    // theirs, or the next person on a shared tablet: never dropped in
    // silence, they are asked which (see differs()). A correction is a row of
    // its own with the same answer ID: the earlier one stays in the file, and
    // the summary counts the latest.
    const QString id = row.cells.last().size() == 32 ? row.cells.last() : QString();
    const QList<FormField> posted = *fields;
    const size_t content = contentOf(row.cells);
    bool correction = false;
    if (!id.isEmpty()) {
        std::lock_guard lock(m_mutex);
        Answers &answers = m_answers[fileName];
        const quint64 key = answerIdKey(id);
        if (const auto stored = answers.ids.constFind(key); stored != answers.ids.cend()) {
            if (stored->content == content)
                return reply(acknowledged(words, fileName, receiptFor(m_receiptKey, fileName)));
            if (!replaces)
                return reply(differs(words, fileName, title, posted));
            correction = true;
        }
        if (const auto waiting = answers.waiting.find(key); waiting != answers.waiting.end()) {
            waiting->second.push_back(reply);
            return;
        }
        answers.waiting[key].push_back(reply);
    }
    // The writer holds this until it has run; the file itself is the
    // collector's alone, so that it is never destroyed on its own writer
    // thread (see retire()).
    const std::weak_ptr<AnswersFile> toFile = file;
    const AnswersFile::Done stored = [this, reply, request, words, fileName, title, toFile,
                                      inFile = file != nullptr, tally, cells = row.cells,
                                      ignored = row.ignoredFields, id, posted, content,
                                      correction](const QString &failure) {
        const auto finished = qScopeGuard([this] { answerFinished(); });
        std::vector<Reply> replies{reply};
        qsizetype count = -1; // answers in the file, while it is still the survey's
        {
            std::lock_guard lock(m_mutex);
            const auto answers = m_answers.find(fileName);
            // The organiser's edit of the file shows in its counts and IDs.
            const bool current = answers != m_answers.end() && answers->second.file &&
                                 !answers->second.file.owner_before(toFile) &&
                                 !toFile.owner_before(answers->second.file);
            if (current) {
                count = answers->second.file->answers();
                if (std::optional<AnswersFile::Reread> reread = answers->second.file->takeReread())
                    readAgain(fileName, answers->second, *reread);
            }
            if (!id.isEmpty() && answers != m_answers.end()) {
                const auto waiting = answers->second.waiting.find(answerIdKey(id));
                if (waiting != answers->second.waiting.end()) {
                    replies = std::move(waiting->second);
                    answers->second.waiting.erase(waiting);
                }
                if (failure.isEmpty()) {
                    answers->second.ids.insert(answerIdKey(id), {content, answers->second.records});
                    answers->second.recount = answers->second.recount || correction;
                }
            }
            if (failure.isEmpty() && current)
                ++answers->second.records;
            if (failure.isEmpty() && current && answers->second.tally) {
                answers->second.tally->addAnswer(cells);
                answers->second.summaryDue = true;
            } else if (failure.isEmpty() && tally) {
                tally->addAnswer(cells);
                if (answers != m_answers.end() && answers->second.tally == tally)
                    answers->second.summaryDue = true;
            }
        }
        // Another collector of the database stored this answer ID with other
        // answers: asked about, as this collector would have asked.
        if (failure == AnswerDatabase::StoredOtherwise) {
            for (const Reply &waiting : replies)
                waiting(differs(words, fileName, title, posted));
            return;
        }
        if (!failure.isEmpty()) {
            logNotSaved(title, failure);
            for (const Reply &waiting : replies)
                waiting(notSaved(words, title, posted));
            return;
        }
        logNotSaved({}, {});
        if (m_log) {
            QString line = count >= 0 ? QStringLiteral("%1 answers to %2").arg(count).arg(title)
                           : inFile
                               ? QStringLiteral("An answer to %1 is stored").arg(title)
                               : QStringLiteral("An answer to %1 is in the database").arg(title);
            if (ignored > 0)
                line +=
                    QStringLiteral(" (%1 fields the page does not have were ignored)").arg(ignored);
            logFor(request, line);
        }
        for (const Reply &waiting : replies)
            waiting(acknowledged(words, fileName, receiptFor(m_receiptKey, fileName)));
    };
    {
        std::lock_guard lock(m_pendingMutex);
        ++m_pending;
    }
    if (shared && replaces)
        m_database->replace(*shared, row.cells, stored);
    else if (shared)
        m_database->append(*shared, row.cells, stored);
    else
        file->append(csvRecord(row.cells), stored);
}

void Collector::answerFinished() {
    std::lock_guard lock(m_pendingMutex);
    if (--m_pending == 0)
        m_pendingDone.notify_all();
}

void Collector::dropRetired() {
    std::vector<std::shared_ptr<AnswersFile>> retired;
    {
        std::lock_guard lock(m_mutex);
        retired.swap(m_retired);
    }
    retired.clear(); // each writer finishes what it was handed first
}

void Collector::logNotSaved(const QString &title, const QString &why) {
    // A full disk refuses every answer for the same reason: the log says it
    // once, then how many more, so that the lines around it stay in sight.
    QString line;
    {
        std::lock_guard lock(m_notSavedMutex);
        if (!why.isEmpty() && why == m_notSavedWhy) {
            ++m_notSavedRepeats;
            return;
        }
        if (m_notSavedRepeats > 0)
            line = QStringLiteral("%1 more answers were NOT saved: %2")
                       .arg(m_notSavedRepeats)
                       .arg(m_notSavedWhy);
        m_notSavedWhy = why;
        m_notSavedRepeats = 0;
    }
    if (!line.isEmpty())
        m_errors(line);
    if (!why.isEmpty())
        m_errors(QStringLiteral("An answer to %1 was NOT saved: %2").arg(title, why));
}

void Collector::Answers::count(SummaryTally *counts, const QStringList &record) {
    if (counts)
        counts->add(record);
    if (const std::optional<quint64> id = answerIdOf(record, sheetWidth)) {
        recount = recount || ids.contains(*id);
        ids.insert(*id, {contentOf(typedCells(record)), records});
    }
    ++records;
}

void Collector::Answers::forgetIds() {
    ids.clear();
    records = 0;
    recount = false;
}

void Collector::readAgain(const QString &fileName, Answers &answers,
                          const AnswersFile::Reread &reread) {
    const auto page = m_pages->pages.constFind(fileName);
    auto tally =
        page == m_pages->pages.cend()
            ? nullptr
            : std::make_shared<SummaryTally>(page->page, AnswerSheet::Form::RespondentPage);
    answers.forgetIds();
    for (const QStringList &record : reread.records)
        answers.count(tally.get(), record);
    if (tally)
        answers.tally = std::move(tally);
    answers.summaryDue = true;
    m_errors(QStringLiteral("The answers file of %1 %2; read again: %3 answers")
                 .arg(fileName, reread.what)
                 .arg(reread.records.size() - 1));
}

qsizetype Collector::moveAnswers(const QString &pageFile, const QSet<QString> &answerIds,
                                 bool restore) {
    if (m_database) {
        // The database moves them by answer ID, whichever version of the page
        // they answered; its summaries count again when they see the change.
        QString error;
        const qsizetype moved = m_database->moveAnswers(answerIds, restore, &error);
        if (moved < 0)
            throw RuntimeError(error);
        return moved;
    }
    std::shared_ptr<AnswersFile> file;
    {
        std::lock_guard lock(m_mutex);
        const auto page = m_pages->pages.constFind(pageFile);
        if (page == m_pages->pages.cend())
            throw RuntimeError(QStringLiteral("there is no survey %1").arg(pageFile));
        file = answersFor(pageFile, page->page).file;
    }
    dropRetired();
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

AnswerDatabase::Survey Collector::sharedSurvey(const QString &fileName, const SurveyPage &page,
                                               const QStringList &header) const {
    QFile file(m_folder + QLatin1Char('/') + fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(file.errorString());
    const QByteArray bytes = file.read(MaxPageSize);
    const std::optional<SurveyPage> read = readSurveyPage(bytes);
    if (!read || read->stamp != page.stamp || read->inputs != page.inputs)
        throw RuntimeError(QStringLiteral("the page changed while it was read"));
    return {fileName, page.title, page.stamp, header, bytes};
}

} // namespace Velmora
