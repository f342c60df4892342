#include "collectoptions.h"

#include <QTest>

using namespace Velmora;

// What the command line says about where answers go.
class TestCollectOptions : public QObject {
    Q_OBJECT

private slots:
    void databaseOptions_data();
    void databaseOptions();
};

void TestCollectOptions::databaseOptions_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error"); // empty: accepted
    QTest::addColumn<QByteArray>("database");
    QTest::addColumn<QString>("exportFolder");
    QTest::newRow("files") << QStringList{} << QString() << QByteArray() << QString();
    QTest::newRow("the standard proxy header")
        << QStringList{"--proxy-header", "forwarded"} << QString() << QByteArray() << QString();
    QTest::newRow("a proxy header not read")
        << QStringList{"--proxy-header", "X-Real-IP"}
        << "--proxy-header takes X-Forwarded-For or Forwarded, not \"X-Real-IP\"." << QByteArray()
        << QString();
    QTest::newRow("a prefix for IPv4 clients")
        << QStringList{"--ipv4-prefix", "24", "--answer-megabytes-per-day", "0"} << QString()
        << QByteArray() << QString();
    QTest::newRow("a prefix too wide")
        << QStringList{"--ipv4-prefix", "33"} << "--ipv4-prefix takes a number from 8 to 32."
        << QByteArray() << QString();
    QTest::newRow("languages offered") << QStringList{"--languages", "de, fr-CA,all"} << QString()
                                       << QByteArray() << QString();
    QTest::newRow("a language that is no tag")
        << QStringList{"--languages", "de,<script>"}
        << "--languages takes language tags such as de,fr,ar, or all." << QByteArray() << QString();
    QTest::newRow("no budget for everyone")
        << QStringList{"--all-answers-per-second", "0"}
        << "--all-answers-per-second takes a number above 0." << QByteArray() << QString();
    QTest::newRow("keywords") << QStringList{"--database", "host=db dbname=surveys"} << QString()
                              << QByteArray("host=db dbname=surveys") << QString();
    QTest::newRow("the environment's")
        << QStringList{"--database", ""} << QString() << QByteArray("") << QString();
    QTest::newRow("export") << QStringList{"--export", "/srv/out", "--database", "service=s"}
                            << QString() << QByteArray("service=s") << QStringLiteral("/srv/out");
    QTest::newRow("password") << QStringList{"--database", "host=db password=secret"}
                              << QStringLiteral("--database: put the password in ~/.pgpass")
                              << QByteArray() << QString();
    QTest::newRow("password in a URI")
        << QStringList{"--database", "postgresql://u:secret@db/s"}
        << QStringLiteral("--database: put the password in ~/.pgpass") << QByteArray() << QString();
    QTest::newRow("nonsense") << QStringList{"--database", "host='db"}
                              << QStringLiteral("--database: ") << QByteArray() << QString();
    QTest::newRow("export without a database")
        << QStringList{"--export", "/srv/out"} << QStringLiteral("--export needs --database.")
        << QByteArray() << QString();
    QTest::newRow("summary with a database")
        << QStringList{"--summary", "--database", "service=s"}
        << QStringLiteral("--summary reads answers files") << QByteArray() << QString();
}

void TestCollectOptions::databaseOptions() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    QFETCH(QByteArray, database);
    QFETCH(QString, exportFolder);
    QString said;
    const std::optional<CollectOptions> options =
        CollectOptions::parse(QStringList{QStringLiteral("velmora-collect")} + arguments, &said);
    if (!error.isEmpty()) {
        QVERIFY(!options);
        QVERIFY2(said.startsWith(error), qPrintable(said));
        return;
    }
    QVERIFY2(options, qPrintable(said));
    QCOMPARE(options->database.has_value(), arguments.contains(QStringLiteral("--database")));
    QCOMPARE(options->database.value_or(QByteArray()), database);
    QCOMPARE(options->exportFolder, exportFolder);
}

QTEST_GUILESS_MAIN(TestCollectOptions)
#include "tst_collectoptions.moc"
