#include "collectorprocess.h"
#include "frozenproxy.h"
#include "httpclient.h"
#include "sampleanswer.h"
#include "schema.h"
#include "surveyfolders.h"
#include "testdatabase.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <mutex>
#include <optional>
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

// Waits up to 30 s for the reply: past the collector's own deadlines, so
// that a post with no reply is one the collector left unanswered.
int postAnswer(quint16 port, const QByteArray &id) {
    return httpExchange(port,
                        postRequest(SamplePage, sampleAnswer(QString::fromLatin1(id)) +
                                                    "&velmora-answer-id=" + id),
                        30)
        .status;
}

// What goes wrong with a database under a collector.
enum class Fault { Restarted, NetworkSilent, TableLocked, ReadOnly, InsertRevoked, Failover };

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
            for (;;) {
                QElapsedTimer waited;
                waited.start();
                status = stop ? 0 : postAnswer(m_target(), id);
                longestWait = std::max(longestWait, waited.elapsed());
                if (stop || status == 303)
                    break;
                ++refusals[status];
                QThread::msleep(20);
            }
            if (status == 303)
                acknowledged.insert(QString::fromLatin1(id));
        }
    }

    QSet<QString> acknowledged;
    std::map<int, int> refusals; // by status; 0 for no answer at all
    qint64 longestWait = 0;      // for a reply, in ms

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
    qint64 longestWait() const {
        qint64 longest = 0;
        for (const auto &respondent : m_respondents)
            longest = std::max(longest, respondent->longestWait);
        return longest;
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

Q_DECLARE_METATYPE(Fault)

class TestCollectDatabase : public QObject {
    Q_OBJECT

private slots:
    void init();
    void twoCollectorsOneKilledLoseNothing();
    void faultsLoseNoAnswer_data();
    void faultsLoseNoAnswer();
    void stoppedWhileAnAnswerWaitsEndsCleanly();

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

void TestCollectDatabase::faultsLoseNoAnswer_data() {
    QTest::addColumn<Fault>("fault");
    // How long the fault lasts once /healthz says so (after 5 s of waiting,
    // where answers wait): past the 10 s deadline of a statement and the 5 s
    // of one connection tried again, so that respondents are told to try again.
    QTest::addColumn<int>("lastsMs");
    QTest::newRow("the server restarted") << Fault::Restarted << 1000;
    QTest::newRow("the network silent, its sockets open") << Fault::NetworkSilent << 12000;
    QTest::newRow("the answers table locked by an analyst") << Fault::TableLocked << 8000;
    QTest::newRow("the server read-only") << Fault::ReadOnly << 1000;
    QTest::newRow("INSERT revoked from the collector's role") << Fault::InsertRevoked << 1000;
    QTest::newRow("the primary fenced, its standby promoted") << Fault::Failover << 1000;
}

void TestCollectDatabase::faultsLoseNoAnswer() {
    QFETCH(Fault, fault);
    QFETCH(int, lastsMs);
    const QString primary = QStringLiteral(VELMORA_PGCLUSTER_STATE);
    const QString standby = primary + QStringLiteral("-standby");
    QString error;
    Velmora::PgConnection admin(m_database->conninfo());
    QVERIFY(admin.connect(&error));
    QByteArray conninfo = m_database->conninfo(); // the collector's
    QByteArray storedAt = conninfo;               // where the answers are read back
    std::optional<FrozenProxy> proxy;
    switch (fault) {
    case Fault::NetworkSilent:
        proxy.emplace(quint16(stateFile(primary, "port").toUInt()));
        conninfo += " port=" + QByteArray::number(proxy->port());
        break;
    case Fault::InsertRevoked:
        // The schema made by its owner; the collector runs as a role that may
        // make nothing.
        QVERIFY(Velmora::ensureSchema(admin, &error));
        conninfo =
            m_database->conninfoAsRole({"GRANT USAGE ON SCHEMA velmora TO ROLE",
                                        "GRANT SELECT ON velmora.schema_version TO ROLE",
                                        "GRANT SELECT, INSERT, UPDATE ON velmora.surveys TO ROLE",
                                        "GRANT SELECT, INSERT ON velmora.answers TO ROLE",
                                        "GRANT SELECT ON velmora.schedules TO ROLE"});
        QVERIFY(!conninfo.isEmpty());
        break;
    case Fault::Failover:
        // A second server streaming from the first, and the collector told of
        // both, to write wherever writing is allowed.
        QVERIFY(pgCluster(QStringLiteral("standby"), standby, {primary}));
        conninfo += " host=127.0.0.1,127.0.0.1 port=" + stateFile(primary, "port") + ',' +
                    stateFile(standby, "port") + " target_session_attrs=read-write";
        storedAt += " host=127.0.0.1 port=" + stateFile(standby, "port");
        break;
    default:
        break;
    }
    const auto readOnly = [&](bool on) {
        return admin.run({on ? QByteArray("ALTER SYSTEM SET default_transaction_read_only = on")
                             : QByteArray("ALTER SYSTEM RESET default_transaction_read_only"),
                          "SELECT pg_reload_conf()"},
                         &error);
    };
    bool ended = false;
    const auto faulty = [&](bool on) -> bool {
        switch (fault) {
        case Fault::Restarted:
            return pgCluster(on ? QStringLiteral("halt") : QStringLiteral("resume"));
        case Fault::NetworkSilent:
            proxy->freeze(on);
            return true;
        case Fault::TableLocked:
            return on ? admin.run({"BEGIN", "LOCK TABLE velmora.answers IN ACCESS EXCLUSIVE MODE"},
                                  &error)
                      : admin.run({"COMMIT"}, &error);
        case Fault::ReadOnly:
            return readOnly(on);
        case Fault::InsertRevoked:
            return admin.run({(on ? "REVOKE INSERT ON velmora.answers FROM "
                                  : "GRANT INSERT ON velmora.answers TO ") +
                              m_database->role()},
                             &error);
        case Fault::Failover: {
            // The old primary fenced (read-only, its sessions left open, as
            // a failover manager leaves a server it cannot stop); the standby
            // promoted once it has everything committed.
            if (on)
                return readOnly(true);
            const QByteArray committed =
                m_database->column("SELECT pg_current_wal_lsn()").value(0).toUtf8();
            QElapsedTimer waited;
            waited.start();
            while (TestDatabase::columnAt(storedAt, "SELECT pg_last_wal_replay_lsn() >= '" +
                                                        committed + "'::pg_lsn")
                       .value(0) != QLatin1String("t"))
                if (waited.elapsed() > 10000)
                    return false;
            return pgCluster(QStringLiteral("promote"), standby);
        }
        }
        return false;
    };

    // Whatever happens, the next test finds the server as it was.
    const auto restore = qScopeGuard([&] {
        if (!ended && fault != Fault::Failover)
            faulty(false);
        if (fault == Fault::Failover) {
            readOnly(false);
            pgCluster(QStringLiteral("stop"), standby);
        }
    });
    CollectorProcess collector;
    QVERIFY(collector.start(m_folders.add(), Unlimited + QStringList{QStringLiteral("--database"),
                                                                     QString::fromUtf8(conninfo)}));
    const auto health = [&] {
        return httpExchange(collector.port(), getRequest("/healthz")).status;
    };
    Respondents respondents(16, [&](int) { return collector.port(); });
    QThread::msleep(1000);
    QVERIFY2(faulty(true), qPrintable(error));
    QTRY_COMPARE_WITH_TIMEOUT(health(), 503, 10000);
    QThread::msleep(lastsMs);
    QVERIFY2(faulty(false), qPrintable(error));
    ended = true;
    // Answering resumes by itself, with no restart of the collector.
    QTRY_COMPARE_WITH_TIMEOUT(health(), 200, 10000);
    QThread::msleep(1000);
    respondents.finish();

    qInfo("%d posts were told to try again; the longest wait for a reply was %lld ms",
          respondents.refusals(503), qlonglong(respondents.longestWait()));
    QVERIFY(respondents.refusals(503) > 0);
    // Every post had its reply: the "try again" page, never silence.
    QCOMPARE(respondents.refusals(0), 0);
    verifyStoredOnce(TestDatabase::columnAt(storedAt, AnswerIds), respondents.acknowledged());
    if (fault == Fault::Restarted) {
        // Said once each, not once an answer.
        QTRY_COMPARE(collector.output().count("The database is back"), 1);
        QCOMPARE(collector.output().count("The database cannot be reached"), 1);
    }
    QCOMPARE(collector.terminate(), 0);
}

QTEST_GUILESS_MAIN(TestCollectDatabase)
#include "tst_collectdatabase.moc"
