// The reader's side of the answers in PostgreSQL, on a connection of its
// own: the counts for the summaries (never more than a fifth of the time),
// the answers listed and exported, when surveys take answers, and answers
// moved aside and back.
#include "postgresanswers.h"

#include "answercells.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace Velmora {

qint64 PostgresAnswers::nextRun(qint64 took) const {
    // Never more than a fifth of the time: at most once a second, and less
    // often where each time takes long.
    return m_steady.elapsed() + std::max<qint64>(1000, 4 * took);
}

bool PostgresAnswers::refreshVersions(QString *error) {
    const qint64 start = m_steady.elapsed();
    const PgResult result = m_reader.exec(
        "SELECT s.id, s.page_file, array_to_json(s.columns)::text, v.answers, v.newest "
        "FROM velmora.surveys s CROSS JOIN LATERAL (SELECT count(*) AS answers, "
        "max(a.id) AS newest FROM velmora.answers a WHERE a.survey_id = s.id) v");
    if (!result.ok()) {
        *error = result.error();
        return false;
    }
    m_versions.clear();
    m_headers.clear();
    for (int row = 0; row < result.rows(); ++row) {
        QStringList header;
        for (const QJsonValue &column :
             QJsonDocument::fromJson(result.text(row, 2).toUtf8()).array())
            header.append(column.toString());
        if (result.number(row, 3) > 0)
            m_headers.insert(result.text(row, 1), header);
        m_versions.insert(surveyKey(result.text(row, 1), header),
                          {result.number(row, 0),
                           result.text(row, 3).toUtf8() + ':' + result.text(row, 4).toUtf8()});
    }
    m_nextVersions = nextRun(m_steady.elapsed() - start) - 500;
    return true;
}

QList<QStringList> PostgresAnswers::otherVersions(const Survey &survey) {
    std::lock_guard lock(m_readerMutex);
    QList<QStringList> headers = m_headers.values(survey.pageFile);
    headers.removeAll(survey.header);
    return headers;
}

std::optional<SummaryTally::Counts>
PostgresAnswers::counts(const Survey &survey, const QList<SummaryTally::Column> &columns,
                        QByteArray *version, QString *error) {
    std::lock_guard lock(m_readerMutex);
    const auto fail = [&](const QString &why) {
        *error = why;
        m_reader.disconnect(); // and connect anew next time
        return std::nullopt;
    };
    if (!m_reader.connected() && !m_reader.connect(error))
        return std::nullopt;
    if (m_steady.elapsed() >= m_nextVersions && !refreshVersions(error))
        return fail(*error);
    const QString key = surveyKey(survey.pageFile, survey.header);
    const auto known = m_versions.constFind(key);
    if (known == m_versions.cend() || known->second == *version ||
        m_steady.elapsed() < m_nextCount.value(key))
        return std::nullopt; // no answers yet, none since, or counted just now
    const qint64 start = m_steady.elapsed();
    const QByteArray surveyId = QByteArray::number(known->first);

    // One pass over the survey's answers counts every option and every cell given.
    QByteArray sql = "SELECT count(*), " + epochSeconds("min(received_at)") + ", " +
                     epochSeconds("max(received_at)");
    QList<PgConnection::Parameter> parameters{surveyId, AnswerSheet::Joiner.toUtf8()};
    const auto parameter = [&parameters](const QByteArray &value) {
        parameters.append(value);
        return "$" + QByteArray::number(parameters.size());
    };
    for (qsizetype c = 0; c < columns.size(); ++c) {
        const QByteArray cell = answerCell(AnswerSheet::FirstAnswer + c);
        if (columns[c].kind != SummaryTally::Kind::Options) {
            sql += ", count(*) FILTER (WHERE " + cell + " <> '')";
            continue;
        }
        const QStringList escaped = asInCells(columns[c].values);
        for (const QString &value : escaped)
            sql += ", count(*) FILTER (WHERE " + parameter(value.toUtf8()) +
                   " = ANY(string_to_array(" + cell + ", $2)))";
        // Cells holding none of the values; beside a text input, cells holding
        // anything else, which was typed.
        sql += ", count(*) FILTER (WHERE " + cell + " <> '' AND NOT (string_to_array(" + cell +
               ", $2) " + (columns[c].typed ? "<@ " : "&& ") + parameter(pgTextArray(escaped)) +
               "::text[]))";
    }
    sql += " FROM velmora.answers WHERE survey_id = $1";
    const PgResult result = m_reader.exec(sql, parameters);
    if (!result.ok())
        return fail(result.error());

    SummaryTally::Counts counts;
    counts.answers = result.number(0, 0);
    counts.first = received(result, 1);
    counts.latest = received(result, 2);
    int at = 3;
    for (qsizetype c = 0; c < columns.size(); ++c) {
        SummaryTally::ColumnCounts column;
        if (columns[c].kind == SummaryTally::Kind::Options) {
            for (qsizetype i = 0; i < columns[c].values.size(); ++i)
                column.options.append(result.number(0, at++));
            (columns[c].typed ? column.given : column.other) = result.number(0, at++);
        } else {
            column.given = result.number(0, at++);
        }
        const bool texts = columns[c].kind == SummaryTally::Kind::Texts || columns[c].typed;
        if (texts && column.given > 0) {
            const QByteArray cell = answerCell(AnswerSheet::FirstAnswer + c);
            const QStringList escaped = asInCells(columns[c].values);
            QList<PgConnection::Parameter> textParameters{surveyId};
            QByteArray typed;
            if (columns[c].typed) {
                textParameters += {AnswerSheet::Joiner.toUtf8(), pgTextArray(escaped)};
                typed = " AND NOT (string_to_array(" + cell + ", $2) <@ $3::text[])";
            }
            const PgResult newest = m_reader.exec(
                "SELECT " + cell + " FROM velmora.answers WHERE survey_id = $1 AND " + cell +
                    " <> ''" + typed + " ORDER BY id DESC LIMIT " + QByteArray::number(ListedTexts),
                textParameters);
            if (!newest.ok())
                return fail(newest.error());
            for (int row = 0; row < newest.rows(); ++row) {
                if (!columns[c].typed) {
                    column.newest.append(newest.text(row, 0));
                    continue;
                }
                // What was typed beside the options.
                QStringList pieces = splitValues(newest.text(row, 0));
                for (const QString &value : columns[c].values)
                    pieces.removeAll(value);
                column.newest.append(pieces.join(AnswerSheet::Joiner));
            }
        }
        counts.columns.append(column);
    }
    *version = known->second;
    m_nextCount.insert(key, nextRun(m_steady.elapsed() - start));
    return counts;
}

