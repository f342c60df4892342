// Taking an answer: a POST to a survey's own address, checked, handed to
// the answer store and acknowledged only once it is stored; an answer ID
// sent again is one answer, or asked about when its answers differ.
#include "collector.h"

#include "answerids.h"
#include "collectorpages.h"
#include "formdecoder.h"
#include "runtimeerror.h"

#include <algorithm>

namespace Velmora {

namespace {

bool isFormType(const QByteArray &contentType) {
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    return type == "application/x-www-form-urlencoded";
}

} // namespace

void Collector::answer(const Incoming &in, const Page &page, const Reply &reply) {
    const HttpRequest &request = in.request;
    const Language &words = in.words;
    const QString &fileName = in.name;
    if (!isFormType(request.contentType))
        return reply(notItsForm(words, 415, false));
    if (request.body.size() > MaxBody)
        return reply(bodyTooLarge(words));
    std::optional<QList<FormField>> fields = decodeForm(request.body);
    if (!fields)
        return reply(notItsForm(words, 400, false));
    const bool replaces =
        fields->removeIf([](const FormField &field) { return field.name == ReplacesField; }) > 0;

    const QString &title = page.page.title;
    const SurveySchedule &schedule = page.schedule;
    // An empty body, or one of fields the survey does not have, is no
    // answer: it would only add a blank row.
    if (std::none_of(fields->cbegin(), fields->cend(), [&page](const FormField &field) {
            return AnswerSheet::isFieldOf(page.page, field.name);
        }))
        return reply(notItsForm(words, 400, true));
    std::shared_ptr<const AnswerSheet> sheet;
    try {
        sheet = m_store->open(*in.folder, fileName, page.page);
    } catch (const RuntimeError &error) {
        logNotSaved(title, error.description());
        return reply(notSaved(words, title, *fields));
    }
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
    if (const QStringList missing = page.required.missing(page.page, *sheet, row.cells);
        !missing.isEmpty())
        return reply(answersMissing(words, title, missing));
    // Refused plainly where the store cannot hold it, rather than stored
    // changed or asked again and again.
    if (!m_store->holdsNul() &&
        std::any_of(row.cells.cbegin(), row.cells.cend(),
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
    const QString id = answerIdIn(row.cells);
    enum class Seen { New, Stored, Otherwise, Waiting } seen = Seen::New;
    if (!id.isEmpty()) {
        // Held while the store is asked: an outcome comes to the waiting
        // posts only after the store knows the answer ID, so a post either
        // finds it stored or joins those waiting.
        std::lock_guard lock(m_waitingMutex);
        const std::pair<QString, quint64> key{fileName, answerIdKey(id)};
        const std::optional<size_t> stored = m_store->storedContent(fileName, key.second);
        if (stored && *stored == contentOf(row.cells)) {
            seen = Seen::Stored;
        } else if (stored && !replaces) {
            seen = Seen::Otherwise;
        } else {
            std::vector<Reply> &waiting = m_waiting[key];
            waiting.push_back(reply);
            seen = waiting.size() > 1 ? Seen::Waiting : Seen::New;
        }
    }
    if (seen == Seen::Stored)
        return reply(acknowledged(words, fileName, receiptFor(m_receiptKey, fileName)));
    if (seen == Seen::Otherwise)
        return reply(differs(words, fileName, title, *fields));
    if (seen == Seen::Waiting)
        return;
    store(fileName, request, words, title, page.page.stamp, row, *fields, replaces, reply);
}

void Collector::store(const QString &fileName, const HttpRequest &request, const Language &words,
                      const QString &title, const QString &stamp, const AnswerSheet::Row &row,
                      const QList<FormField> &posted, bool replaces, const Reply &reply) {
    const QString id = answerIdIn(row.cells);
    m_store->store(
        fileName, stamp, row.cells, replaces,
        [this, reply, request, words, fileName, title, id, posted,
         ignored = row.ignoredFields](const QString &failure, qsizetype answers) {
            std::vector<Reply> replies{reply};
            if (!id.isEmpty()) {
                std::lock_guard lock(m_waitingMutex);
                const auto waiting = m_waiting.find({fileName, answerIdKey(id)});
                if (waiting != m_waiting.end()) {
                    replies = std::move(waiting->second);
                    m_waiting.erase(waiting);
                }
            }
            // Another collector of the database stored this answer ID with other
            // answers: asked about, as this collector would have asked.
            if (failure == AnswerStore::StoredOtherwise) {
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
                QString line = answers >= 0
                                   ? QStringLiteral("%1 answers to %2").arg(answers).arg(title)
                                   : QStringLiteral("An answer to %1 is stored").arg(title);
                if (ignored > 0)
                    line += QStringLiteral(" (%1 fields the page does not have were ignored)")
                                .arg(ignored);
                logFor(request, line);
            }
            for (const Reply &waiting : replies)
                waiting(acknowledged(words, fileName, receiptFor(m_receiptKey, fileName)));
        });
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

qsizetype Collector::moveAnswers(const QString &pageFile, const QSet<QString> &answerIds,
                                 bool restore) {
    return m_store->moveAnswers(*folderNow(), pageFile, answerIds, restore);
}

} // namespace Velmora
