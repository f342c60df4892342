#include "formdecoder.h"

#include <QTest>

using namespace Velmora;

using Fields = QList<FormField>;
Q_DECLARE_METATYPE(FormField)

class TestFormDecoder : public QObject {
    Q_OBJECT

private slots:
    void decodes_data();
    void decodes();
    void refusesWhatNoBrowserSends_data();
    void refusesWhatNoBrowserSends();
};

void TestFormDecoder::decodes_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<Fields>("fields");

    QTest::newRow("empty body") << QByteArray() << Fields{};
    QTest::newRow("plus is a blank, %XX a byte") << QByteArray("UserName=Ann+Lee&1=a%2Bb%3D")
                                                 << Fields{{"UserName", "Ann Lee"}, {"1", "a+b="}};
    QTest::newRow("windows-1252 byte above 0x9F is Latin-1")
        << QByteArray("n=J%FCrgen+%E9%A0")
        << Fields{{"n", QStringLiteral("J\u00fcrgen \u00e9\u00a0")}};
    QTest::newRow("0x80 is the euro sign, not a C1 control")
        << QByteArray("1=%80+%93q%94+%9F")
        << Fields{{"1", QStringLiteral("\u20ac \u201cq\u201d \u0178")}};
    QTest::newRow("the five holes map to C1 controls")
        << QByteArray("1=%81%8D%8F%90%9D")
        << Fields{{"1", QStringLiteral("\u0081\u008d\u008f\u0090\u009d")}};
    QTest::newRow("decimal and hex references, emoji included")
        << QByteArray("4=%26%2320013%3B%26%23x6587%3B%26%23128512%3B")
        << Fields{{"4", QString::fromUtf8("\xE4\xB8\xAD\xE6\x96\x87\xF0\x9F\x98\x80")}};
    QTest::newRow("references to nothing become U+FFFD")
        << QByteArray("4=%26%230%3B%26%2355296%3B%26%23x110000%3B%26%2399999999999%3B")
        << Fields{{"4", QStringLiteral("\ufffd\ufffd\ufffd\ufffd")}};
    QTest::newRow("what only looks like a reference stays")
        << QByteArray("4=%26%23%3B%26%2312+%26amp%3B%26%23x%3B")
        << Fields{{"4", QStringLiteral("&#;&#12 &amp;&#x;")}};
    QTest::newRow("a name with a reference, as check boxes of an emoji question")
        << QByteArray("1%26%23128512%3B%29+a%29=on")
        << Fields{{QString::fromUtf8("1\xF0\x9F\x98\x80) a)"), "on"}};
    QTest::newRow("repeated names keep every value in order")
        << QByteArray("3%29+a%29=on&3%29+a%29=on") << Fields{{"3) a)", "on"}, {"3) a)", "on"}};
    QTest::newRow("no equals sign, empty parts skipped")
        << QByteArray("&x&&y=") << Fields{{"x", ""}, {"y", ""}};
    QTest::newRow("markup and formulas are only text here")
        << QByteArray("1=%3Cscript%3E&2=%3D1%2B1") << Fields{{"1", "<script>"}, {"2", "=1+1"}};
    // The collector's own pages post UTF-8 and say so in "_charset_".
    QTest::newRow("UTF-8, said by _charset_, which is left out")
        << QByteArray("_charset_=UTF-8&n=J%C3%BCrgen&4=%E2%82%AC+%F0%9F%98%80")
        << Fields{{"n", QStringLiteral("J\u00fcrgen")},
                  {"4", QString::fromUtf8("\xE2\x82\xAC \xF0\x9F\x98\x80")}};
    QTest::newRow("in UTF-8 a typed reference stays as typed")
        << QByteArray("4=%26%23937%3B&_charset_=utf-8") << Fields{{"4", "&#937;"}};
    QTest::newRow("another _charset_ keeps windows-1252")
        << QByteArray("_charset_=windows-1252&n=%FC") << Fields{{"n", QStringLiteral("\u00fc")}};
}

void TestFormDecoder::decodes() {
    QFETCH(QByteArray, body);
    QFETCH(Fields, fields);
    const std::optional<Fields> decoded = decodeForm(body);
    QVERIFY(decoded);
    QCOMPARE(*decoded, fields);
}

void TestFormDecoder::refusesWhatNoBrowserSends_data() {
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("broken UTF-8 where UTF-8 is said") << QByteArray("_charset_=UTF-8&n=%FC");
    QTest::newRow("percent without digits") << QByteArray("a=%zz");
    QTest::newRow("percent at the end") << QByteArray("a=b%");
    QTest::newRow("one digit only") << QByteArray("a=%4");
    QTest::newRow("raw blank") << QByteArray("a=b c");
    QTest::newRow("raw line break") << QByteArray("a=b\r\nc=d");
    QTest::newRow("raw UTF-8") << QByteArray("a=J\xC3\xBCrgen");
    QTest::newRow("NUL") << QByteArray("a=b\0c", 5);
    QTest::newRow("JSON") << QByteArray("{\"a\": 1}");
}

void TestFormDecoder::refusesWhatNoBrowserSends() {
    QFETCH(QByteArray, body);
    QVERIFY(!decodeForm(body));
}

QTEST_GUILESS_MAIN(TestFormDecoder)
#include "tst_formdecoder.moc"
