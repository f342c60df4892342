// The velmora schema, made or brought up to date.
#include "schema.h"

#include "answersheet.h"

#include <QDateTime>

#include <optional>

namespace Velmora {

namespace {

// Each step brings the schema from the version before it to its own; a step
// once released never changes, later versions add steps.
const char *const Steps[SchemaVersion] = {
    // 1: surveys, answers, and the views analysts start with.
    R"sql(
CREATE TABLE velmora.surveys (
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    page_file text NOT NULL,
    columns text[] NOT NULL,
    title text NOT NULL,
    page_made text NOT NULL,
    page bytea NOT NULL,
    first_seen timestamptz NOT NULL DEFAULT now(),
    UNIQUE (page_file, columns)
);
COMMENT ON TABLE velmora.surveys IS
    'One row per survey page and header, as one answers file: the page file, the columns of its answers file in order, the title and creation stamp of the newest version of the page seen, and that page itself';
CREATE TABLE velmora.answers (
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    survey_id bigint NOT NULL REFERENCES velmora.surveys (id),
    received_at timestamptz NOT NULL,
    answer_id text UNIQUE,
    cells text[] NOT NULL
);
COMMENT ON TABLE velmora.answers IS
    'One row per answer: cells holds the columns of the survey after Received and before Answer ID (page made, name, e-mail, then the answers in page order); answer_id is the one-time token of the page the respondent loaded';
CREATE INDEX answers_by_survey ON velmora.answers (survey_id, id);
CREATE VIEW velmora.answer_rows AS
    SELECT a.id, s.page_file, s.title, a.received_at, a.cells[1] AS page_made,
           a.cells[2] AS name, a.cells[3] AS email, a.cells[4:] AS answers, a.answer_id,
           a.survey_id
    FROM velmora.answers a JOIN velmora.surveys s ON s.id = a.survey_id;
CREATE VIEW velmora.answer_cells AS
    SELECT a.id AS answer, s.page_file, s.title, a.received_at, c.number AS column_number,
           s.columns[c.number + 4] AS question, c.value, a.survey_id
    FROM velmora.answers a JOIN velmora.surveys s ON s.id = a.survey_id
    CROSS JOIN LATERAL unnest(a.cells[4:]) WITH ORDINALITY AS c(value, number);
)sql",
    // 2: a survey is known by its page file and a hash of its columns: a
    // unique index over the columns themselves cannot hold a survey of about
    // 40 questions or more (a btree row holds at most 2,704 bytes).
    R"sql(
ALTER TABLE velmora.surveys ADD COLUMN columns_key bytea;
UPDATE velmora.surveys SET columns_key = )sql" VELMORA_COLUMNS_KEY("columns") R"sql(;
ALTER TABLE velmora.surveys ALTER COLUMN columns_key SET NOT NULL;
ALTER TABLE velmora.surveys DROP CONSTRAINT surveys_page_file_columns_key;
ALTER TABLE velmora.surveys ADD CONSTRAINT surveys_page_file_columns_hash
    UNIQUE (page_file, columns_key);
COMMENT ON COLUMN velmora.surveys.columns_key IS
    'sha256 of the columns as a JSON array: with page_file, what tells one survey from another';
)sql",
    // 3: test answers the organiser removed, kept aside to be brought back;
    // earlier versions of corrected answers, kept as history.
    R"sql(
CREATE TABLE velmora.removed_answers (
    id bigint PRIMARY KEY,
    survey_id bigint NOT NULL REFERENCES velmora.surveys (id),
    received_at timestamptz NOT NULL,
    answer_id text UNIQUE,
    cells text[] NOT NULL,
    removed_at timestamptz NOT NULL DEFAULT now()
);
COMMENT ON TABLE velmora.removed_answers IS
    'Answers the organiser removed (test answers), as they were in velmora.answers, to be brought back';
CREATE TABLE velmora.replaced_answers (
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    answer_row bigint NOT NULL,
    survey_id bigint NOT NULL REFERENCES velmora.surveys (id),
    received_at timestamptz NOT NULL,
    answer_id text NOT NULL,
    cells text[] NOT NULL,
    replaced_at timestamptz NOT NULL DEFAULT now()
);
COMMENT ON TABLE velmora.replaced_answers IS
    'Earlier versions of answers their respondents corrected (the same answer ID sent again with other answers, as a correction), as they were in velmora.answers';
)sql",
    // 4: when each survey takes answers, shared by every collector.
    R"sql(
CREATE TABLE velmora.schedules (
    page_file text PRIMARY KEY,
    closes_at timestamptz NOT NULL,
    opens_at timestamptz
);
COMMENT ON TABLE velmora.schedules IS
    'When a survey page takes answers: closed from closes_at, open again from opens_at where it is later; a page without a row is open';
)sql",
};

} // namespace

namespace {

// The schema's version now: 0 where there is none yet.
std::optional<qint64> schemaVersion(PgConnection &connection, QString *error) {
    const PgResult table = connection.exec("SELECT to_regclass('velmora.schema_version') IS NULL");
    if (!table.ok()) {
        *error = table.error();
        return std::nullopt;
    }
    if (table.text(0, 0) == QLatin1String("t"))
        return 0;
    const PgResult current =
        connection.exec("SELECT coalesce(max(version), 0) FROM velmora.schema_version");
    if (!current.ok()) {
        *error = current.error();
        return std::nullopt;
    }
    return current.number(0, 0);
}

bool isKnown(qint64 version, QString *error) {
    if (version <= SchemaVersion)
        return true;
    *error = QStringLiteral("the database holds schema version %1 of a newer velmora-collect; "
                            "this one knows version %2")
                 .arg(version)
                 .arg(SchemaVersion);
    return false;
}

} // namespace

QByteArray answerCell(qsizetype column) {
    return "cells[" + QByteArray::number(column) + "]";
}

QByteArray epochSeconds(const QByteArray &timestamp) {
    return "floor(extract(epoch FROM " + timestamp + "))::bigint";
}

QString receivedText(qint64 seconds) {
    return isoTimeWithOffset(QDateTime::fromSecsSinceEpoch(seconds));
}

bool ensureSchema(PgConnection &connection, QString *error) {
    // Up to date: nothing to make, so a role that may only read and write the
    // answers will do.
    const std::optional<qint64> found = schemaVersion(connection, error);
    if (!found || !isKnown(*found, error))
        return false;
    if (*found == SchemaVersion)
        return true;

    const auto fail = [&connection] {
        connection.exec("ROLLBACK");
        return false;
    };
    if (!connection.run({"BEGIN",
                         // One collector at a time, however many start together.
                         "SELECT pg_advisory_xact_lock(hashtext('velmora-collect schema'))",
                         "CREATE SCHEMA IF NOT EXISTS velmora",
                         "CREATE TABLE IF NOT EXISTS velmora.schema_version "
                         "(version integer NOT NULL, made_at timestamptz NOT NULL DEFAULT now())"},
                        error))
        return fail();
    // Another collector may have made it while this one waited for the lock.
    const std::optional<qint64> version = schemaVersion(connection, error);
    if (!version || !isKnown(*version, error))
        return fail();
    for (qint64 step = *version; step < SchemaVersion; ++step) {
        const QByteArray record = "INSERT INTO velmora.schema_version (version) VALUES (" +
                                  QByteArray::number(step + 1) + ")";
        if (!connection.run({Steps[step], record}, error))
            return fail();
    }
    return connection.run({"COMMIT"}, error);
}

} // namespace Velmora
