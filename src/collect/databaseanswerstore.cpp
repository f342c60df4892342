// Answers in a database: stored and acknowledged once committed, moved
// aside and back by answer ID, and what the results link reads of them.
#include "databaseanswerstore.h"

#include "answerids.h"
#include "answersfile.h"
#include "organiserpages.h"
#include "runtimeerror.h"
#include "surveypagereader.h"

#include <QFile>

namespace Velmora {

DatabaseAnswerStore::DatabaseAnswerStore(std::shared_ptr<AnswerDatabase> database, Log errors)
    : m_database(std::move(database))
    , m_errors(std::move(errors)) {}

DatabaseAnswerStore::~DatabaseAnswerStore() {
    // Its completions use this store: they all run before it is gone, here
    // or, where the database is shared, on its own threads.
    m_database.reset();
    std::unique_lock lock(m_pendingMutex);
    m_pendingDone.wait(lock, [this] { return m_pending == 0; });
}

AnswerDatabase::Survey DatabaseAnswerStore::surveyOf(const SurveyFolder &folder,
                                                     const QString &pageFile,
                                                     const SurveyPage &page,
                                                     const QStringList &header) {
    QFile file(folder.pathOf(pageFile));
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(file.errorString());
    const QByteArray bytes = file.read(SurveyFolder::MaxPageSize);
    const std::optional<SurveyPage> read = readSurveyPage(bytes);
    if (!read || read->stamp != page.stamp || read->inputs != page.inputs)
        throw RuntimeError(QStringLiteral("the page changed while it was read"));
    return {pageFile, page.title, page.stamp, header, bytes};
}

std::shared_ptr<const AnswerSheet> DatabaseAnswerStore::open(const SurveyFolder &folder,
                                                             const QString &pageFile,
                                                             const SurveyPage &page) {
    {
        std::lock_guard lock(m_mutex);
        const auto known = m_answers.find(pageFile);
        // The same page as last time: nothing to work out again.
        if (known != m_answers.end() && known->second.survey.stamp == page.stamp &&
            known->second.inputs == page.inputs)
            return known->second.sheet;
    }
    // The page is read outside the lock: the other pages' answers go on meanwhile.
    auto sheet = std::make_shared<const AnswerSheet>(page, AnswerSheet::Form::RespondentPage);
    AnswerDatabase::Survey survey = surveyOf(folder, pageFile, page, sheet->header());
    std::lock_guard lock(m_mutex);
    Answers &answers = m_answers[pageFile];
    if (answers.survey.header != survey.header)
        answers.ids.clear();
    answers.survey = std::move(survey);
    answers.inputs = page.inputs;
    answers.sheet = sheet;
    return sheet;
}

std::optional<size_t> DatabaseAnswerStore::storedContent(const QString &pageFile, quint64 idKey) {
    std::lock_guard lock(m_mutex);
    const auto answers = m_answers.find(pageFile);
    return answers == m_answers.end() ? std::nullopt : answers->second.ids.find(idKey);
}

void DatabaseAnswerStore::store(const QString &pageFile, const QString &stamp,
                                const QStringList &cells, bool replaces, Stored done) {
    AnswerDatabase::Survey survey;
    {
        std::lock_guard lock(m_mutex);
        const auto answers = m_answers.find(pageFile);
        if (answers == m_answers.end() || answers->second.survey.stamp != stamp)
            return done(QStringLiteral("the page changed while the answer was sent"), -1);
        survey = answers->second.survey;
    }
    const QString id = answerIdIn(cells);
    AnswerDatabase::Done stored = [this, pageFile, id, content = contentOf(cells),
                                   header = survey.header,
                                   done = std::move(done)](const QString &failure) {
        if (failure.isEmpty() && !id.isEmpty()) {
            std::lock_guard lock(m_mutex);
            const auto answers = m_answers.find(pageFile);
            if (answers != m_answers.end() && answers->second.survey.header == header)
                answers->second.ids.insert(answerIdKey(id), content);
        }
        done(failure, -1);
        std::lock_guard lock(m_pendingMutex);
        if (--m_pending == 0)
            m_pendingDone.notify_all();
    };
    {
        std::lock_guard lock(m_pendingMutex);
        ++m_pending;
    }
    if (replaces)
        m_database->replace(survey, cells, std::move(stored));
    else
        m_database->append(survey, cells, std::move(stored));
}

void DatabaseAnswerStore::list(const SurveyFolder &, QList<ListedSurvey> &surveys) {
    std::lock_guard lock(m_mutex);
    for (ListedSurvey &survey : surveys) {
        const auto counted = m_counted.find(survey.fileName);
        if (counted != m_counted.end()) {
            survey.answers = counted->second.current.counts.answers;
            survey.countedSummary = summaryPath(AnswersFile::name(survey.fileName));
        }
    }
}

QMap<QString, ResultFile> DatabaseAnswerStore::resultFiles(const SurveyFolder &) {
    QMap<QString, ResultFile> summaries;
    std::lock_guard lock(m_mutex);
    for (const auto &[pageFile, counted] : m_counted)
        summaries.insert(summaryPath(AnswersFile::name(pageFile)), {{}, counted.summary});
    return summaries;
}

QList<QStringList> DatabaseAnswerStore::records(const SurveyFolder &, const QString &pageFile,
                                                bool removed) {
    QString error;
    return m_database->listAnswers(pageFile, removed, &error).value_or(QList<QStringList>());
}

QList<QStringList> DatabaseAnswerStore::latestAnswers(const SurveyFolder &folder,
                                                      const QString &pageFile) {
    const SurveyPage page = folder.pages.value(pageFile).page;
    const QStringList header = AnswerSheet(page, AnswerSheet::Form::RespondentPage).header();
    QString error;
    const auto held = m_database->records({pageFile, page.title, page.stamp, header, {}}, &error);
    if (!held)
        throw RuntimeError(QStringLiteral("the database: %1").arg(error));
    return *held;
}

QString DatabaseAnswerStore::removedPlace(const SurveyFolder &, const QString &,
                                          const Language &words) {
    return removedInTheDatabase(words);
}

qsizetype DatabaseAnswerStore::moveAnswers(const SurveyFolder &, const QString &,
                                           const QSet<QString> &answerIds, bool restore) {
    // The database moves them by answer ID, whichever version of the page
    // they answered; its summaries count again when they see the change.
    QString error;
    const qsizetype moved = m_database->moveAnswers(answerIds, restore, &error);
    if (moved < 0)
        throw RuntimeError(error);
    return moved;
}

void DatabaseAnswerStore::setSchedule(const QString &pageFile, const SurveySchedule &schedule) {
    QString error;
    if (!m_database->setSchedule(pageFile, schedule, &error))
        throw RuntimeError(QStringLiteral("the database: %1").arg(error));
}

void DatabaseAnswerStore::shareSchedules(SurveyFolder &folder, const SurveyFolder *known) {
    // Collectors sharing a database share when each survey takes answers;
    // while it cannot be asked, what it said last holds.
    QString error;
    const auto schedules = m_database->schedules(&error);
    for (auto it = folder.pages.begin(); it != folder.pages.end(); ++it)
        it->schedule = schedules ? schedules->value(it.key())
                       : known   ? known->pages.value(it.key()).schedule
                                 : SurveySchedule();
}

QString DatabaseAnswerStore::whyCannotStore(const SurveyFolder &) const {
    return m_database->whyUnavailable();
}

void DatabaseAnswerStore::abandonReads() {
    m_readsStopped = true;
    m_database->abandonReads();
}

} // namespace Velmora
