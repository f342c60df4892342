#include "answersfile.h"
#include "answersheet.h"
#include "collector.h"
#include "summary.h"
#include "surveypage.h"

#include "filecontent.h"
#include "workedexample.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Velmora;

namespace {

// The page exactly as "Start Creating Survey" writes it.
struct PageBytes : PageOutput {
    bool write(int, const PageLine &line) override {
        bytes += line.bytes().toByteArray() + "\r\n";
        return true;
    }
    void fault(int, const QString &, qsizetype, QStringView) override {}
    QByteArray bytes;
};

SurveyPage samplePage() {
    return *readSurveyPage(WorkedExample::page());
}

// Rows of the sample survey: text 1, radio 2, check boxes "3) a)" and "3) b)", text area 4.
QList<QStringList> records(const QList<QStringList> &answers) {
    QList<QStringList> all{AnswerSheet(samplePage()).header()};
    for (const QStringList &answer : answers)
        all.append(QStringList{"2026-12-08T09:00:00+01:00", "14:03:27|08-31-2021", "n", "e"} +
                   answer);
    return all;
}

// The count cells of the bars, in page order: "2 (50.0%)".
QStringList counts(const QString &html) {
    static const QRegularExpression cell(QStringLiteral("<td class=\"count\">([^<]*)</td>"));
    QStringList found;
    for (auto it = cell.globalMatch(html); it.hasNext();)
        found.append(it.next().captured(1));
    return found;
}

} // namespace

class TestSummary : public QObject {
    Q_OBJECT

private slots:
    void countsAndPercentages_data();
    void countsAndPercentages();
    void textsNewestFirstAndEscaped();
    void hostileAnswersRunNothing();
    void answersCountTheSameLiveAndReadBack_data();
    void answersCountTheSameLiveAndReadBack();
    void largeSurveyStaysReadable();
    void collectorWritesSummariesItNeverServes();

private:
};

void TestSummary::countsAndPercentages_data() {
    QTest::addColumn<QList<QStringList>>("answers");
    QTest::addColumn<QStringList>("bars");

    QTest::newRow("no answers") << QList<QStringList>{}
                                << QStringList{"0 (0%)", "0 (0%)", "0 (0%)", "0 (0%)"};
    QTest::newRow("four answers, some empty")
        << QList<QStringList>{{"Phone", " a)", "on", "", "ok"},
                              {"", " b)", "on | on", "on", ""},
                              {"Tablet", " a)", "", "on", ""},
                              {"", "", "", "", ""}}
        // radio a), radio b) (No and Maybe together), box "a)" (Good and Poor), box "b)"
        << QStringList{"2 (50.0%)", "1 (25.0%)", "2 (50.0%)", "2 (50.0%)"};
    QTest::newRow("a radio answer the page does not offer")
        << QList<QStringList>{{"", " z)", "", "", ""}, {"", " a)", "", "", ""}}
        << QStringList{"1 (50.0%)", "0 (0.0%)", "1 (50.0%)", "0 (0.0%)", "0 (0.0%)"};
    QTest::newRow("rows of another width are not counted")
        << QList<QStringList>{{"", " a)", "", "", ""}, {"", " a)", "", ""}}
        << QStringList{"1 (100.0%)", "0 (0.0%)", "0 (0.0%)", "0 (0.0%)"};
}

void TestSummary::countsAndPercentages() {
    QFETCH(QList<QStringList>, answers);
    QFETCH(QStringList, bars);
    const QString html = QString::fromUtf8(summaryPage(samplePage(), records(answers)));
    QCOMPARE(counts(html), bars);
    QVERIFY(html.contains(QStringLiteral("a) Good / a) Poor *")));
    QVERIFY(html.contains(QStringLiteral("b) No / b) Maybe *")));
    QVERIFY(html.contains(QStringLiteral("cannot tell them apart")));
}

void TestSummary::textsNewestFirstAndEscaped() {
    const QString html = QString::fromUtf8(
        summaryPage(samplePage(), records({{"first", "", "", "", ""},
                                           {"", "", "", "", ""},
                                           {"second & third", "", "", "", "l1\r\nl2"}})));
    const qsizetype second =
        html.indexOf(QStringLiteral("<li dir=\"auto\">second &amp; third</li>"));
    const qsizetype first = html.indexOf(QStringLiteral("<li dir=\"auto\">first</li>"));
    QVERIFY(second >= 0 && first > second);
    QVERIFY(html.contains(QStringLiteral("<p class=\"note\">2 answers, newest first.</p>")));
    QVERIFY(html.contains(QStringLiteral("3 answers, the first received")));
}

