#include "answerexport.h"
#include "collector.h"
#include "createsurvey.h"
#include "postgresanswers.h"
#include "schema.h"

#include "fakeplatform.h"
#include "filecontent.h"
#include "frozenproxy.h"
#include "httpclient.h"
#include "smallfilesystem.h"
#include "surveyfolders.h"
#include "testdatabase.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <ctime>
#include <thread>

using namespace Velmora;

Q_DECLARE_METATYPE(HttpRequest)

// Answers in PostgreSQL, in one process: what a database-backed collector
// stores, counts and exports must be what the answers files would have held.
namespace {

const QByteArray Page = "/My%20Product%20Survey.htm";
const QByteArray Token = "0123456789abcdef0123456789abcdef";

QByteArray answerId(int n) {
    // The collector tells IDs apart by their first half.
    return QByteArray::number(n, 16).rightJustified(16, '0').repeated(2);
}

// The same moments for every collector made with it: one second apart.
Collector::Clock steppingClock() {
    auto second = std::make_shared<int>(0);
    return
        [second] { return QDateTime(QDate(2026, 12, 8), QTime(14, 3, 27)).addSecs((*second)++); };
}

HttpRequest post(const QByteArray &body, const QString &client = QStringLiteral("127.0.0.1")) {
    return {"POST", Page, {}, "application/x-www-form-urlencoded", body, client};
}

HttpRequest get(const QByteArray &path) {
    return {"GET", path, {}, {}, {}, QStringLiteral("127.0.0.1")};
}

} // namespace

class TestPostgresAnswers : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void databaseHoldsWhatTheFilesHold_data();
    void databaseHoldsWhatTheFilesHold();
    void answerIdTwiceIsOneRowAcrossCollectors();
    void oneSurveysFailureFailsNoOther();
    void aServerThatStopsWritingIsNoticed();
    void aLockedTableHoldsNobodyLong();
    void aNetworkGoneSilentHoldsNobody();
    void summaryGoesWithItsPage();
    void closingIsSharedByCollectors();
    void exportToAFullDiskLeavesTheOlderFiles();
    void surveysOfAnySizeAndAnUpgradedDatabase();
    void testAnswersAreRemovedAndBroughtBack();
    void exportStaysInItsFolder();
    void hostileRequestsStoreNothing_data();
    void hostileRequestsStoreNothing();
    void nulIsRefusedNotStoredChanged();
    void databaseAwayRefusesAnswersWithTheFormKept();
    void schemaIsMadeOnceByCollectorsStartingTogether();
    void schemaOfANewerVersionIsRefused();
    void roleThatMayOnlyReadAndWriteAnswersWillDo();
    void passwordsStayOffTheCommandLine_data();
    void passwordsStayOffTheCommandLine();

private:
    std::unique_ptr<Collector> databaseCollector(const QByteArray &conninfo,
                                                 Collector::Clock clock) {
        auto collector = std::make_unique<Collector>(m_folders.add(), std::move(clock),
                                                     [this](const QString &line) {
                                                         std::lock_guard lock(m_logMutex);
                                                         m_log.append(line);
                                                     });
        collector->setDatabase(
            std::make_shared<PostgresAnswers>(conninfo, [this](const QString &line) {
                std::lock_guard lock(m_logMutex);
                m_log.append(line);
            }));
        collector->setResultsToken(Token);
        return collector;
    }

    std::unique_ptr<TestDatabase> m_database;
    SurveyFolders m_folders;
    std::mutex m_logMutex;
    QStringList m_log;
};

void TestPostgresAnswers::initTestCase() {
    // An offset from UTC, so that times must keep theirs on the way through.
    qputenv("TZ", "Europe/Zurich");
    ::tzset();
}

void TestPostgresAnswers::init() {
    m_database = std::make_unique<TestDatabase>();
    QVERIFY2(m_database->isReady(), "the test cluster is not running (scripts/pgcluster.sh)");
    m_folders.clear();
    m_log.clear();
}