std::optional<QList<QStringList>> PostgresAnswers::records(const Survey &survey, QString *error) {
    std::lock_guard lock(m_readerMutex);
    if (!m_reader.connected() && !m_reader.connect(error))
        return std::nullopt;
    const PgResult result = m_reader.exec(
        "SELECT " + epochSeconds("a.received_at") +
            ", array_to_json(a.cells)::text, coalesce(a.answer_id, '') FROM velmora.answers a "
            "JOIN velmora.surveys s ON s.id = a.survey_id WHERE s.page_file = $1 AND "
            "s.columns_key = " VELMORA_COLUMNS_KEY("$2::text[]") " ORDER BY a.id",
        {survey.pageFile.toUtf8(), pgTextArray(survey.header)});
    if (!result.ok()) {
        *error = result.error();
        m_reader.disconnect();
        return std::nullopt;
    }
    QList<QStringList> records{survey.header};
    for (int row = 0; row < result.rows(); ++row) {
        // As the answers file holds them: guarded against formulas.
        QStringList record{receivedText(result.number(row, 0))};
        for (const QJsonValue &cell : QJsonDocument::fromJson(result.text(row, 1).toUtf8()).array())
            record.append(guardedCell(cell.toString()));
        record.append(result.text(row, 2));
        records.append(record);
    }
    return records;
}

std::optional<QHash<QString, SurveySchedule>> PostgresAnswers::schedules(QString *error) {
    std::lock_guard lock(m_readerMutex);
    // The table of schedules may be newer than the database.
    if (!m_reader.connected() && (!m_reader.connect(error) || !ensureSchema(m_reader, error)))
        return std::nullopt;
    const PgResult result = m_reader.exec("SELECT page_file, " + epochSeconds("closes_at") + ", " +
                                          epochSeconds("opens_at") + " FROM velmora.schedules");
    // A connection gone is seen, and made anew, by the next count.
    if (!result.ok()) {
        *error = result.error();
        return std::nullopt;
    }
    QHash<QString, SurveySchedule> schedules;
    for (int row = 0; row < result.rows(); ++row) {
        SurveySchedule &schedule = schedules[result.text(row, 0)];
        schedule.closes = QDateTime::fromSecsSinceEpoch(result.number(row, 1));
        if (!result.isNull(row, 2))
            schedule.opens = QDateTime::fromSecsSinceEpoch(result.number(row, 2));
    }
    return schedules;
}

