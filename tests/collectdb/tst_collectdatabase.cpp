#include "collectorprocess.h"
#include "httpclient.h"
#include "sampleanswer.h"
#include "surveyfolders.h"
#include "testdatabase.h"

#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <mutex>
#include <thread>

// Collectors sharing one PostgreSQL database, as their users meet them: real
// programs over real sockets on loopback, one of them killed, the database
// restarted under load. Every loop is bounded in count and time.
namespace {

// Respondents come from one address here; the limits meant for one client
// would stop the load itself.
const QStringList Unlimited{QStringLiteral("--quiet"), QStringLiteral("--answer-burst"),
                            QStringLiteral("1000000"), QStringLiteral("--answers-per-second"),
                            QStringLiteral("1000000"), QStringLiteral("--request-burst"),
                            QStringLiteral("1000000"), QStringLiteral("--requests-per-second"),
                            QStringLiteral("1000000"), QStringLiteral("--all-answer-burst"),
                            QStringLiteral("1000000"), QStringLiteral("--all-answers-per-second"),
                            QStringLiteral("1000000"), QStringLiteral("--answer-megabytes-per-day"),
                            QStringLiteral("0")};

QByteArray answerId(int client, int n) {
    return QByteArray::number(client * 100000 + n, 16).rightJustified(16, '0').repeated(2);
}

int postAnswer(quint16 port, const QByteArray &id) {
    return httpExchange(port, postRequest(SamplePage, sampleAnswer(QString::fromLatin1(id)) +
                                                          "&velmora-answer-id=" + id))
        .status;
}

const QByteArray AnswerIds = "SELECT answer_id FROM velmora.answers";

bool pgCluster(const QString &action,
               const QString &state = QStringLiteral(VELMORA_PGCLUSTER_STATE),
               const QStringList &more = {}) {
    return QProcess::execute(QStringLiteral(VELMORA_PGCLUSTER_SCRIPT),
                             QStringList{action, state} + more) == 0;
}

QByteArray stateFile(const QString &state, const char *name) {
    QFile file(state + u'/' + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
}

// Answers posted one after another until `stop`: each new answer ID is
// acknowledged (303) before the next; a refused one is sent again, as the
// respondent's "Try again" does, to the port `target()` names then.
class Respondent {
public:
    Respondent(int number, std::function<quint16()> target)
        : m_number(number)
        , m_target(std::move(target)) {}

    void run(const std::atomic<bool> &stop) {
        for (int n = 0; !stop; ++n) {
            const QByteArray id = answerId(m_number, n);
            int status = 0;
            while (!stop && (status = postAnswer(m_target(), id)) != 303) {
                ++refusals[status];
                QThread::msleep(20);
            }
            if (status == 303)
                acknowledged.insert(QString::fromLatin1(id));
        }
    }

    QSet<QString> acknowledged;
    std::map<int, int> refusals; // by status; 0 for no answer at all

private:
    int m_number;
    std::function<quint16()> m_target;
};

// Respondents answering at once, each on a thread of its own, until finish().
class Respondents {
public:
    // Respondent `i` posts to the port `target(i)` names at the time.
    Respondents(int count, const std::function<quint16(int)> &target) {
        for (int i = 0; i < count; ++i) {
            m_respondents.push_back(
                std::make_unique<Respondent>(i, [target, i] { return target(i); }));
            m_threads.emplace_back([this, i] { m_respondents[size_t(i)]->run(m_stop); });
        }
    }
    ~Respondents() { finish(); }
    void finish() {
        m_stop = true;
        for (std::thread &thread : m_threads)
            if (thread.joinable())
                thread.join();
    }
    QSet<QString> acknowledged() const {
        QSet<QString> all;
        for (const auto &respondent : m_respondents)
            all.unite(respondent->acknowledged);
        return all;
    }
    int refusals(int status) const {
        int all = 0;
        for (const auto &respondent : m_respondents)
            all += respondent->refusals[status];
        return all;
    }

private:
    std::atomic<bool> m_stop = false;
    std::vector<std::unique_ptr<Respondent>> m_respondents;
    std::vector<std::thread> m_threads;
};

} // namespace

class TestCollectDatabase : public QObject {
    Q_OBJECT

private slots:
    void init();
    void twoCollectorsOneKilledLoseNothing();
    void databaseRestartedUnderLoadLosesNothing();
    void stoppedWhileAnAnswerWaitsEndsCleanly();
    void aFencedOldPrimaryGivesWayToItsPromotedStandby();

private:
    QStringList databaseOptions() const {
        return Unlimited +
               QStringList{QStringLiteral("--database"), QString::fromUtf8(m_database->conninfo())};
    }
    // Every acknowledged answer is stored, once: `stored` are the answer IDs
    // the database holds.
    static void verifyStoredOnce(const QStringList &stored, const QSet<QString> &acknowledged) {
        const QSet<QString> distinct(stored.cbegin(), stored.cend());
        QCOMPARE(distinct.size(), stored.size());
        QVERIFY(!distinct.contains(QString()));
        const QSet<QString> missing = QSet<QString>(acknowledged).subtract(distinct);
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("%1 acknowledged answers are not stored, such as %2")
                                .arg(missing.size())
                                .arg(missing.isEmpty() ? QString() : *missing.cbegin())));
        qInfo("%lld answers acknowledged, %lld rows stored", qlonglong(acknowledged.size()),
              qlonglong(stored.size()));
    }

    std::unique_ptr<TestDatabase> m_database;
    SurveyFolders m_folders;
};