void TestPostgresAnswers::databaseHoldsWhatTheFilesHold_data() {
    QTest::addColumn<QByteArrayList>("bodies");
    const QByteArray all = "_charset_=UTF-8&UserName=Ann&UserEmail=a%40b.c&1=Phone&2=a%29+Yes&"
                           "3%29+a%29=a%29+Good&3%29+b%29=on&4=Fine";
    QTest::newRow("plain answers")
        << QByteArrayList{all, "_charset_=UTF-8&UserName=Bo&2=b%29+No&3%29+a%29=a%29+Poor",
                          "_charset_=UTF-8&1=Tablet&4=Too+heavy", "_charset_=UTF-8"};
    QTest::newRow("texts a spreadsheet would run")
        << QByteArrayList{"_charset_=UTF-8&UserName=%3Dcmd%7C%27%2Fc+calc%27%21A1&1=%2BSUM(A1)",
                          "_charset_=UTF-8&1=-2%2B3&4=%40here&UserEmail=%09tab",
                          "_charset_=UTF-8&4=a%2C%22b%22%0D%0Ac%0Aline+three"};
    QTest::newRow("every kind of character") << QByteArrayList{
        "_charset_=UTF-8&1=%C2%A0no-break%C2%A0&4=%F0%9F%98%80+%D7%A9%D7%9C%D7%95%D7%9D",
        "_charset_=UTF-8&1=%EF%BF%BDreplaced&4=%C2%80C1%7F%01",
        "_charset_=UTF-8&4=" + QByteArray(19000, 'x') + "&1=%5C%7B%7D%22%5C%22"};
    QTest::newRow("options the page does not offer")
        << QByteArrayList{"_charset_=UTF-8&2=z%29+Never", "_charset_=UTF-8&2=a%29+Yes&2=b%29+No",
                          "_charset_=UTF-8&3%29+a%29=a%29+Good&3%29+a%29=a%29+Poor&2=+|+"};
    QTest::newRow("pipes in what is posted")
        << QByteArrayList{"_charset_=UTF-8&2=a%29+Yes&2=x+%7C+y",
                          "_charset_=UTF-8&3%29+a%29=a%29+Good&3%29+a%29=%7C%7C&1=a%7Cb",
                          "_charset_=UTF-8&2=b%29+No&2=%7C"};
    // "remade": the page is made again there, question 1 asking something else.
    QTest::newRow("two versions of the page")
        << QByteArrayList{all, "_charset_=UTF-8&1=Tablet&2=b%29+No", "remade",
                          "_charset_=UTF-8&1=%2410&2=b%29+No&4=Light"};
    QTest::newRow("one answer sent three times") << QByteArrayList{
        all + "&velmora-answer-id=" + answerId(7), all + "&velmora-answer-id=" + answerId(7),
        "_charset_=UTF-8&1=later&velmora-answer-id=" + answerId(8),
        all + "&velmora-answer-id=" + answerId(7)};
}

void TestPostgresAnswers::databaseHoldsWhatTheFilesHold() {
    QFETCH(QByteArrayList, bodies);
    const QString fileFolder = m_folders.add();
    Collector files(fileFolder, steppingClock(), [](const QString &) {});
    std::unique_ptr<Collector> database =
        databaseCollector(m_database->conninfo(), steppingClock());
    for (qsizetype i = 0; i < bodies.size(); ++i) {
        QByteArray body = bodies[i];
        if (body == "remade") {
            for (Collector *collector : {&files, database.get()}) {
                QFile page(collector->folder() + QStringLiteral("/My Product Survey.htm"));
                QVERIFY(page.open(QIODevice::WriteOnly));
                QVERIFY(page.write(WorkedExample::remadePage()) > 0);
                page.close();
                collector->rescan();
            }
            continue;
        }
        if (!body.contains("velmora-answer-id"))
            body += "&velmora-answer-id=" + answerId(1000 + int(i));
        const int status = files.handle(post(body)).status;
        QCOMPARE(database->handle(post(body)).status, status);
        QCOMPARE(status, 303);
    }

    // The summary counted in SQL is the one counted from the files.
    files.writeSummaries(true);
    database->writeSummaries();
    const QString current = bodies.contains("remade")
                                ? QStringLiteral("My Product Survey summary (2).html")
                                : QStringLiteral("My Product Survey summary.html");
    const QByteArray fileSummary = fileContent(fileFolder + QLatin1Char('/') + current);
    const HttpResponse counted =
        database->handle(get("/results/" + Token + "/My%20Product%20Survey%20summary.html"));
    QCOMPARE(counted.status, 200);
    if (counted.body != fileSummary) {
        qsizetype at = 0;
        while (at < fileSummary.size() && counted.body[at] == fileSummary[at])
            ++at;
        QCOMPARE(counted.body.mid(at - 60, 200), fileSummary.mid(at - 60, 200));
    }

    // And the export is the file store's files, byte for byte.
    QTemporaryDir exported;
    QString error;
    QVERIFY2(exportAnswers(m_database->conninfo(), exported.path(), 0600, Language(), {}, &error),
             qPrintable(error));
    const QStringList written =
        QDir(fileFolder)
            .entryList({QStringLiteral("* answers*.csv"), QStringLiteral("* summary*")});
    QVERIFY(written.contains(current));
    for (const QString &name : written)
        QCOMPARE(QString::fromUtf8(fileContent(exported.filePath(name))),
                 QString::fromUtf8(fileContent(fileFolder + QLatin1Char('/') + name)));
    QCOMPARE(fileContent(exported.filePath(QStringLiteral("My Product Survey answers.csv"))),
             fileContent(fileFolder + QStringLiteral("/My Product Survey answers.csv")));

    // The table for spreadsheets, on the results links and exported, is one.
    const QByteArray table = "/results/" + Token + "/My%20Product%20Survey%20table.csv";
    files.setResultsToken(Token);
    const QByteArray fromFiles = files.handle(get(table)).body;
    QVERIFY(fromFiles.contains("\"Received\",\"Page made\",\"Name\""));
    QCOMPARE(QString::fromUtf8(database->handle(get(table)).body), QString::fromUtf8(fromFiles));
    QCOMPARE(fileContent(
                 exported.filePath(QString(current)
                                       .replace(QStringLiteral("summary"), QStringLiteral("table"))
                                       .replace(QStringLiteral(".html"), QStringLiteral(".csv")))),
             fromFiles);
}