bool PostgresAnswers::setSchedule(const QString &pageFile, const SurveySchedule &schedule,
                                  QString *error) {
    std::lock_guard lock(m_readerMutex);
    if (!m_reader.connected() && (!m_reader.connect(error) || !ensureSchema(m_reader, error)))
        return false;
    const auto seconds = [](const std::optional<QDateTime> &time) {
        return time ? PgConnection::Parameter(QByteArray::number(time->toSecsSinceEpoch()))
                    : PgConnection::Parameter();
    };
    const PgResult result =
        schedule.closes
            ? m_reader.exec("INSERT INTO velmora.schedules (page_file, closes_at, opens_at) "
                            "VALUES ($1, to_timestamp($2::bigint), to_timestamp($3::bigint)) "
                            "ON CONFLICT (page_file) DO UPDATE SET closes_at = "
                            "excluded.closes_at, opens_at = excluded.opens_at",
                            {pageFile.toUtf8(), seconds(schedule.closes), seconds(schedule.opens)})
            : m_reader.exec("DELETE FROM velmora.schedules WHERE page_file = $1",
                            {pageFile.toUtf8()});
    if (!result.ok()) {
        *error = result.error();
        m_reader.disconnect();
        return false;
    }
    return true;
}

qsizetype PostgresAnswers::moveAnswers(const QSet<QString> &answerIds, bool restore,
                                       QString *error) {
    std::lock_guard lock(m_readerMutex);
    // The table of removed answers may be newer than the database.
    if (!m_reader.connected() && (!m_reader.connect(error) || !ensureSchema(m_reader, error)))
        return -1;
    // One statement: the rows leave one table and enter the other together.
    const QByteArray from = restore ? "velmora.removed_answers" : "velmora.answers";
    const QByteArray to = restore ? "velmora.answers" : "velmora.removed_answers";
    const PgResult moved = m_reader.exec(
        "WITH moved AS (DELETE FROM " + from +
            " m WHERE m.answer_id = ANY($1::text[]) AND NOT "
            "EXISTS (SELECT 1 FROM " +
            to +
            " t WHERE t.answer_id = m.answer_id) RETURNING m.id, "
            "m.survey_id, m.received_at, m.answer_id, m.cells) INSERT INTO " +
            to + " (id, survey_id, received_at, answer_id, cells) " +
            (restore ? "OVERRIDING SYSTEM VALUE " : "") +
            "SELECT id, survey_id, received_at, answer_id, cells FROM moved RETURNING answer_id",
        {pgTextArray(QStringList(answerIds.cbegin(), answerIds.cend()))});
    if (!moved.ok()) {
        *error = moved.error();
        m_reader.disconnect();
        return -1;
    }
    return moved.rows();
}

std::optional<QList<QStringList>> PostgresAnswers::listAnswers(const QString &pageFile,
                                                               bool removed, QString *error) {
    std::lock_guard lock(m_readerMutex);
    if (!m_reader.connected() && !m_reader.connect(error))
        return std::nullopt;
    const PgResult rows = m_reader.exec(
        "SELECT " + epochSeconds("received_at") +
            ", cells[1], cells[2], cells[3], answer_id FROM " +
            (removed ? "velmora.removed_answers" : "velmora.answers") +
            " WHERE answer_id IS NOT NULL AND survey_id IN (SELECT id FROM velmora.surveys WHERE "
            "page_file = $1) ORDER BY id LIMIT 10000",
        {pageFile.toUtf8()});
    if (!rows.ok()) {
        *error = rows.error();
        m_reader.disconnect();
        return std::nullopt;
    }
    QList<QStringList> records{{QStringLiteral("Received"), QStringLiteral("Page made"),
                                QStringLiteral("Name"), QStringLiteral("E-mail"),
                                AnswerSheet::AnswerIdHeader}};
    for (int row = 0; row < rows.rows(); ++row)
        records.append({receivedText(rows.number(row, 0)), rows.text(row, 1), rows.text(row, 2),
                        rows.text(row, 3), rows.text(row, 4)});
    return records;
}

} // namespace Velmora
