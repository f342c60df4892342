#include "surveypage.h"
#include "surveypagereader.h"

#include "workedexample.h"

#include <QTest>

using namespace Velmora;

namespace {

// The page exactly as "Start Creating Survey" writes it.
QByteArray pageBytes(const SurveyFields &fields,
                     const QString &picture = QStringLiteral("sky.gif")) {
    class Collect : public PageOutput {
    public:
        bool write(int, const PageLine &line) override {
            bytes += line.bytes().toByteArray() + "\r\n";
            return true;
        }
        void fault(int, const QString &, qsizetype, QStringView) override {}
        QByteArray bytes;
    } output;
    writeSurveyPage(output, fields, picture,
                    [] { return QDateTime(QDate(2021, 8, 31), QTime(14, 3, 27)); });
    return output.bytes;
}

SurveyFields withQuestions(const QString &questions) {
    SurveyFields fields;
    fields.pageTitle = QStringLiteral("T");
    fields.surveyQuestions = questions;
    return fields;
}

QString describe(const SurveyInput &input) {
    static const char *kinds[] = {"radio", "checkbox", "text", "textarea"};
    return QStringLiteral("%1|%2|%3|%4|%5")
        .arg(QLatin1String(kinds[int(input.kind)]), input.name, input.value, input.label,
             input.question);
}

} // namespace

class TestSurveyPageReader : public QObject {
    Q_OBJECT

private slots:
    void readsTheWorkedExample();
    void inputsAreNamedAsTheFormPostsThem_data();
    void inputsAreNamedAsTheFormPostsThem();
    void framePartsAreReadExactly_data();
    void framePartsAreReadExactly();
    void otherFilesAreNoSurvey_data();
    void otherFilesAreNoSurvey();
};

void TestSurveyPageReader::readsTheWorkedExample() {
    const std::optional<SurveyPage> page = readSurveyPage(WorkedExample::page());
    QVERIFY(page);
    QCOMPARE(page->title, QStringLiteral("My Product Survey"));
    QCOMPARE(page->background, QStringLiteral("background.gif"));
    QCOMPARE(page->stamp, QStringLiteral("14:03:27|08-31-2021"));
    QStringList inputs;
    for (const SurveyInput &input : page->inputs)
        inputs.append(describe(input));
    const QString q2 = QStringLiteral("2) Would you use this product again?");
    const QString q3 = QStringLiteral("3) How would you rate the quality of the product?");
    QCOMPARE(inputs,
             (QStringList{QStringLiteral("text|1|||1) What product did you test?"),
                          QStringLiteral("radio|2| a)|a) Yes|") + q2,
                          QStringLiteral("radio|2| b)|b) No|") + q2,
                          QStringLiteral("radio|2| b)|b) Maybe|") + q2,
                          QStringLiteral("checkbox|3) a)||a) Good|") + q3,
                          QStringLiteral("checkbox|3) b)||b) Average|") + q3,
                          QStringLiteral("checkbox|3) a)||a) Poor|") + q3,
                          QStringLiteral("textarea|4|||4) Are there any additional comments that "
                                         "you would like to make about the product?")}));
}

void TestSurveyPageReader::inputsAreNamedAsTheFormPostsThem_data() {
    QTest::addColumn<QString>("questions");
    QTest::addColumn<QStringList>("inputs");

    QTest::newRow("quote and ampersand in the number")
        << QStringLiteral("[1\"&] q\r\n[s]") << QStringList{"text|1\"&|||1\"&) q"};
    QTest::newRow("markup in a label stays text")
        << QStringLiteral("[1] q\r\n[r] \"><script>x</script>")
        << QStringList{"radio|1| \">|\"><script>x</script>|1) q"};
    QTest::newRow("characters beyond Latin-1")
        << QString::fromUtf8("[1\xE2\x82\xAC] \xE4\xB8\xAD\r\n[c] \xF0\x9F\x98\x80 x")
        << QStringList{QString::fromUtf8("checkbox|1\xE2\x82\xAC) \xF0\x9F\x98\x80 ||"
                                         "\xF0\x9F\x98\x80 x|1\xE2\x82\xAC) \xE4\xB8\xAD")};
    QTest::newRow("options before any question")
        << QStringLiteral("[r] a) Yes\r\n[l]") << QStringList{"radio|| a)|a) Yes|", "textarea||||"};
    QTest::newRow("no questions at all") << QString() << QStringList{};
}

void TestSurveyPageReader::inputsAreNamedAsTheFormPostsThem() {
    QFETCH(QString, questions);
    QFETCH(QStringList, inputs);
    const std::optional<SurveyPage> page = readSurveyPage(pageBytes(withQuestions(questions)));
    QVERIFY(page);
    QStringList read;
    for (const SurveyInput &input : page->inputs)
        read.append(describe(input));
    QCOMPARE(read, inputs);
}

void TestSurveyPageReader::framePartsAreReadExactly_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("email");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("paragraphs");

    QTest::newRow("empty") << QString() << QString() << QString() << QStringList{QString()};
    QTest::newRow("prefilled, with quotes and ampersands")
        << QStringLiteral("Tom \"T\" & Co") << QStringLiteral("t@x.org")
        << QStringLiteral("Thanks.") << QStringList{QStringLiteral("Thanks.")};
    QTest::newRow("paragraphs and characters beyond Latin-1")
        << QStringLiteral("J\u00fcrgen \u4e2d") << QString()
        << QStringLiteral("One \u20ac\r\nTwo\r\n\r\nThree")
        << QStringList{QStringLiteral("One \u20ac"), QStringLiteral("Two"), QString(),
                       QStringLiteral("Three")};
}

void TestSurveyPageReader::framePartsAreReadExactly() {
    QFETCH(QString, name);
    QFETCH(QString, email);
    QFETCH(QString, message);
    QFETCH(QStringList, paragraphs);
    SurveyFields fields = withQuestions(QStringLiteral("[1] Q\r\n[s]"));
    fields.name = name;
    fields.email = email;
    fields.message = message;

    const std::optional<SurveyPage> page = readSurveyPage(pageBytes(fields));
    QVERIFY(page);
    QCOMPARE(page->name, name);
    QCOMPARE(page->email, email);
    QCOMPARE(page->message, paragraphs);
    QCOMPARE(page->inputs.size(), 1);
}

void TestSurveyPageReader::otherFilesAreNoSurvey_data() {
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray page = WorkedExample::page();
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("some other page") << QByteArray("<html><body>hello</body></html>\r\n");
    QTest::newRow("cut short") << page.left(page.size() - 9);
    QTest::newRow("LF line ends") << QByteArray(page).replace("\r\n", "\n");
    QTest::newRow("form posting elsewhere")
        << QByteArray(page).replace("action=\"\"", "action=\"https://elsewhere.example/\"");
    QTest::newRow("no submit button")
        << QByteArray(page).replace("type=\"submit\"", "type=\"hidden\"");
    QTest::newRow("an input line of another shape")
        << QByteArray(page).replace("<input type=\"radio\" name=\"2\" value=\" a)\">",
                                    "<input type=\"radio\" name=\"2\" value=\" a)");
}

void TestSurveyPageReader::otherFilesAreNoSurvey() {
    QFETCH(QByteArray, bytes);
    QVERIFY(!readSurveyPage(bytes));
}

QTEST_GUILESS_MAIN(TestSurveyPageReader)
#include "tst_surveypagereader.moc"