void TestCollectDatabase::init() {
    m_database = std::make_unique<TestDatabase>();
    QVERIFY2(m_database->isReady(), "the test cluster is not running (scripts/pgcluster.sh)");
}

void TestCollectDatabase::stoppedWhileAnAnswerWaitsEndsCleanly() {
    CollectorProcess collector;
    QVERIFY(collector.start(m_folders.add(), databaseOptions()));
    QCOMPARE(httpExchange(collector.port(), postRequest(SamplePage, sampleAnswer("first"))).status,
             303);
    // The answers table locked: the next answer waits on the database longer
    // than the stop waits for it.
    QString error;
    Velmora::PgConnection analyst(m_database->conninfo());
    QVERIFY(analyst.connect(&error));
    QVERIFY(analyst.run({"BEGIN", "LOCK TABLE velmora.answers IN ACCESS EXCLUSIVE MODE"}, &error));
    std::atomic<int> status = -1;
    std::thread respondent([&] {
        status =
            httpExchange(collector.port(), postRequest(SamplePage, sampleAnswer("waiting"))).status;
    });
    QTest::qWait(500);

    // Told to try again, never an empty reply, and the collector ends by itself.
    QCOMPARE(collector.terminate(), 0);
    respondent.join();
    QCOMPARE(status.load(), 503);
    QVERIFY(analyst.run({"COMMIT"}, &error));
}

void TestCollectDatabase::twoCollectorsOneKilledLoseNothing() {
    // Two machines behind a load balancer: respondents spread over both, and
    // those of the one that dies go to the other, as the balancer sends them.
    CollectorProcess first, second;
    QVERIFY(first.start(m_folders.add(), databaseOptions()));
    QVERIFY(second.start(m_folders.add(), databaseOptions()));
    std::atomic<bool> secondAlive = true;
    constexpr int Clients = 64;
    Respondents respondents(
        Clients, [&](int i) { return i % 2 == 1 && secondAlive ? second.port() : first.port(); });
    QThread::msleep(1500);
    const int before = int(m_database->number("SELECT count(*) FROM velmora.answers"));
    second.kill();
    QThread::msleep(200);
    secondAlive = false;
    QThread::msleep(1500);
    respondents.finish();

    const int unanswered = respondents.refusals(0);
    qInfo("%d answers stored before the kill; %d posts met a dead collector and were sent again",
          before, unanswered);
    QVERIFY(before > 0);
    QVERIFY(unanswered > 0); // the kill did land in the middle
    verifyStoredOnce(m_database->column(AnswerIds), respondents.acknowledged());
    // The survivor kept answering after the kill.
    QVERIFY(m_database->number("SELECT count(*) FROM velmora.answers") > before + Clients);
}

