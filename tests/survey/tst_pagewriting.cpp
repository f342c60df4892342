#include "pageline.h"
#include "questionline.h"
#include "recordingoutput.h"
#include "surveypage.h"
#include "workedexample.h"

#include <QTest>

using namespace Velmora;

class TestPageWriting : public QObject {
    Q_OBJECT

private slots:
    void encoding_data();
    void encoding();
    void questionLines_data();
    void questionLines();
    void numberCarriesOver();
    void workedExample();
    void frameAroundQuestions_data();
    void frameAroundQuestions();
    void stopsAtFailedWrite();
};

void TestPageWriting::encoding_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("asText");
    QTest::addColumn<QByteArray>("asAttribute");

    QTest::newRow("ascii") << QStringLiteral("Yes <b>") << QByteArray("Yes <b>")
                           << QByteArray("Yes <b>");
    QTest::newRow("latin-1 is one byte")
        << QStringLiteral("caf\u00e9 \u00ff") << QByteArray("caf\xe9 \xff")
        << QByteArray("caf\xe9 \xff");
    QTest::newRow("euro becomes a reference")
        << QStringLiteral("5 \u20ac") << QByteArray("5 &#8364;") << QByteArray("5 &#8364;");
    QTest::newRow("surrogate pair is one reference")
        << QString::fromUcs4(U"a\U0001F600b") << QByteArray("a&#128512;b")
        << QByteArray("a&#128512;b");
    QTest::newRow("lone surrogate")
        << QString(QChar(0xD800)) << QByteArray("&#65533;") << QByteArray("&#65533;");
    QTest::newRow("quote and ampersand")
        << QStringLiteral("Tom \"T\" & Co") << QByteArray("Tom \"T\" & Co")
        << QByteArray("Tom &quot;T&quot; &amp; Co");
    QTest::newRow("C1 controls, which browsers would show as \"x€y\", become visible")
        << QStringLiteral("x\u0080y\u009f") << QByteArray("x&#65533;y&#65533;")
        << QByteArray("x&#65533;y&#65533;");
    QTest::newRow("the neighbours of the C1 block stay bytes")
        << QStringLiteral("\x7f\u00a0") << QByteArray("\x7f\xa0") << QByteArray("\x7f\xa0");
    // Long runs are looked at eight characters at a time: a character that needs
    // translating at any place of a block is still found.
    QTest::newRow("quote and ampersand deep in a long run")
        << QStringLiteral("abcdefghijk\"lmnopqrstuvwxyz&0123")
        << QByteArray("abcdefghijk\"lmnopqrstuvwxyz&0123")
        << QByteArray("abcdefghijk&quot;lmnopqrstuvwxyz&amp;0123");
    QTest::newRow("latin-1 and euro after whole blocks")
        << QStringLiteral("0123456789abcdef\u00e9ghijklmnopq\u20acrst")
        << QByteArray("0123456789abcdef\xe9ghijklmnopq&#8364;rst")
        << QByteArray("0123456789abcdef\xe9ghijklmnopq&#8364;rst");
    QTest::newRow("C1 control as the eighth character")
        << QStringLiteral("1234567\u0085") << QByteArray("1234567&#65533;")
        << QByteArray("1234567&#65533;");
    QTest::newRow("empty") << QString() << QByteArray() << QByteArray();
}

void TestPageWriting::encoding() {
    QFETCH(QString, typed);
    QFETCH(QByteArray, asText);
    QFETCH(QByteArray, asAttribute);

    PageLine text;
    text.text(typed);
    QCOMPARE(text.bytes().toByteArray(), asText);
    PageLine attribute;
    attribute.attribute(typed);
    QCOMPARE(attribute.bytes().toByteArray(), asAttribute);
}

