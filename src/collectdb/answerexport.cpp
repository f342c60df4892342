// The database's answers written out as the files collecting would have made.
#include "answerexport.h"

#include "answersfile.h"
#include "durablefile.h"
#include "filetally.h"
#include "pgconnection.h"
#include "runtimeerror.h"
#include "schema.h"
#include "spreadsheettable.h"
#include "summary.h"

#include <QDir>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>

#include <optional>

namespace Velmora {

namespace {

constexpr int RowsAtOnce = 5000;

QStringList jsonStrings(const QString &json) {
    QStringList strings;
    for (const QJsonValue &value : QJsonDocument::fromJson(json.toUtf8()).array())
        strings.append(value.toString());
    return strings;
}

// Writes one survey's answers file, at `path`, and its summary, which counts
// in the answers files of the page's earlier versions, as the collector's
// summary of the page's newest version does; throws RuntimeError.
qsizetype exportSurvey(PgConnection &connection, const QString &path, int mode,
                       const Language &words, const QString &surveyId, const QByteArray &pageBytes,
                       const QStringList &header, const QStringList &earlierFiles) {
    const std::optional<SurveyPage> page = readSurveyPage(pageBytes);
    std::optional<SummaryTally> tally;
    if (page)
        tally.emplace(*page, AnswerSheet::Form::RespondentPage);

    DurableFile file(path, mode);
    file.open();
    file.write(AnswersFile::beginning(header));
    const auto failed = [&connection](const PgResult &result) {
        return RuntimeError(QStringLiteral("the database: %1").arg(result.error()));
    };
    const PgResult declared = connection.exec(
        "DECLARE answers NO SCROLL CURSOR FOR SELECT " + epochSeconds("received_at") +
        ", array_to_json(cells)::text, "
        "coalesce(answer_id, '') FROM velmora.answers WHERE survey_id = " +
        surveyId.toLatin1() + " ORDER BY id");
    if (!declared.ok())
        throw failed(declared);
    qsizetype answers = 0;
    QList<QStringList> records{header}; // for the table made for spreadsheets
    for (;;) {
        const PgResult rows =
            connection.exec("FETCH " + QByteArray::number(RowsAtOnce) + " FROM answers");
        if (!rows.ok())
            throw failed(rows);
        QByteArray csv;
        for (int row = 0; row < rows.rows(); ++row) {
            const QStringList cells = QStringList{receivedText(rows.number(row, 0))} +
                                      jsonStrings(rows.text(row, 1)) +
                                      QStringList{rows.text(row, 2)};
            csv += csvRecord(cells);
            if (tally) {
                tally->add(cells);
                // As the answers file holds them, which the table reads.
                QStringList guarded;
                for (const QString &cell : cells)
                    guarded.append(guardedCell(cell));
                records.append(guarded);
            }
        }
        file.write(csv);
        answers += rows.rows();
        if (rows.rows() < RowsAtOnce)
            break;
    }
    const PgResult closed = connection.exec("CLOSE answers");
    if (!closed.ok())
        throw failed(closed);
    file.commit();
    if (!tally)
        return answers;
    if (!earlierFiles.isEmpty())
        tally->include(tallyOfEarlierFiles(earlierFiles, *page));
    writeFileDurably(summaryPath(path), tally->page(words), mode);
    const SpreadsheetTable table = spreadsheetTable(*page, records);
    writeFileDurably(spreadsheetPath(path, QStringLiteral("csv")), spreadsheetCsv(table), mode);
    writeFileDurably(spreadsheetPath(path, QStringLiteral("xlsx")), spreadsheetXlsx(table), mode);
    return answers;
}

} // namespace

bool exportAnswers(const QByteArray &conninfo, const QString &folder, int mode,
                   const Language &words, const ExportLog &log, QString *error) {
    if (!QDir(folder).exists()) {
        *error = QStringLiteral("%1 is no folder").arg(folder);
        return false;
    }
    PgConnection connection(conninfo, std::chrono::seconds(60));
    if (!connection.connect(error))
        return false;
    // One moment of the database: answers committed meanwhile wait for the next export.
    if (!connection.run({"BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"}, error))
        return false;
    const PgResult surveys =
        connection.exec("SELECT id, page_file, array_to_json(columns)::text, encode(page, 'hex') "
                        "FROM velmora.surveys ORDER BY id");
    if (!surveys.ok()) {
        *error = surveys.error();
        return false;
    }
    QHash<QString, QStringList> exported; // answers files, by page file
    try {
        for (int row = 0; row < surveys.rows(); ++row) {
            const QString pageFile = surveys.text(row, 1);
            // Any role that collects may write page names: one that would lead
            // out of the folder ("../x.htm") is left out, never followed.
            if (pageFile.isEmpty() || pageFile.startsWith(u'.') || pageFile.contains(u'/') ||
                pageFile.contains(u'\\') || pageFile.contains(QChar(0))) {
                if (log)
                    log(QStringLiteral("Left out: the page name \"%1\" would lead out of %2")
                            .arg(pageFile, folder));
                continue;
            }
            const QStringList header = jsonStrings(surveys.text(row, 2));
            const QString path =
                AnswersFile::pathFor(QDir(folder).absolutePath(), pageFile, header);
            const qsizetype answers =
                exportSurvey(connection, path, mode, words, surveys.text(row, 0),
                             QByteArray::fromHex(surveys.text(row, 3).toLatin1()), header,
                             exported.value(pageFile));
            exported[pageFile].append(path);
            if (log)
                log(QStringLiteral("%1: %2 answers").arg(pageFile).arg(answers));
        }
    } catch (const RuntimeError &failure) {
        *error = failure.description();
        return false;
    }
    return connection.run({"COMMIT"}, error);
}

} // namespace Velmora