void TestPostgresAnswers::answerIdTwiceIsOneRowAcrossCollectors() {
    std::unique_ptr<Collector> first = databaseCollector(m_database->conninfo(), steppingClock());
    std::unique_ptr<Collector> second = databaseCollector(m_database->conninfo(), steppingClock());
    // The same answer reaching both at once, as a load balancer may send a
    // resend elsewhere, many times over.
    std::atomic<int> replies = 0;
    std::atomic<int> acknowledged = 0;
    constexpr int Answers = 50;
    for (int n = 0; n < Answers; ++n)
        for (Collector *collector : {first.get(), second.get(), first.get()})
            collector->handle(post("_charset_=UTF-8&1=twice&velmora-answer-id=" + answerId(n)),
                              [&](HttpResponse response) {
                                  acknowledged += response.status == 303 ? 1 : 0;
                                  ++replies;
                              });
    QTRY_COMPARE_WITH_TIMEOUT(replies.load(), 3 * Answers, 20000);
    QCOMPARE(acknowledged.load(), 3 * Answers);
    QCOMPARE(m_database->number("SELECT count(*) FROM velmora.answers"), qint64(Answers));
    // Sent again later, to the one that did not store it either; with other
    // answers, the respondent is asked what they are, and nothing is stored yet.
    QCOMPARE(
        second->handle(post("_charset_=UTF-8&1=twice&velmora-answer-id=" + answerId(0))).status,
        303);
    QCOMPARE(
        second->handle(post("_charset_=UTF-8&1=again&velmora-answer-id=" + answerId(0))).status,
        409);
    // A collector that never saw it asks too: the database knows what it holds.
    std::unique_ptr<Collector> third = databaseCollector(m_database->conninfo(), steppingClock());
    QCOMPARE(third->handle(post("_charset_=UTF-8&1=again&velmora-answer-id=" + answerId(1))).status,
             409);
    QCOMPARE(third->handle(post("_charset_=UTF-8&1=twice&velmora-answer-id=" + answerId(1))).status,
             303);
    // A correction replaces it, the earlier version kept as history.
    QCOMPARE(third
                 ->handle(post("_charset_=UTF-8&1=again&velmora-replaces=1&velmora-answer-id=" +
                               answerId(1)))
                 .status,
             303);
    QCOMPARE(m_database->column("SELECT cells[4] FROM velmora.answers WHERE answer_id = '" +
                                answerId(1) + "'"),
             QStringList{QStringLiteral("again")});
    QCOMPARE(m_database->column("SELECT cells[4] FROM velmora.replaced_answers"),
             QStringList{QStringLiteral("twice")});
    QCOMPARE(m_database->number("SELECT count(*) FROM velmora.answers"), qint64(Answers));
    QCOMPARE(m_database->column("SELECT cells[4] FROM velmora.answers WHERE answer_id = '" +
                                answerId(0) + "'"),
             QStringList{QStringLiteral("twice")});
}

void TestPostgresAnswers::oneSurveysFailureFailsNoOther() {
    std::unique_ptr<Collector> collector =
        databaseCollector(m_database->conninfo(), steppingClock());
    QCOMPARE(collector->handle(post("1=first&velmora-answer-id=" + answerId(0))).status, 303);
    // A second survey the database refuses (here by a rule an analyst added).
    QFile other(collector->folder() + QStringLiteral("/Other.htm"));
    QVERIFY(other.open(QIODevice::WriteOnly) && other.write(WorkedExample::page()) > 0);
    other.close();
    collector->rescan();
    QString error;
    PgConnection connection(m_database->conninfo());
    QVERIFY(connection.connect(&error));
    QVERIFY2(connection.run({"ALTER TABLE velmora.surveys ADD CONSTRAINT not_other "
                             "CHECK (page_file <> 'Other.htm')"},
                            &error),
             qPrintable(error));

    // Answers to both at once, so that they share the writers' batches.
    std::atomic<int> replies = 0, stored = 0, refused = 0;
    constexpr int Answers = 100;
    for (int n = 1; n <= Answers; ++n) {
        HttpRequest request = post("1=x&velmora-answer-id=" + answerId(n));
        const bool toOther = n % 2 == 0;
        if (toOther)
            request.path = "/Other.htm";
        collector->handle(request, [&, toOther](HttpResponse response) {
            if (response.status == 303 && !toOther)
                ++stored;
            if (response.status == 503 && toOther)
                ++refused;
            ++replies;
        });
    }
    QTRY_COMPARE_WITH_TIMEOUT(replies.load(), Answers, 20000);
    QCOMPARE(stored.load(), Answers / 2);
    QCOMPARE(refused.load(), Answers / 2);
    QCOMPARE(m_database->number("SELECT count(*) FROM velmora.answers"), qint64(Answers / 2 + 1));
}