void TestPageWriting::questionLines_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");

    const QString hdr = QStringLiteral("[2] Would you use this product again?");
    const QStringList header2{QStringLiteral("208: </p>"), QStringLiteral("210: <hr>"),
                              QStringLiteral("212: <p>2)  Would you use this product again?<br>"),
                              QStringLiteral("214: <br>")};

    QTest::newRow("upper-case radio under a header")
        << QStringList{hdr, QStringLiteral("[R] x")}
        << header2 + QStringList{QStringLiteral(
                         "176: <input type=\"radio\" name=\"2\" value=\" x\"> x<br>")};
    QTest::newRow("check box joins number and code")
        << QStringList{hdr, QStringLiteral("[c] a) Good")}
        << header2 + QStringList{QStringLiteral(
                         "180: <input type=\"checkbox\" name=\"2) a)\"> a) Good<br>")};
    QTest::newRow("text box ignores the rest")
        << QStringList{hdr, QStringLiteral("[s] anything")}
        << header2 +
               QStringList{QStringLiteral("184: <input type=\"text\" size=\"40\" name=\"2\"><br>")};
    QTest::newRow("text area")
        << QStringList{hdr, QStringLiteral("[L]")}
        << header2 + QStringList{QStringLiteral(
                         "188: <textarea name=\"2\" rows=\"4\" cols=\"40\"></textarea><br>")};
    QTest::newRow("option before any header has no name")
        << QStringList{QStringLiteral("[r] a) Yes")}
        << QStringList{
               QStringLiteral("176: <input type=\"radio\" name=\"\" value=\" a)\"> a) Yes<br>")};
    QTest::newRow("option marker alone")
        << QStringList{QStringLiteral("[c]")}
        << QStringList{QStringLiteral("180: <input type=\"checkbox\" name=\")\"><br>")};
    QTest::newRow("two-digit number")
        << QStringList{QStringLiteral("[12] Where?")}
        << QStringList{QStringLiteral("208: </p>"), QStringLiteral("210: <hr>"),
                       QStringLiteral("212: <p>12)  Where?<br>"), QStringLiteral("214: <br>")};
    QTest::newRow("three-digit number")
        << QStringList{QStringLiteral("[123] Where?")}
        << QStringList{QStringLiteral("208: </p>"), QStringLiteral("210: <hr>"),
                       QStringLiteral("212: <p>123)  Where?<br>"), QStringLiteral("214: <br>")};
    QTest::newRow("number stops after three characters")
        << QStringList{QStringLiteral("[1234] x")}
        << QStringList{QStringLiteral("208: </p>"), QStringLiteral("210: <hr>"),
                       QStringLiteral("212: <p>123) ] x<br>"), QStringLiteral("214: <br>")};
    QTest::newRow("number need only start with a digit")
        << QStringList{QStringLiteral("[1a] x")}
        << QStringList{QStringLiteral("208: </p>"), QStringLiteral("210: <hr>"),
                       QStringLiteral("212: <p>1a)  x<br>"), QStringLiteral("214: <br>")};
    QTest::newRow("no blank after the bracket")
        << QStringList{QStringLiteral("[1]Where?")}
        << QStringList{QStringLiteral("208: </p>"), QStringLiteral("210: <hr>"),
                       QStringLiteral("212: <p>1) Where?<br>"), QStringLiteral("214: <br>")};
    QTest::newRow("lines that write nothing")
        << QStringList{QStringLiteral("[x] text"), QStringLiteral("plain"),
                       QStringLiteral(" [1] indented"), QString(), QStringLiteral("]")}
        << QStringList{};
    QTest::newRow("radio too short")
        << QStringList{QStringLiteral("[r")} << QStringList{QStringLiteral("176! line 1")};
    QTest::newRow("check box too short") << QStringList{QStringLiteral("x"), QStringLiteral("[C")}
                                         << QStringList{QStringLiteral("180! line 2")};
    QTest::newRow("header without room for its bracket")
        << QStringList{QStringLiteral("[1")}
        << QStringList{QStringLiteral("208: </p>"), QStringLiteral("210: <hr>"),
                       QStringLiteral("212! line 1"), QStringLiteral("214: <br>")};
    QTest::newRow("bracket alone")
        << QStringList{QStringLiteral("[")}
        << QStringList{QStringLiteral("190! line 1"), QStringLiteral("208: </p>"),
                       QStringLiteral("210: <hr>"), QStringLiteral("212! line 1"),
                       QStringLiteral("214: <br>")};
    QTest::newRow("bracket alone empties the number")
        << QStringList{QStringLiteral("[5] q"), QStringLiteral("["), QStringLiteral("[s]")}
        << QStringList{QStringLiteral("208: </p>"),
                       QStringLiteral("210: <hr>"),
                       QStringLiteral("212: <p>5)  q<br>"),
                       QStringLiteral("214: <br>"),
                       QStringLiteral("190! line 2"),
                       QStringLiteral("208: </p>"),
                       QStringLiteral("210: <hr>"),
                       QStringLiteral("212! line 2"),
                       QStringLiteral("214: <br>"),
                       QStringLiteral("184: <input type=\"text\" size=\"40\" name=\"\"><br>")};
    // Positions count characters: an emoji is one, not two halves of a pair.
    QTest::newRow("emoji inside the option code stays whole")
        << QStringList{hdr, QString::fromUtf8("[r] a\xF0\x9F\x98\x80 x")}
        << header2 + QStringList{QStringLiteral(
                         "176: <input type=\"radio\" name=\"2\" value=\" a&#128512;\"> "
                         "a&#128512; x<br>")};
    QTest::newRow("emoji as the third character of an option")
        << QStringList{hdr, QString::fromUtf8("[c\xF0\x9F\x98\x80"
                                              "abcd")}
        << header2 +
               QStringList{QStringLiteral("180: <input type=\"checkbox\" name=\"2)abc\">abcd<br>")};
    QTest::newRow("emoji in the question number")
        << QStringList{QString::fromUtf8("[1\xF0\x9F\x98\x80] q"), QStringLiteral("[s]")}
        << QStringList{
               QStringLiteral("208: </p>"), QStringLiteral("210: <hr>"),
               QStringLiteral("212: <p>1&#128512;)  q<br>"), QStringLiteral("214: <br>"),
               QStringLiteral("184: <input type=\"text\" size=\"40\" name=\"1&#128512;\"><br>")};
    QTest::newRow("quote in the number stays inside its attribute")
        << QStringList{QStringLiteral("[1\"] q"), QStringLiteral("[s]")}
        << QStringList{
               QStringLiteral("208: </p>"), QStringLiteral("210: <hr>"),
               QStringLiteral("212: <p>1\")  q<br>"), QStringLiteral("214: <br>"),
               QStringLiteral("184: <input type=\"text\" size=\"40\" name=\"1&quot;\"><br>")};
}

