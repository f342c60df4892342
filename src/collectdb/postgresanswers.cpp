// Answers stored in PostgreSQL, shared by collectors: the writers, each
// storing what was handed over meanwhile in one commit. The reader's side is
// in postgresreads.cpp.
#include "postgresanswers.h"

#include "answercells.h"
#include "schema.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QScopeGuard>

#include <chrono>
#include <map>

namespace Velmora {

namespace {

QString unreachable() {
    return QStringLiteral("the database cannot be reached");
}

} // namespace

PostgresAnswers::PostgresAnswers(QByteArray conninfo, Log log, int writers)
    : m_conninfo(std::move(conninfo))
    , m_log(std::move(log))
    , m_writingSince(std::make_unique<std::atomic<qint64>[]>(size_t(writers)))
    , m_writerCount(writers)
    , m_reader(m_conninfo, std::chrono::seconds(30)) {
    m_steady.start();
    m_reader.abandonWhen(&m_abandonReads);
    m_writersRunning = writers;
    for (int i = 0; i < writers; ++i)
        m_writers.emplace_back([this, i] { writeLoop(m_writingSince[size_t(i)]); });
}

// The answers waiting are written first, for as long as the database takes
// to answer within 5 s; then what still waits on it is given up, its
// respondents told to try again (an answer that commits after all is known by
// its answer ID when it comes again), and the writers are joined here.
PostgresAnswers::~PostgresAnswers() {
    {
        std::unique_lock lock(m_mutex);
        m_stopping = true;
        m_wake.notify_all();
        m_writerEnded.wait_for(lock, std::chrono::seconds(5),
                               [this] { return m_writersRunning == 0; });
    }
    m_abandon = true;
    m_abandonReads = true;
    m_wake.notify_all();
    for (std::thread &writer : m_writers)
        writer.join();
}

void PostgresAnswers::append(const Survey &survey, const QStringList &cells, Done done) {
    {
        std::lock_guard lock(m_mutex);
        m_waiting.push_back({survey, cells, std::move(done)});
    }
    m_wake.notify_one();
}

void PostgresAnswers::replace(const Survey &survey, const QStringList &cells, Done done) {
    {
        std::lock_guard lock(m_mutex);
        m_waiting.push_back({survey, cells, std::move(done), false, true});
    }
    m_wake.notify_one();
}

QString PostgresAnswers::whyUnavailable() const {
    // A batch waiting on the database this long: answers are not stored now,
    // whatever the connection says (a network gone silent under it).
    qint64 waiting = 0;
    for (int i = 0; i < m_writerCount; ++i)
        if (const qint64 since = m_writingSince[size_t(i)]; since > 0)
            waiting = std::max(waiting, m_steady.elapsed() + 1 - since);
    std::lock_guard lock(m_mutex);
    if (!m_away.isEmpty())
        return m_away;
    if (waiting >= SilentMs)
        return QStringLiteral("the database has not answered for %1 s").arg(waiting / 1000);
    return m_refusing;
}

void PostgresAnswers::refusing(const QString &why) {
    std::lock_guard lock(m_mutex);
    m_refusing = why.isEmpty() ? QString()
                               : QStringLiteral("the database refuses answers: %1")
                                     .arg(why.section(QLatin1Char('\n'), 0, 0));
}

void PostgresAnswers::probeWriting(PgConnection &connection) {
    // A write that is taken back: whether the database takes answers again,
    // for the health check, while no respondent is there to find out.
    QString why;
    const bool writes =
        connection.run({"BEGIN",
                        "INSERT INTO velmora.surveys (page_file, columns, columns_key, title, "
                        "page_made, page) VALUES ('velmora-probe', '{}', '\\x00', '', '', '')",
                        "ROLLBACK"},
                       &why);
    if (!writes)
        connection.exec("ROLLBACK");
    else
        refusing({});
}

void PostgresAnswers::wentAway(const QString &why) {
    const QString away = unreachable();
    std::lock_guard lock(m_mutex);
    // Once each time it goes away, however many answers meet it meanwhile.
    if (m_away != away && m_log)
        m_log((m_everConnected ? QStringLiteral("The database cannot be reached (%1): respondents "
                                                "are asked to try again until it is back.")
                               : QStringLiteral("Cannot connect to the database (%1): respondents "
                                                "are asked to try again until it can."))
                  .arg(why));
    m_away = away;
}

void PostgresAnswers::cameBack() {
    std::lock_guard lock(m_mutex);
    if (!m_away.isEmpty() && m_log)
        m_log(m_everConnected ? QStringLiteral("The database is back: answers are stored again.")
                              : QStringLiteral("Answers are stored in the database."));
    m_away.clear();
    m_everConnected = true;
}

bool PostgresAnswers::ensureConnected(PgConnection &connection, QElapsedTimer &lastAttempt) {
    if (connection.connected())
        return true;
    // Once a second, or at once when another writer found the database back.
    if (lastAttempt.isValid() && lastAttempt.elapsed() < 1000 && !whyUnavailable().isEmpty())
        return false;
    lastAttempt.start();
    QString why;
    if (!connection.connect(&why) || !ensureSchema(connection, &why)) {
        connection.disconnect();
        wentAway(why);
        return false;
    }
    cameBack();
    return true;
}

void PostgresAnswers::writeLoop(std::atomic<qint64> &writingSince) {
    PgConnection connection(m_conninfo);
    connection.abandonWhen(&m_abandon);
    QElapsedTimer lastAttempt;
    std::unique_lock lock(m_mutex);
    const auto ended = qScopeGuard([this] {
        --m_writersRunning;
        m_writerEnded.notify_all();
    });
    for (;;) {
        // Idle writers look for the database every second: the health check
        // knows it is back before the next respondent does.
        m_wake.wait_for(lock, std::chrono::seconds(1),
                        [this] { return m_stopping || !m_waiting.empty(); });
        if (m_stopping && m_waiting.empty())
            return;
        std::vector<Waiting> batch;
        if (qsizetype(m_waiting.size()) <= MaxBatch) {
            batch.swap(m_waiting);
        } else {
            batch.assign(std::make_move_iterator(m_waiting.begin()),
                         std::make_move_iterator(m_waiting.begin() + MaxBatch));
            m_waiting.erase(m_waiting.begin(), m_waiting.begin() + MaxBatch);
            m_wake.notify_one(); // the rest to another writer
        }
        lock.unlock();
        if (!batch.empty())
            writingSince = m_steady.elapsed() + 1;
        const auto written = qScopeGuard([&writingSince] { writingSince = 0; });

        QString failure;
        bool stored = false;
        if (m_abandon)
            failure = QStringLiteral("the collector is stopping");
        else if (ensureConnected(connection, lastAttempt) && !batch.empty())
            stored = store(connection, batch, &failure);
        else if (connection.connected() && batch.empty() && !whyUnavailable().isEmpty())
            probeWriting(connection);
        if (!stored && !batch.empty() && !failure.isEmpty() && !connection.connected() &&
            !connection.timedOut() && !m_abandon) {
            // The connection broke (a restarted server, a cut network). Once
            // more on a new one: an answer that did commit the first time is
            // known by its answer ID and not stored twice. Answers that
            // waited their whole time on a silent network are told at once.
            lastAttempt.invalidate();
            stored = ensureConnected(connection, lastAttempt) && store(connection, batch, &failure);
            if (!stored && !connection.connected())
                wentAway(failure);
        }
        if (stored)
            refusing({});
        if (!stored && connection.connected() && !failure.isEmpty()) {
            // The database refused the statement, not the connection: one
            // survey's trouble must not fail the answers to the others, so each
            // survey's answers are tried on their own.
            storeEachSurvey(connection, batch);
            lock.lock();
            continue;
        }
        // Whatever kept the batch from the database, even another writer
        // finding it back meanwhile, an answer not stored is never acknowledged.
        if (!stored && failure.isEmpty())
            failure = unreachable();
        for (const Waiting &waiting : batch)
            waiting.finish(stored, failure);
        lock.lock();
    }
}

void PostgresAnswers::Waiting::finish(bool stored, const QString &failure) const {
    done(!stored ? failure : storedOtherwise ? AnswerStore::StoredOtherwise : QString());
}

void PostgresAnswers::refused(PgConnection &connection, const PgResult &result, QString *failure) {
    *failure = result.error();
    // With target_session_attrs=read-write, a new connection finds the host
    // that writes now; the batch is tried once more there.
    if (result.refusesWrites())
        connection.disconnect();
}

void PostgresAnswers::storeEachSurvey(PgConnection &connection, const std::vector<Waiting> &batch) {
    std::map<QString, std::vector<Waiting>> bySurvey;
    for (const Waiting &waiting : batch)
        bySurvey[surveyKey(waiting.survey.pageFile, waiting.survey.header)].push_back(waiting);
    QString refusal; // the health check says so while any survey's answers are refused
    for (auto &[key, answers] : bySurvey) {
        QString failure;
        const bool stored = store(connection, answers, &failure);
        if (!stored && failure.isEmpty())
            failure = unreachable();
        if (!stored)
            refusal = failure;
        for (const Waiting &waiting : answers)
            waiting.finish(stored, failure);
    }
    refusing(refusal);
}

qint64 PostgresAnswers::surveyId(PgConnection &connection, const Survey &survey, QString *failure) {
    const QString key = surveyKey(survey.pageFile, survey.header) + QChar(0x1d) + survey.stamp;
    {
        std::lock_guard lock(m_mutex);
        if (const auto known = m_surveyIds.constFind(key); known != m_surveyIds.cend())
            return *known;
    }
    // The newest version of the page seen gives the title and the page itself.
    const PgResult result = connection.exec(
        "INSERT INTO velmora.surveys (page_file, columns, columns_key, title, "
        "page_made, page) VALUES ($1, $2::text[], " VELMORA_COLUMNS_KEY(
            "$2::text[]") ", "
                          "$3, $4, decode($5, 'hex')) "
                          "ON CONFLICT (page_file, columns_key) DO UPDATE SET title = "
                          "EXCLUDED.title, "
                          "page_made = EXCLUDED.page_made, page = EXCLUDED.page RETURNING id",
        {survey.pageFile.toUtf8(), pgTextArray(survey.header), survey.title.toUtf8(),
         survey.stamp.toUtf8(), survey.page.toHex()});
    if (!result.ok() || result.rows() != 1) {
        refused(connection, result, failure);
        return 0;
    }
    const qint64 id = result.number(0, 0);
    std::lock_guard lock(m_mutex);
    m_surveyIds.insert(key, id);
    return id;
}

bool PostgresAnswers::storeCorrection(PgConnection &connection, const Waiting &correction,
                                      QString *failure) {
    const qint64 survey = surveyId(connection, correction.survey, failure);
    if (survey == 0)
        return false;
    const QStringList &cells = correction.cells;
    // One transaction: the earlier version goes to the history, and the new
    // one takes its place as a row of its own (so that summaries see a change).
    const QList<PgConnection::Parameter> parameters{
        cells.last().toUtf8(), QByteArray::number(survey), cells.first().toUtf8(),
        pgTextArray(cells.cbegin() + 1, cells.cend() - 1)};
    for (const QByteArray &sql :
         {QByteArray("BEGIN"),
          QByteArray("INSERT INTO velmora.replaced_answers (answer_row, survey_id, received_at, "
                     "answer_id, cells) SELECT id, survey_id, received_at, answer_id, cells FROM "
                     "velmora.answers WHERE answer_id = $1"),
          QByteArray("DELETE FROM velmora.answers WHERE answer_id = $1"),
          QByteArray("INSERT INTO velmora.answers (survey_id, received_at, answer_id, cells) "
                     "VALUES ($2::bigint, $3::timestamptz, $1, $4::text[])"),
          QByteArray("COMMIT")}) {
        const bool withParameters = sql.contains('$');
        const PgResult result = connection.exec(
            sql, withParameters ? sql.contains("$4") ? parameters : parameters.mid(0, 1)
                                : QList<PgConnection::Parameter>());
        if (!result.ok()) {
            refused(connection, result, failure);
            if (connection.connected())
                connection.exec("ROLLBACK");
            return false;
        }
    }
    return true;
}

bool PostgresAnswers::store(PgConnection &connection, std::vector<Waiting> &batch,
                            QString *failure) {
    // Corrections first, each in its own transaction; then the answers, in one
    // statement, so one transaction: it commits every row or none.
    std::vector<Waiting> answers;
    for (Waiting &waiting : batch) {
        if (!waiting.replaces) {
            answers.push_back(waiting);
            continue;
        }
        if (!storeCorrection(connection, waiting, failure))
            return false;
    }
    if (answers.empty())
        return true;
    QByteArray sql =
        "INSERT INTO velmora.answers (survey_id, received_at, answer_id, cells) VALUES ";
    QList<PgConnection::Parameter> parameters;
    parameters.reserve(qsizetype(answers.size()) * 4);
    for (const Waiting &waiting : answers) {
        const qint64 survey = surveyId(connection, waiting.survey, failure);
        if (survey == 0)
            return false;
        const qsizetype n = parameters.size();
        if (n > 0)
            sql += ',';
        sql += "($" + QByteArray::number(n + 1) + "::bigint,$" + QByteArray::number(n + 2) +
               "::timestamptz,$" + QByteArray::number(n + 3) + ",$" + QByteArray::number(n + 4) +
               "::text[])";
        const QStringList &cells = waiting.cells;
        const QString &answerId = cells.last();
        parameters << QByteArray::number(survey) << cells.first().toUtf8()
                   << (answerId.isEmpty() ? PgConnection::Parameter() : answerId.toUtf8())
                   << pgTextArray(cells.cbegin() + 1, cells.cend() - 1);
    }
    // The constraint decides whether an answer ID is new, in whichever
    // collector's transaction comes first; a repeat is no row and no error.
    sql += " ON CONFLICT (answer_id) DO NOTHING RETURNING answer_id";
    const PgResult result = connection.exec(sql, parameters);
    if (!result.ok()) {
        refused(connection, result, failure);
        return false;
    }
    // An answer ID that was there already: the same answers (a resend), or
    // other ones, which the respondent is asked about.
    QSet<QString> inserted;
    for (int row = 0; row < result.rows(); ++row)
        inserted.insert(result.text(row, 0));
    QStringList repeated;
    for (const Waiting &waiting : answers)
        if (!waiting.cells.last().isEmpty() && !inserted.contains(waiting.cells.last()))
            repeated.append(waiting.cells.last());
    if (repeated.isEmpty())
        return true;
    const PgResult stored = connection.exec("SELECT answer_id, array_to_json(cells)::text FROM "
                                            "velmora.answers WHERE answer_id = ANY($1::text[])",
                                            {pgTextArray(repeated)});
    if (!stored.ok()) {
        refused(connection, stored, failure);
        return false;
    }
    QHash<QString, QStringList> cellsOf;
    for (int row = 0; row < stored.rows(); ++row) {
        QStringList cells;
        for (const QJsonValue &cell : QJsonDocument::fromJson(stored.text(row, 1).toUtf8()).array())
            cells.append(cell.toString());
        cellsOf.insert(stored.text(row, 0), cells);
    }
    for (Waiting &waiting : batch) {
        const auto found = cellsOf.constFind(waiting.cells.last());
        waiting.storedOtherwise = !waiting.replaces && found != cellsOf.cend() &&
                                  *found != waiting.cells.mid(1, waiting.cells.size() - 2);
    }
    return true;
}

} // namespace Velmora
