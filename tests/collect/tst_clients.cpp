#include "answerbudget.h"
#include "clientlimits.h"
#include "trustedproxies.h"

#include <QTest>

using namespace Velmora;

// Who a request comes from, and how often a client may ask and answer.
class TestClients : public QObject {
    Q_OBJECT

private slots:
    void realClientBehindTrustedProxies_data();
    void realClientBehindTrustedProxies();
    void badProxyNetworksAreRefused_data();
    void badProxyNetworksAreRefused();
    void crowdGetsItsBurstAndAFloodItsRate();
    void addressesOfOneNetworkAreOneClient_data();
    void addressesOfOneNetworkAreOneClient();
    void everyoneTogetherIsHeldToTheBudget_data();
    void everyoneTogetherIsHeldToTheBudget();
};

void TestClients::realClientBehindTrustedProxies_data() {
    QTest::addColumn<QString>("header"); // the one the proxies set
    QTest::addColumn<QString>("peer");
    QTest::addColumn<QByteArray>("forwarded");
    QTest::addColumn<QByteArray>("forwardedFor");
    QTest::addColumn<QByteArray>("proto");
    QTest::addColumn<QString>("client");
    QTest::addColumn<bool>("secure");
    QTest::addColumn<bool>("named"); // by a proxy, so never this computer itself

    const QString xff = QStringLiteral("X-Forwarded-For");
    const QString standard = QStringLiteral("Forwarded");
    QTest::newRow("no proxy in between") << xff << "192.0.2.7" << QByteArray() << QByteArray()
                                         << QByteArray() << "192.0.2.7" << false << false;
    QTest::newRow("headers from an untrusted peer are ignored")
        << xff << "192.0.2.7" << QByteArray("for=198.51.100.1;proto=https")
        << QByteArray("198.51.100.2") << QByteArray("https") << "192.0.2.7" << false << false;
    QTest::newRow("X-Forwarded-For from the trusted proxy")
        << xff << "127.0.0.1" << QByteArray() << QByteArray("198.51.100.9") << QByteArray("https")
        << "198.51.100.9" << true << true;
    QTest::newRow("a spoofed first hop is passed over")
        << xff << "127.0.0.1" << QByteArray() << QByteArray("6.6.6.6, 198.51.100.9")
        << QByteArray("http") << "198.51.100.9" << false << true;
    QTest::newRow("a chain of trusted proxies")
        << xff << "127.0.0.1" << QByteArray() << QByteArray("198.51.100.9, 10.1.2.3")
        << QByteArray() << "198.51.100.9" << false << true;
    // nginx passes a client's own Forwarded through unchanged.
    QTest::newRow("a client's own Forwarded is not believed")
        << xff << "127.0.0.1" << QByteArray("for=127.0.0.1;proto=https")
        << QByteArray("198.51.100.9") << QByteArray("http") << "198.51.100.9" << false << true;
    QTest::newRow("a forwarded loopback address is not this computer")
        << xff << "127.0.0.1" << QByteArray() << QByteArray("127.0.0.1") << QByteArray()
        << "127.0.0.1" << false << true;
    QTest::newRow("Forwarded, with IPv6 and a port")
        << standard << "127.0.0.1" << QByteArray("for=\"[2001:db8::17]:4711\";proto=https")
        << QByteArray("6.6.6.6") << QByteArray() << "2001:db8::17" << true << true;
    QTest::newRow("Forwarded, X-Forwarded-For and its proto ignored")
        << standard << "127.0.0.1" << QByteArray("for=192.0.2.60") << QByteArray("6.6.6.6")
        << QByteArray("https") << "192.0.2.60" << false << true;
    QTest::newRow("Forwarded with an IPv4 port and two elements")
        << standard << "127.0.0.1" << QByteArray("for=6.6.6.6, for=192.0.2.60:8080") << QByteArray()
        << QByteArray() << "192.0.2.60" << false << true;
    QTest::newRow("an unknown hop stops the walk")
        << standard << "127.0.0.1" << QByteArray("for=unknown") << QByteArray() << QByteArray()
        << "127.0.0.1" << false << false;
    QTest::newRow("IPv4-mapped peer")
        << xff << "::ffff:127.0.0.1" << QByteArray() << QByteArray("203.0.113.5") << QByteArray()
        << "203.0.113.5" << false << true;
    QTest::newRow("trusted peer without headers")
        << xff << "127.0.0.1" << QByteArray() << QByteArray() << QByteArray() << "127.0.0.1"
        << false << false;
}