void TestPageWriting::questionLines() {
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);

    RecordingOutput output;
    QuestionTranslator translator(output);
    for (qsizetype i = 0; i < lines.size(); ++i)
        QVERIFY(translator.translate(lines[i], i + 1));
    QCOMPARE(output.entries, expected);
}

void TestPageWriting::numberCarriesOver() {
    // Items after a new header belong to it, not to the one before.
    RecordingOutput output;
    QuestionTranslator translator(output);
    for (const char *line : {"[1] a", "[s]", "[22] b", "[l]"})
        translator.translate(QString::fromLatin1(line), 0);
    QVERIFY(output.entries.contains(
        QStringLiteral("184: <input type=\"text\" size=\"40\" name=\"1\"><br>")));
    QVERIFY(output.entries.contains(
        QStringLiteral("188: <textarea name=\"22\" rows=\"4\" cols=\"40\"></textarea><br>")));
}

class BytesOutput : public RecordingOutput {
public:
    bool write(int label, const PageLine &line) override {
        bytes.append(line.bytes()).append("\r\n");
        labels.append(label);
        return labels.size() < failAfter;
    }
    QByteArray bytes;
    QList<int> labels;
    qsizetype failAfter = 1 << 30;
};

const auto fixedClock = [] { return QDateTime(QDate(2021, 8, 31), QTime(14, 3, 27)); };

void TestPageWriting::workedExample() {
    BytesOutput output;
    QVERIFY(writeSurveyPage(output, WorkedExample::fields(QString(), QString()), u"background.gif",
                            fixedClock));
    QCOMPARE(output.bytes.count("\r\n"), 48);
    QCOMPARE(output.bytes.size(), 1471);
    QCOMPARE(output.bytes, WorkedExample::page());
    QVERIFY(output.entries.isEmpty());
}

void TestPageWriting::frameAroundQuestions_data() {
    QTest::addColumn<QString>("questions");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("expectedLines");

    QTest::newRow("empty questions go straight to the tail")
        << QString() << QString() << QString()
        << QStringList{QStringLiteral("    name=\"UserEmail\" value=\"\"></p>"),
                       QStringLiteral("<hr>"), QStringLiteral("<p></p>")};
    QTest::newRow("message without a line break")
        << QString() << QStringLiteral("Thanks & bye") << QString()
        << QStringList{QStringLiteral("<p>Thanks & bye</p>")};
    QTest::newRow("message paragraphs") << QString() << QStringLiteral("a\r\n\r\nb") << QString()
                                        << QStringList{QStringLiteral("<p>a</p></p></p></p>b</p>")};
    QTest::newRow("lone LF is no line break")
        << QStringLiteral("[1] a\n[s]") << QString() << QString()
        << QStringList{QStringLiteral("<p>1)  a\n[s]<br>")};
    QTest::newRow("title is written as typed")
        << QString() << QString() << QStringLiteral("<i>\"Q\"</i>")
        << QStringList{QStringLiteral("<title><i>\"Q\"</i></title>")};
}

void TestPageWriting::frameAroundQuestions() {
    QFETCH(QString, questions);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(QStringList, expectedLines);

    SurveyFields fields;
    fields.surveyQuestions = questions;
    fields.message = message;
    fields.pageTitle = title;
    BytesOutput output;
    QVERIFY(writeSurveyPage(output, fields, u"", fixedClock));
    const QString page = QString::fromLatin1(output.bytes);
    QVERIFY2(page.contains(expectedLines.join(QStringLiteral("\r\n"))), qPrintable(page));
    if (questions.isEmpty())
        QCOMPARE(output.labels.size(), 17 + 7);
}

void TestPageWriting::stopsAtFailedWrite() {
    BytesOutput output;
    output.failAfter = 3;
    QVERIFY(!writeSurveyPage(output, WorkedExample::fields(QString(), QString()), u"", fixedClock));
    QCOMPARE(output.labels, (QList<int>{124, 126, 128}));
}

QTEST_GUILESS_MAIN(TestPageWriting)
#include "tst_pagewriting.moc"