void TestPostgresAnswers::aServerThatStopsWritingIsNoticed() {
    std::unique_ptr<Collector> collector =
        databaseCollector(m_database->conninfo(), steppingClock());
    QCOMPARE(collector->handle(post("1=before&velmora-answer-id=" + answerId(1))).status, 303);
    const auto health = [&] { return collector->handle(get("/healthz")).status; };
    QCOMPARE(health(), 200);

    // The server turns read-only for new sessions, as a fenced old primary does,
    // and the collector's sessions end.
    QString error;
    PgConnection admin(m_database->conninfo());
    QVERIFY(admin.connect(&error));
    const auto readOnly = [&](bool on) {
        return admin.run({QByteArray("DO $$ BEGIN EXECUTE format('ALTER DATABASE %I SET "
                                     "default_transaction_read_only = ") +
                              (on ? "on" : "off") + "', current_database()); END $$",
                          "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = "
                          "current_database() AND pid <> pg_backend_pid()"},
                         &error);
    };
    QVERIFY2(readOnly(true), qPrintable(error));
    QCOMPARE(collector->handle(post("1=refused&velmora-answer-id=" + answerId(2))).status, 503);
    QTRY_COMPARE_WITH_TIMEOUT(health(), 503, 10000);

    // Writable again: the collector finds out by itself, and takes answers.
    QVERIFY2(readOnly(false), qPrintable(error));
    QTRY_COMPARE_WITH_TIMEOUT(health(), 200, 10000);
    QCOMPARE(collector->handle(post("1=after&velmora-answer-id=" + answerId(3))).status, 303);
    // The answer told to try again may have reached the server after all,
    // once the network was back: sent again, it is stored once.
    QCOMPARE(collector->handle(post("1=frozen&velmora-answer-id=" + answerId(2))).status, 303);
    QCOMPARE(m_database->number("SELECT count(*) FROM velmora.answers"), qint64(3));
}

void TestPostgresAnswers::aLockedTableHoldsNobodyLong() {
    std::unique_ptr<Collector> collector =
        databaseCollector(m_database->conninfo(), steppingClock());
    QCOMPARE(collector->handle(post("1=before&velmora-answer-id=" + answerId(1))).status, 303);
    // An analyst locks the answers and goes for coffee.
    QString error;
    PgConnection analyst(m_database->conninfo());
    QVERIFY(analyst.connect(&error));
    QVERIFY2(analyst.run({"BEGIN", "LOCK TABLE velmora.answers IN ACCESS EXCLUSIVE MODE"}, &error),
             qPrintable(error));
    std::atomic<int> status = 0;
    collector->handle(post("1=waiting&velmora-answer-id=" + answerId(2)),
                      [&status](HttpResponse response) { status = response.status; });
    // Told to try again while the lock is still held, not kept waiting for it.
    QTRY_COMPARE_WITH_TIMEOUT(status.load(), 503, 40000);
    QVERIFY(analyst.run({"COMMIT"}, &error));
    QCOMPARE(collector->handle(post("1=after&velmora-answer-id=" + answerId(3))).status, 303);
}