void TestCollectDatabase::databaseRestartedUnderLoadLosesNothing() {
    CollectorProcess collector;
    QVERIFY(collector.start(m_folders.add(), databaseOptions()));
    Respondents respondents(16, [&](int) { return collector.port(); });
    // Two outages: the moments around a reconnection are where an answer
    // could be called stored when it is not.
    constexpr int Outages = 2;
    for (int outage = 0; outage < Outages; ++outage) {
        QThread::msleep(1000);
        QVERIFY(pgCluster(QStringLiteral("halt")));
        auto resumeAnyway = qScopeGuard([] { pgCluster(QStringLiteral("resume")); });
        QThread::msleep(1500);
        QCOMPARE(m_database->number("SELECT 1"), 0); // nothing to reach
        QCOMPARE(httpExchange(collector.port(), getRequest("/healthz")).status, 503);
        QVERIFY(pgCluster(QStringLiteral("resume")));
        resumeAnyway.dismiss();
        // Answering resumes by itself, with no restart of the collector.
        QTRY_COMPARE_WITH_TIMEOUT(httpExchange(collector.port(), getRequest("/healthz")).status,
                                  200, 10000);
    }
    QThread::msleep(1000);
    respondents.finish();

    const int refused = respondents.refusals(503);
    qInfo("%d posts were told to try again during the outages", refused);
    QVERIFY(refused > 0);
    verifyStoredOnce(m_database->column(AnswerIds), respondents.acknowledged());
    QTRY_COMPARE(collector.output().count("The database is back"), Outages);
    QCOMPARE(collector.output().count("The database cannot be reached"), Outages);
}

void TestCollectDatabase::aFencedOldPrimaryGivesWayToItsPromotedStandby() {
    // A second server streaming from the first, and collectors told of both,
    // to write wherever writing is allowed.
    const QString primary = QStringLiteral(VELMORA_PGCLUSTER_STATE);
    const QString standby = primary + QStringLiteral("-standby");
    QVERIFY(pgCluster(QStringLiteral("standby"), standby, {primary}));
    const auto removeStandby = qScopeGuard([&] { pgCluster(QStringLiteral("stop"), standby); });
    const QByteArray standbyServer = "host=127.0.0.1 port=" + stateFile(standby, "port");
    const QByteArray bothServers =
        m_database->conninfo() + " host=127.0.0.1,127.0.0.1 port=" + stateFile(primary, "port") +
        ',' + stateFile(standby, "port") + " target_session_attrs=read-write";
    CollectorProcess collector;
    QVERIFY(
        collector.start(m_folders.add(), Unlimited + QStringList{QStringLiteral("--database"),
                                                                 QString::fromUtf8(bothServers)}));
    Respondents respondents(16, [&](int) { return collector.port(); });
    QThread::msleep(1000);

    // The switchover: the old primary fenced (read-only, its sessions left
    // open, as a failover manager leaves a server it cannot stop), the
    // standby caught up with everything committed, then promoted.
    QString error;
    Velmora::PgConnection admin(m_database->conninfo());
    QVERIFY(admin.connect(&error));
    const auto fenced = [&](bool on) {
        return admin.run({on ? QByteArray("ALTER SYSTEM SET default_transaction_read_only = on")
                             : QByteArray("ALTER SYSTEM RESET default_transaction_read_only"),
                          "SELECT pg_reload_conf()"},
                         &error);
    };
    QVERIFY2(fenced(true), qPrintable(error));
    const auto unfence = qScopeGuard([&] { fenced(false); });
    QTRY_COMPARE_WITH_TIMEOUT(httpExchange(collector.port(), getRequest("/healthz")).status, 503,
                              10000);
    const QByteArray committed =
        m_database->column("SELECT pg_current_wal_lsn()").value(0).toUtf8();
    QTRY_VERIFY_WITH_TIMEOUT(
        TestDatabase::columnAt(m_database->conninfo() + ' ' + standbyServer,
                               "SELECT pg_last_wal_replay_lsn() >= '" + committed + "'::pg_lsn")
                .value(0) == QLatin1String("t"),
        10000);
    const int beforePromotion = respondents.refusals(503);
    QVERIFY(pgCluster(QStringLiteral("promote"), standby));

    // The collector finds the new primary by itself, and answering resumes.
    QTRY_COMPARE_WITH_TIMEOUT(httpExchange(collector.port(), getRequest("/healthz")).status, 200,
                              10000);
    const QStringList before =
        TestDatabase::columnAt(m_database->conninfo() + ' ' + standbyServer, AnswerIds);
    QThread::msleep(1000);
    respondents.finish();
    const QStringList stored =
        TestDatabase::columnAt(m_database->conninfo() + ' ' + standbyServer, AnswerIds);
    qInfo("%d posts were told to try again while no server took writes; %lld answers came to "
          "the new primary within a second",
          beforePromotion, qlonglong(stored.size() - before.size()));
    QVERIFY(beforePromotion > 0);
    QVERIFY(stored.size() > before.size());
    verifyStoredOnce(stored, respondents.acknowledged());
    QCOMPARE(collector.terminate(), 0);
}

QTEST_GUILESS_MAIN(TestCollectDatabase)
#include "tst_collectdatabase.moc"