void TestClients::realClientBehindTrustedProxies() {
    QFETCH(QString, header);
    QFETCH(QString, peer);
    QFETCH(QByteArray, forwarded);
    QFETCH(QByteArray, forwardedFor);
    QFETCH(QByteArray, proto);
    QFETCH(QString, client);
    QFETCH(bool, secure);
    QFETCH(bool, named);
    QString error;
    const std::optional<TrustedProxies> proxies =
        TrustedProxies::parse({QStringLiteral("127.0.0.1"), QStringLiteral("10.0.0.0/8")}, &error,
                              *TrustedProxies::headerNamed(header));
    QVERIFY2(proxies, qPrintable(error));

    const TrustedProxies::Client found = proxies->clientOf(peer, forwarded, forwardedFor, proto);
    QCOMPARE(found.address, client);
    QCOMPARE(found.secure, secure);
    QCOMPARE(found.forwarded, named);
}

void TestClients::badProxyNetworksAreRefused_data() {
    QTest::addColumn<QString>("network");
    QTest::addColumn<bool>("valid");

    QTest::newRow("address") << "192.0.2.1" << true;
    QTest::newRow("network") << "10.0.0.0/8" << true;
    QTest::newRow("IPv6 network") << "fd00::/8" << true;
    QTest::newRow("a name") << "proxy.example" << false;
    QTest::newRow("too many bits") << "10.0.0.0/33" << false;
    QTest::newRow("bits that are no number") << "10.0.0.0/x" << false;
    QTest::newRow("empty") << "" << false;
}

void TestClients::badProxyNetworksAreRefused() {
    QFETCH(QString, network);
    QFETCH(bool, valid);
    QString error;
    QCOMPARE(TrustedProxies::parse({network}, &error).has_value(), valid);
    QCOMPARE(error.isEmpty(), valid);
}

void TestClients::crowdGetsItsBurstAndAFloodItsRate() {
    ClientLimits limits({{200, 2000}, {5, 600}});
    const QString school = QStringLiteral("192.0.2.1");
    // 300 respondents behind one address load the page, its picture and icon, and answer.
    for (int i = 0; i < 900; ++i)
        QVERIFY(limits.admit(school, false, 0));
    for (int i = 0; i < 300; ++i)
        QVERIFY(limits.admit(school, true, 0));

    // A flood from one client gets its burst, then its rate; others are not touched.
    const QString flood = QStringLiteral("198.51.100.1");
    int taken = 0;
    for (int i = 0; i < 3000; ++i)
        taken += limits.admit(flood, true, 0) ? 1 : 0;
    QCOMPARE(taken, 600);
    taken = 0;
    for (int ms = 0; ms < 10000; ms += 10)
        taken += limits.admit(flood, true, 1000 + ms) ? 1 : 0;
    QVERIFY2(taken >= 49 && taken <= 56, QByteArray::number(taken)); // five a second
    QVERIFY(limits.admit(QStringLiteral("203.0.113.9"), true, 11000));
}