void TestSummary::hostileAnswersRunNothing() {
    const QStringList hostile{"<script>alert(1)</script>",
                              "<img src=x onerror=alert(2)>",
                              "\"><svg onload=alert(3)>",
                              "</textarea><a href=javascript:x>",
                              "%2$s %1 &lt;",
                              QStringLiteral("nul\u0000bell\u0007c1\u0085")};
    QList<QStringList> answers;
    for (const QString &text : hostile)
        answers.append({text, text, text, "", text});
    const QByteArray html = summaryPage(samplePage(), records(answers));
    for (const char *markup : {"<script", "<img", "<svg", "<a ", "</textarea"})
        QVERIFY2(!html.contains(markup), markup);
    QVERIFY(html.contains("&lt;script&gt;alert(1)&lt;/script&gt;"));
    QVERIFY(html.contains("%2$s %1 &amp;lt;"));
    QVERIFY(html.contains("(an answer the page does not offer)"));
    QVERIFY(html.contains("default-src 'none'"));
    // HTML allows no control characters: they show as the replacement character.
    QVERIFY(html.contains("nul\xEF\xBF\xBD"
                          "bell\xEF\xBF\xBD"
                          "c1\xEF\xBF\xBD"));
    QVERIFY(!html.contains('\0') && !html.contains('\x07'));
}

void TestSummary::answersCountTheSameLiveAndReadBack_data() {
    QTest::addColumn<QStringList>("posted"); // name=value, as decoded
    QTest::addColumn<QStringList>("shown");  // in the summary, as HTML
    QTest::addColumn<QStringList>("cell");   // of the check boxes' column, as the file reads back

    // Check boxes of one code post their words; radio options, a text area
    // beside them; a text area of its own.
    QTest::newRow("option words holding \" | \"")
        << QStringList{"1) a)=a) Price | box", "1) a)=a) Packaging"}
        << QStringList{"a) Price | box</td><td><div class=\"bar\" role=\"img\" "
                       "aria-label=\"100.0%\">",
                       "a) Packaging</td><td><div class=\"bar\" role=\"img\" "
                       "aria-label=\"100.0%\">"}
        << QStringList{"a) Price | box", "a) Packaging"};
    QTest::newRow("options left empty") << QStringList{"1) a)=", "1) a)=", "2="}
                                        << QStringList{"No answers given."} << QStringList{};
    QTest::newRow("a text beside the options")
        << QStringList{"2= a)", "2=Because | reasons"}
        << QStringList{"<li dir=\"auto\">Because | reasons</li>",
                       "<td class=\"count\">1 (100.0%)</td>"}
        << QStringList{};
    QTest::newRow("cells a spreadsheet would run")
        << QStringList{"3==1+1", "2=-too slow", "1) a)=@SUM(A1)", "1) a)=a) Packaging"}
        << QStringList{"<li dir=\"auto\">=1+1</li>", "<li dir=\"auto\">-too slow</li>"}
        << QStringList{"@SUM(A1)", "a) Packaging"};
    QTest::newRow("an apostrophe typed before one")
        << QStringList{"3='=x"} << QStringList{"<li dir=\"auto\">&#39;=x</li>"} << QStringList{};
    QTest::newRow("a NUL") << QStringList{QStringLiteral("3=a\u0000b")}
                           << QStringList{"<li dir=\"auto\">a\xEF\xBF\xBD"
                                          "b</li>"}
                           << QStringList{};
}