// Behind a proxy that freezes with its sockets open, no TCP timeout fires:
// the collector's own deadline tells respondents to try again, the health
// check says so within 10 s and is back within 10 s of the network, and
// stopping with an answer still waiting on it is not held up.
void TestPostgresAnswers::aNetworkGoneSilentHoldsNobody() {
    const QRegularExpression port(QStringLiteral("port=(\\d+)"));
    FrozenProxy proxy(
        quint16(port.match(QString::fromLatin1(m_database->conninfo())).captured(1).toUInt()));
    std::unique_ptr<Collector> collector = databaseCollector(
        m_database->conninfo() + " port=" + QByteArray::number(proxy.port()), steppingClock());
    const auto health = [&] { return collector->handle(get("/healthz")).status; };
    QCOMPARE(collector->handle(post("1=before&velmora-answer-id=" + answerId(1))).status, 303);
    // Idle writers connect within a second: then the next answer waits on a
    // connection that stays open, not on a new one's connect timeout.
    QTest::qWait(2000);

    proxy.freeze(true);
    std::atomic<int> status = 0;
    collector->handle(post("1=frozen&velmora-answer-id=" + answerId(2)),
                      [&status](HttpResponse response) { status = response.status; });
    QTRY_COMPARE_WITH_TIMEOUT(health(), 503, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(status.load(), 503, 30000);

    proxy.freeze(false);
    QTRY_COMPARE_WITH_TIMEOUT(health(), 200, 10000);
    QCOMPARE(collector->handle(post("1=after&velmora-answer-id=" + answerId(3))).status, 303);
    // The answer told to try again may have reached the server after all,
    // once the network was back: sent again, it is stored once.
    QCOMPARE(collector->handle(post("1=frozen&velmora-answer-id=" + answerId(2))).status, 303);
    QCOMPARE(m_database->number("SELECT count(*) FROM velmora.answers"), qint64(3));

    // Stopping: a count still waiting on the silent network is given up at once.
    QVERIFY(collector->writeSummaries());
    QTest::qWait(1000); // the counts are asked again at most twice a second
    proxy.freeze(true);
    std::atomic<bool> counted = false;
    std::thread counting([&] {
        collector->writeSummaries();
        counted = true;
    });
    QTest::qWait(500);
    QVERIFY(!counted);
    collector->stopWaitingOnReads();
    QTRY_VERIFY_WITH_TIMEOUT(counted.load(), 2000);
    counting.join();
    status = 0;
    collector->handle(post("1=stopping&velmora-answer-id=" + answerId(4)),
                      [&status](HttpResponse response) { status = response.status; });
    std::atomic<bool> stopped = false;
    std::thread stopping([&] {
        collector.reset();
        stopped = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(stopped.load(), 8000);
    stopping.join();
    QCOMPARE(status.load(), 503);
}

void TestPostgresAnswers::summaryGoesWithItsPage() {
    std::unique_ptr<Collector> collector =
        databaseCollector(m_database->conninfo(), steppingClock());
    QCOMPARE(
        collector->handle(post("_charset_=UTF-8&1=one&velmora-answer-id=" + answerId(1))).status,
        303);
    const QByteArray summary = "/results/" + Token + "/My%20Product%20Survey%20summary.html";
    collector->writeSummaries();
    QCOMPARE(collector->handle(get(summary)).status, 200);
    QCOMPARE(collector->surveys().value(0).answers, 1);
    QCOMPARE(collector->surveys().value(0).countedSummary,
             QStringLiteral("My Product Survey summary.html"));

    QVERIFY(QFile::remove(collector->folder() + QStringLiteral("/My Product Survey.htm")));
    collector->rescan();
    collector->writeSummaries();
    QCOMPARE(collector->handle(get(summary)).status, 404);
    QVERIFY(!collector->handle(get("/results/" + Token + "/")).body.contains("summary"));
}

void TestPostgresAnswers::closingIsSharedByCollectors() {
    std::unique_ptr<Collector> first = databaseCollector(m_database->conninfo(), steppingClock());
    std::unique_ptr<Collector> second = databaseCollector(m_database->conninfo(), steppingClock());
    const auto set = [](Collector &collector, const QByteArray &what) {
        return collector
            .handle({"POST",
                     "/results/" + Token + "/schedule/My%20Product%20Survey.htm",
                     {},
                     "application/x-www-form-urlencoded",
                     "do=" + what + "&at=",
                     QStringLiteral("127.0.0.1")})
            .status;
    };
    const auto closed = [](Collector &collector) {
        return collector.handle(get(Page)).body.contains("This survey is closed");
    };
    QCOMPARE(set(*first, "close"), 200);
    QVERIFY(closed(*first));
    QVERIFY(!closed(*second)); // until it looks again, about once a second
    second->rescan();
    QVERIFY(closed(*second));
    // A collector started later, or again, knows it from the start.
    QVERIFY(closed(*databaseCollector(m_database->conninfo(), steppingClock())));
    QCOMPARE(set(*second, "open"), 200);
    first->rescan();
    QVERIFY(!closed(*first));
    QCOMPARE(m_database->column("SELECT count(*) FROM velmora.schedules"), QStringList{"0"});
}

void TestPostgresAnswers::exportToAFullDiskLeavesTheOlderFiles() {
    SmallFileSystem disk(256);
    REQUIRE_SMALL_FILE_SYSTEM(disk);
    std::unique_ptr<Collector> collector =
        databaseCollector(m_database->conninfo(), steppingClock());
    int n = 0;
    const auto answer = [&](const QByteArray &comment) {
        return collector
            ->handle(post("_charset_=UTF-8&1=Phone&4=" + comment +
                          "&velmora-answer-id=" + answerId(++n)))
            .status;
    };
    QCOMPARE(answer("first"), 303);
    QString error;
    QVERIFY2(exportAnswers(m_database->conninfo(), disk.path(), 0600, Language(), {}, &error),
             qPrintable(error));
    const QStringList names{QStringLiteral("My Product Survey answers.csv"),
                            QStringLiteral("My Product Survey summary.html"),
                            QStringLiteral("My Product Survey table.csv"),
                            QStringLiteral("My Product Survey table.xlsx")};
    QByteArrayList before;
    for (const QString &name : names)
        before.append(fileContent(disk.path() + QLatin1Char('/') + name));
    QVERIFY(before[0].contains("first"));

    // Far more than the disk holds: the export fails half-way through.
    for (int i = 0; i < 30; ++i)
        QCOMPARE(answer(QByteArray(19000, 'x')), 303);
    QVERIFY(!exportAnswers(m_database->conninfo(), disk.path(), 0600, Language(), {}, &error));
    QVERIFY2(error.contains(QStringLiteral("No space left on device")), qPrintable(error));
    for (qsizetype i = 0; i < names.size(); ++i)
        QCOMPARE(fileContent(disk.path() + QLatin1Char('/') + names[i]), before[i]);
    QCOMPARE(disk.files(), QStringList(names)); // no half-written file left behind
}

void TestPostgresAnswers::surveysOfAnySizeAndAnUpgradedDatabase() {
    std::unique_ptr<Collector> collector =
        databaseCollector(m_database->conninfo(), steppingClock());
    // 200 questions: a header of about 12 KB, past what one btree row holds.
    FakePlatform platform;
    SurveyFields fields = WorkedExample::fields(collector->folder() + QLatin1Char('/'), QString());
    fields.pageTitle = QStringLiteral("Big");
    fields.surveyQuestions.clear();
    for (int i = 1; i <= 200; ++i)
        fields.surveyQuestions +=
            QStringLiteral("[%1] How would you rate part number %1 of the product?\r\n[s]\r\n")
                .arg(i);
    CreateSurveyCommand(platform).run(fields, QString());
    QCOMPARE(platform.messageTexts(), QStringList{QStringLiteral("Done.")});
    collector->rescan();
    const HttpRequest big{"POST",
                          "/Big.htm",
                          {},
                          "application/x-www-form-urlencoded",
                          "1=first&200=last&velmora-answer-id=" + answerId(1),
                          QString()};
    QCOMPARE(collector->handle(big).status, 303);
    QCOMPARE(collector->handle(post("1=Phone&velmora-answer-id=" + answerId(2))).status, 303);

    // A database of the first schema, with its surveys, is brought up to date.
    QString error;
    PgConnection connection(m_database->conninfo());
    QVERIFY(connection.connect(&error));
    QVERIFY2(connection.run({"DROP TABLE velmora.schedules", "DROP TABLE velmora.removed_answers",
                             "DROP TABLE velmora.replaced_answers",
                             "ALTER TABLE velmora.surveys DROP CONSTRAINT "
                             "surveys_page_file_columns_hash",
                             "ALTER TABLE velmora.surveys DROP COLUMN columns_key",
                             "DELETE FROM velmora.answers WHERE survey_id IN "
                             "(SELECT id FROM velmora.surveys WHERE page_file = 'Big.htm')",
                             "DELETE FROM velmora.surveys WHERE page_file = 'Big.htm'",
                             "ALTER TABLE velmora.surveys ADD CONSTRAINT "
                             "surveys_page_file_columns_key UNIQUE (page_file, columns)",
                             "DELETE FROM velmora.schema_version WHERE version > 1"},
                            &error),
             qPrintable(error));
    QVERIFY2(ensureSchema(connection, &error), qPrintable(error));
    QCOMPARE(m_database->column("SELECT count(*) FROM velmora.surveys WHERE columns_key IS NULL"),
             QStringList{"0"});
    QCOMPARE(m_database->column("SELECT count(*) FROM velmora.removed_answers"), QStringList{"0"});
    collector = databaseCollector(m_database->conninfo(), steppingClock());
    QCOMPARE(collector->handle(post("1=again&velmora-answer-id=" + answerId(3))).status, 303);
    QCOMPARE(m_database->column("SELECT count(*) FROM velmora.surveys"), QStringList{"1"});
    QCOMPARE(m_database->column("SELECT count(*) FROM velmora.answers"), QStringList{"2"});
}

void TestPostgresAnswers::testAnswersAreRemovedAndBroughtBack() {
    std::unique_ptr<Collector> collector =
        databaseCollector(m_database->conninfo(), steppingClock());
    QCOMPARE(collector->handle(post("UserName=Ann&velmora-answer-id=" + answerId(1))).status, 303);
    QCOMPARE(collector->handle(post("UserName=test&velmora-answer-id=" + answerId(2))).status, 303);
    HttpRequest page = get("/results/" + Token + "/answers/My%20Product%20Survey.htm");
    page.method = "POST";
    page.contentType = "application/x-www-form-urlencoded";
    page.body = "id=" + answerId(2);
    page.fetchSite = "same-origin";
    QVERIFY(collector->handle(page).body.contains("1 answer removed"));
    QCOMPARE(m_database->column("SELECT cells[2] FROM velmora.answers"), QStringList{"Ann"});
    QCOMPARE(m_database->column("SELECT cells[2] FROM velmora.removed_answers"),
             QStringList{"test"});
    // Counted no more, exported no more; listed among the removed, and brought back.
    collector->writeSummaries();
    QVERIFY(collector->handle(get("/results/" + Token + "/My%20Product%20Survey%20summary.html"))
                .body.contains("1 answer"));
    page.method = "GET";
    page.body.clear();
    const QByteArray listed = collector->handle(page).body;
    QVERIFY(listed.indexOf("Removed answers") < listed.indexOf(answerId(2)));
    page.fetchSite = "cross-site";
    page.method = "POST";
    page.body = "restore=1&id=" + answerId(2);
    QCOMPARE(collector->handle(page).status, 403);
    page.fetchSite = "same-origin";
    QVERIFY(collector->handle(page).body.contains("1 answer brought back"));
    QCOMPARE(m_database->column("SELECT count(*) FROM velmora.answers"), QStringList{"2"});
    QCOMPARE(m_database->column("SELECT count(*) FROM velmora.removed_answers"), QStringList{"0"});
}

void TestPostgresAnswers::exportStaysInItsFolder() {
    // A role that may collect may write any page name: the export follows none
    // that leads out of its folder.
    std::unique_ptr<Collector> collector =
        databaseCollector(m_database->conninfo(), steppingClock());
    QCOMPARE(collector->handle(post("1=Phone&velmora-answer-id=" + answerId(1))).status, 303);
    PgConnection connection(m_database->conninfo());
    QString error;
    QVERIFY(connection.connect(&error));
    QVERIFY2(connection.run({"INSERT INTO velmora.surveys (page_file, columns, columns_key, title, "
                             "page_made, page) SELECT '../escaped.htm', columns || '{x}', "
                             "'\\x00', title, page_made, page FROM velmora.surveys LIMIT 1"},
                            &error),
             qPrintable(error));
    QTemporaryDir outer;
    const QString inner = outer.filePath(QStringLiteral("export"));
    QVERIFY(QDir().mkpath(inner));
    QStringList said;
    QVERIFY2(exportAnswers(
                 m_database->conninfo(), inner, 0600, Language(),
                 [&said](const QString &line) { said.append(line); }, &error),
             qPrintable(error));
    QCOMPARE(QDir(outer.path()).entryList(QDir::Files), QStringList());
    QVERIFY(QFile::exists(inner + QStringLiteral("/My Product Survey answers.csv")));
    QVERIFY2(!said.filter(QStringLiteral("Left out: the page name \"../escaped.htm\"")).isEmpty(),
             qPrintable(said.join(QLatin1Char('\n'))));
}

void TestPostgresAnswers::hostileRequestsStoreNothing_data() {
    QTest::addColumn<HttpRequest>("request");
    QTest::addColumn<int>("status");
    const auto hostile = [](const QByteArray &path, const QByteArray &body,
                            const QByteArray &type = "application/x-www-form-urlencoded") {
        return HttpRequest{"POST", path, {}, type, body, QStringLiteral("127.0.0.1")};
    };
    QTest::newRow("broken encoding") << hostile(Page, "1=%%%") << 400;
    QTest::newRow("not UTF-8") << hostile(Page, "_charset_=UTF-8&1=%FF%FE") << 400;
    QTest::newRow("JSON") << hostile(Page, "{\"1\":\"x\"}", "application/json") << 415;
    QTest::newRow("over 1 MiB") << hostile(Page, "1=" + QByteArray(Collector::MaxBody, 'x')) << 413;
    QTest::newRow("a line over its cap")
        << hostile(Page, "1=" + QByteArray(2 * AnswerSheet::LineCap, 'x')) << 413;
    QTest::newRow("up the folder") << hostile("/..%2Fetc%2Fpasswd", "1=x") << 404;
    QTest::newRow("another file") << hostile("/background.gif", "1=x") << 404;
    QTest::newRow("a dot file") << hostile("/.velmora-results-token", "1=x") << 404;
    QTest::newRow("the results link") << hostile("/results/" + Token + "/", "1=x") << 405;
    QTest::newRow("PUT") << HttpRequest{"PUT", Page, {}, {}, "1=x", QStringLiteral("127.0.0.1")}
                         << 405;
}

void TestPostgresAnswers::hostileRequestsStoreNothing() {
    QFETCH(HttpRequest, request);
    QFETCH(int, status);
    std::unique_ptr<Collector> collector =
        databaseCollector(m_database->conninfo(), steppingClock());
    QCOMPARE(collector->handle(request).status, status);
    // An answer after it is the only one stored.
    QCOMPARE(
        collector->handle(post("_charset_=UTF-8&1=real&velmora-answer-id=" + answerId(1))).status,
        303);
    QCOMPARE(m_database->column("SELECT cells[4] FROM velmora.answers"),
             QStringList{QStringLiteral("real")});
}

void TestPostgresAnswers::nulIsRefusedNotStoredChanged() {
    // A database's text holds anything but NUL; the answer is refused plainly,
    // not stored without it, and not asked for again and again.
    std::unique_ptr<Collector> collector =
        databaseCollector(m_database->conninfo(), steppingClock());
    const HttpResponse refused =
        collector->handle(post("_charset_=UTF-8&1=a%00b&velmora-answer-id=" + answerId(5)));
    QCOMPARE(refused.status, 400);
    QVERIFY(refused.body.contains("NUL character"));
    QCOMPARE(
        collector->handle(post("_charset_=UTF-8&1=ab&velmora-answer-id=" + answerId(6))).status,
        303);
    QCOMPARE(m_database->column("SELECT cells[4] FROM velmora.answers"),
             QStringList{QStringLiteral("ab")});
}

void TestPostgresAnswers::databaseAwayRefusesAnswersWithTheFormKept() {
    const QByteArray nowhere =
        "host=127.0.0.1 port=" + QByteArray::number(freePort()) + " user=velmora connect_timeout=2";
    std::unique_ptr<Collector> collector = databaseCollector(nowhere, steppingClock());
    for (int n = 0; n < 5; ++n) {
        const HttpResponse response = collector->handle(
            post("_charset_=UTF-8&1=kept+for+later&velmora-answer-id=" + answerId(n)));
        QCOMPARE(response.status, 503);
        QVERIFY(response.body.contains("value=\"kept for later\""));
        QVERIFY(response.body.contains(answerId(n)));
    }
    const HttpResponse health = collector->handle(get("/healthz"));
    QCOMPARE(health.status, 503);
    QCOMPARE(health.body, QByteArray("answers cannot be stored: the database cannot be reached\n"));
    collector->writeSummaries(); // no summary, and said once
    collector->writeSummaries();
    std::lock_guard lock(m_logMutex);
    QCOMPARE(m_log.filter(QStringLiteral("Cannot connect to the database")).size(), 1);
    QCOMPARE(m_log.filter(QStringLiteral("No summaries")).size(), 1);
    QCOMPARE(m_log.filter(QStringLiteral("in the database")).size(), 0);
}

void TestPostgresAnswers::schemaIsMadeOnceByCollectorsStartingTogether() {
    std::vector<std::thread> collectors;
    std::atomic<int> made = 0;
    for (int i = 0; i < 8; ++i)
        collectors.emplace_back([&] {
            PgConnection connection(m_database->conninfo());
            QString error;
            if (connection.connect(&error) && ensureSchema(connection, &error))
                ++made;
            else
                qWarning("%s", qPrintable(error));
        });
    for (std::thread &collector : collectors)
        collector.join();
    QCOMPARE(made.load(), 8);
    QStringList versions;
    for (int version = 1; version <= SchemaVersion; ++version)
        versions.append(QString::number(version));
    QCOMPARE(m_database->column("SELECT version FROM velmora.schema_version ORDER BY version"),
             versions);
}

void TestPostgresAnswers::schemaOfANewerVersionIsRefused() {
    PgConnection connection(m_database->conninfo());
    QString error;
    QVERIFY(connection.connect(&error) && ensureSchema(connection, &error));
    QVERIFY(connection.run({"INSERT INTO velmora.schema_version (version) VALUES (99)"}, &error));
    QVERIFY(!ensureSchema(connection, &error));
    QVERIFY2(error.contains(QStringLiteral("schema version 99 of a newer")), qPrintable(error));
}

void TestPostgresAnswers::roleThatMayOnlyReadAndWriteAnswersWillDo() {
    // The schema made by its owner; the collectors then run as a role that may
    // make nothing.
    PgConnection owner(m_database->conninfo());
    QString error;
    QVERIFY(owner.connect(&error) && ensureSchema(owner, &error));
    const QByteArray collectorRole = m_database->conninfoAsRole(
        {"GRANT USAGE ON SCHEMA velmora TO ROLE", "GRANT SELECT ON velmora.schema_version TO ROLE",
         "GRANT SELECT, INSERT, UPDATE ON velmora.surveys TO ROLE",
         "GRANT SELECT, INSERT ON velmora.answers TO ROLE",
         "GRANT SELECT ON velmora.schedules TO ROLE"});
    QVERIFY(!collectorRole.isEmpty());
    PgConnection collector(collectorRole);
    QVERIFY2(collector.connect(&error) && ensureSchema(collector, &error), qPrintable(error));
    QVERIFY(!collector.run({"CREATE TABLE velmora.other (id integer)"}, &error));

    std::unique_ptr<Collector> answering = databaseCollector(collectorRole, steppingClock());
    QCOMPARE(
        answering->handle(post("_charset_=UTF-8&1=least&velmora-answer-id=" + answerId(3))).status,
        303);
    answering->writeSummaries();
    QCOMPARE(answering->surveys().value(0).answers, 1);
    QCOMPARE(m_database->column("SELECT cells[4] FROM velmora.answers"),
             QStringList{QStringLiteral("least")});

    // Its INSERT taken away while the connection stays up: the health check
    // says answers cannot be stored, and is well again once it is given back.
    const auto privilege = [&](const QByteArray &statement) {
        QVERIFY2(owner.run({statement + " INSERT ON velmora.answers " +
                            (statement == "GRANT" ? "TO " : "FROM ") + m_database->role()},
                           &error),
                 qPrintable(error));
    };
    const auto health = [&] { return answering->handle(get("/healthz")).status; };
    privilege("REVOKE");
    QCOMPARE(answering->handle(post("1=refused&velmora-answer-id=" + answerId(4))).status, 503);
    QTRY_COMPARE_WITH_TIMEOUT(health(), 503, 10000);
    privilege("GRANT");
    QTRY_COMPARE_WITH_TIMEOUT(health(), 200, 10000);
    QCOMPARE(answering->handle(post("1=again&velmora-answer-id=" + answerId(4))).status, 303);
}

void TestPostgresAnswers::passwordsStayOffTheCommandLine_data() {
    QTest::addColumn<QByteArray>("conninfo");
    QTest::addColumn<bool>("password");
    QTest::addColumn<bool>("sense");
    QTest::newRow("keywords") << QByteArray("host=db dbname=surveys user=velmora") << false << true;
    QTest::newRow("service") << QByteArray("service=surveys") << false << true;
    QTest::newRow("nothing: the environment's") << QByteArray() << false << true;
    QTest::newRow("password keyword") << QByteArray("host=db password=secret") << true << true;
    QTest::newRow("password in a URI")
        << QByteArray("postgresql://velmora:secret@db/surveys") << true << true;
    QTest::newRow("URI without one")
        << QByteArray("postgresql://velmora@db/surveys") << false << true;
    QTest::newRow("unclosed quote") << QByteArray("host='db") << false << false;
}

void TestPostgresAnswers::passwordsStayOffTheCommandLine() {
    QFETCH(QByteArray, conninfo);
    QFETCH(bool, password);
    QFETCH(bool, sense);
    QString error;
    QCOMPARE(PgConnection::holdsPassword(conninfo, &error), password);
    QCOMPARE(error.isEmpty(), sense);
}

QTEST_GUILESS_MAIN(TestPostgresAnswers)
#include "tst_postgresanswers.moc"