void TestClients::addressesOfOneNetworkAreOneClient_data() {
    QTest::addColumn<unsigned>("ipv4PrefixBits");
    QTest::addColumn<QStringList>("sameClient"); // one burst of three for all of them
    QTest::addColumn<QString>("another");
    QTest::addColumn<QString>("network"); // what the first one counts as
    // A phone or a home gets a whole /64: a new address for each request gets no
    // new burst.
    QTest::newRow("an IPv6 /64") << 32u
                                 << QStringList{"2001:db8:1:2::1", "2001:db8:1:2::2",
                                                "2001:db8:1:2:aaaa:bbbb:cccc:dddd",
                                                "2001:db8:1:2:ffff::9"}
                                 << "2001:db8:1:3::1"
                                 << "2001:db8:1:2::/64";
    QTest::newRow("IPv4 addresses, each its own")
        << 32u << QStringList{"192.0.2.1", "192.0.2.1", "192.0.2.1", "192.0.2.1"} << "192.0.2.2"
        << "192.0.2.1";
    QTest::newRow("an IPv4 /24 when asked")
        << 24u << QStringList{"198.51.100.1", "198.51.100.2", "198.51.100.77", "198.51.100.255"}
        << "198.51.101.1"
        << "198.51.100.0/24";
    QTest::newRow("IPv6 untouched by the IPv4 prefix")
        << 16u << QStringList{"2001:db8::1", "2001:db8::2", "2001:db8::3", "2001:db8::4"}
        << "2001:db8:0:1::1"
        << "2001:db8::/64";
}

void TestClients::addressesOfOneNetworkAreOneClient() {
    QFETCH(unsigned, ipv4PrefixBits);
    QFETCH(QStringList, sameClient);
    QFETCH(QString, another);
    QFETCH(QString, network);
    ClientLimits limits({{0, 3}, {0, 3}, ipv4PrefixBits});
    for (qsizetype i = 0; i < 3; ++i)
        QVERIFY(limits.admit(sameClient[i], false, 0));
    QVERIFY(!limits.admit(sameClient[3], false, 0));
    QVERIFY(limits.admit(another, false, 0));
    QCOMPARE(clientNetwork(sameClient[0], ipv4PrefixBits), network);
}

void TestClients::everyoneTogetherIsHeldToTheBudget_data() {
    QTest::addColumn<double>("perSecond");
    QTest::addColumn<double>("burst");
    QTest::addColumn<qint64>("bytesPerDay");
    QTest::addColumn<qint64>("answerBytes");
    QTest::addColumn<int>("taken");           // before the first refusal, all at once
    QTest::addColumn<bool>("forTheDay");      // refused for the day's bytes, not the rate
    QTest::addColumn<int>("retryAfter");      // seconds, as the refusal says
    QTest::addColumn<qint64>("takenAgainMs"); // later, when one more is taken

    QTest::newRow("answers a second")
        << 2.0 << 3.0 << qint64(0) << qint64(500) << 3 << false << 1 << qint64(500);
    // 86,400 bytes a day come back at one a second.
    QTest::newRow("bytes a day") << 1e9 << 1e9 << qint64(86400) << qint64(20000) << 4 << true
                                 << 13600 << qint64(13600000);
    QTest::newRow("an answer larger than the day's budget")
        << 1e9 << 1e9 << qint64(86400) << qint64(100000) << 1 << true << 86400 << qint64(86400000);
}

void TestClients::everyoneTogetherIsHeldToTheBudget() {
    QFETCH(double, perSecond);
    QFETCH(double, burst);
    QFETCH(qint64, bytesPerDay);
    QFETCH(qint64, answerBytes);
    QFETCH(int, taken);
    QFETCH(bool, forTheDay);
    QFETCH(int, retryAfter);
    QFETCH(qint64, takenAgainMs);
    AnswerBudget budget({{perSecond, burst}, bytesPerDay});
    for (int i = 0; i < taken; ++i)
        QVERIFY2(!budget.take(answerBytes, 1000), qPrintable(QString::number(i)));
    const std::optional<AnswerBudget::Refusal> refusal = budget.take(answerBytes, 1000);
    QVERIFY(refusal);
    QCOMPARE(refusal->over == AnswerBudget::Over::DailyBytes, forTheDay);
    QCOMPARE(refusal->retryAfterSeconds, retryAfter);
    QVERIFY(budget.take(answerBytes, 1000 + takenAgainMs - 1));
    QVERIFY(!budget.take(answerBytes, 1000 + takenAgainMs));
}

QTEST_GUILESS_MAIN(TestClients)
#include "tst_clients.moc"