void TestSummary::answersCountTheSameLiveAndReadBack() {
    QFETCH(QStringList, posted);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, cell);
    SurveyFields fields;
    fields.pageTitle = QStringLiteral("T");
    fields.surveyQuestions =
        QStringLiteral("[1] What counts?\r\n[c] a) Price | box\r\n[c] a) Packaging\r\n[2] Why?\r\n"
                       "[r] a) Yes\r\n[r] b) No\r\n[l]\r\n[3] Notes\r\n[l]");
    QByteArray html;
    PageBytes output;
    writeSurveyPage(output, fields, QStringLiteral("sky.gif"),
                    [] { return QDateTime(QDate(2021, 8, 31), QTime(14, 3, 27)); });
    const SurveyPage page = *readSurveyPage(output.bytes);
    const AnswerSheet sheet(page, AnswerSheet::Form::RespondentPage);
    QList<FormField> form;
    for (const QString &field : posted)
        form.append({field.section(u'=', 0, 0), field.section(u'=', 1)});
    const QStringList cells = sheet.row(form, QDateTime::currentDateTime()).cells;

    SummaryTally live(page, AnswerSheet::Form::RespondentPage);
    live.addAnswer(cells);
    SummaryTally readBack(page, AnswerSheet::Form::RespondentPage);
    const QList<QStringList> records =
        AnswersFile::parseRecords(csvRecord(sheet.header()) + csvRecord(cells));
    for (const QStringList &record : records)
        readBack.add(record);
    QCOMPARE(readBack.answers(), 1);
    QCOMPARE(QString::fromUtf8(readBack.page()), QString::fromUtf8(live.page()));
    const QString summary = QString::fromUtf8(live.page());
    for (const QString &part : shown)
        QVERIFY2(summary.contains(part),
                 qPrintable(part + QLatin1Char('\n') +
                            summary.mid(summary.indexOf(QLatin1String("<body>")))));
    QVERIFY(!summary.contains(QLatin1Char('\0')));
    QCOMPARE(splitValues(typedCell(records[1][AnswerSheet::FirstAnswer])), cell);
}

void TestSummary::largeSurveyStaysReadable() {
    QList<QStringList> answers;
    const QStringList radio{" a)", " b)", ""};
    for (int i = 0; i < 100000; ++i)
        answers.append({QStringLiteral("product %1").arg(i), radio[i % 3], i % 2 ? "on" : "", "",
                        i % 10 ? QString() : QStringLiteral("comment %1").arg(i)});
    const QByteArray html = summaryPage(samplePage(), records(answers));
    QCOMPARE(counts(QString::fromUtf8(html)),
             (QStringList{"33,334 (33.3%)", "33,333 (33.3%)", "50,000 (50.0%)", "0 (0.0%)"}));
    QVERIFY(html.contains("<li dir=\"auto\">product 99999</li>"));
    QVERIFY(!html.contains("<li dir=\"auto\">product 99499</li>")); // only the newest are listed
    QVERIFY(html.contains("The 99,500 older answers are in the answers file."));
    QVERIFY(html.contains("The 9,500 older answers"));
    QVERIFY2(html.size() < 200 * 1024, QByteArray::number(html.size()));
}

void TestSummary::collectorWritesSummariesItNeverServes() {
    QTemporaryDir dir;
    QFile page(dir.filePath(QStringLiteral("My Product Survey.htm")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write(WorkedExample::page());
    page.close();
    Collector collector(
        dir.path(), [] { return QDateTime::currentDateTime(); }, [](const QString &) {});
    const QByteArray form = "application/x-www-form-urlencoded";
    const QByteArray path = "/My%20Product%20Survey.htm";
    QCOMPARE(collector.handle({"POST", path, {}, form, "2=+a%29&1=%3Cb%3Ehi", QString()}).status,
             303);

    QVERIFY(collector.writeSummaries());
    const QString summary = dir.filePath(QStringLiteral("My Product Survey summary.html"));
    QVERIFY(fileContent(summary).contains("1 answer"));
    QVERIFY(fileContent(summary).contains("&lt;b&gt;hi"));
    QCOMPARE(
        collector.handle({"GET", "/My%20Product%20Survey%20summary.html", {}, {}, {}, QString()})
            .status,
        404);

    // Nothing new: the summary is left as it is.
    QFile::remove(summary);
    collector.writeSummaries();
    QVERIFY(!QFile::exists(summary));
    QVERIFY(collector.writeSummaries(true)); // as --summary does
    QVERIFY(QFile::exists(summary));

    // One that cannot be written is said, to --summary's exit status too.
    QFile::remove(summary);
    QVERIFY(QDir().mkdir(summary));
    QVERIFY(!collector.writeSummaries(true));
}

QTEST_GUILESS_MAIN(TestSummary)
#include "tst_summary.moc"
