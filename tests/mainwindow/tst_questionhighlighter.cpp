#include "multilinetextbox.h"
#include "questionhighlighter.h"
#include "questionstextbox.h"
#include "recordingoutput.h"

#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

using namespace Velmora;

class TestQuestionHighlighter : public QObject {
    Q_OBJECT

private slots:
    void editorAgreesWithPage_data();
    void editorAgreesWithPage();
    void highlightingLeavesTextAndUndoAlone();
};

namespace {

// What the page writer did with a line on its own, told by the labels it used.
QString pageVerdict(const QString &line) {
    RecordingOutput output;
    QuestionTranslator(output).translate(line, 1);
    const QString all = output.entries.join(QLatin1Char(' '));
    QString kind = QStringLiteral("nothing");
    if (all.contains(QLatin1String("176")))
        kind = QStringLiteral("radio");
    else if (all.contains(QLatin1String("180")))
        kind = QStringLiteral("check box");
    else if (all.contains(QLatin1String("184")))
        kind = QStringLiteral("text box");
    else if (all.contains(QLatin1String("188")))
        kind = QStringLiteral("text area");
    else if (all.contains(QLatin1String("210")))
        kind = QStringLiteral("header");
    return kind + (all.contains(QLatin1Char('!')) ? QStringLiteral(", reported") : QString());
}

// What the editor shows for a line, told by the colour of its first character
// and its underline.
QString editorVerdict(const QString &line) {
    QTextDocument document(line);
    QuestionHighlighter highlighter(&document);
    highlighter.rehighlight(); // a new highlighter waits for the event loop otherwise
    const QList<QTextLayout::FormatRange> formats = document.firstBlock().layout()->formats();
    if (formats.isEmpty())
        return line.isEmpty() ? QStringLiteral("nothing") : QStringLiteral("unformatted");
    const QTextCharFormat first = formats.constFirst().format;
    const bool reported = first.underlineStyle() == QTextCharFormat::WaveUnderline;
    static const QMap<QString, QString> kinds{
        {QStringLiteral("#b34d12"), QStringLiteral("header")},
        {QStringLiteral("#2f5fa7"), QStringLiteral("radio")},
        {QStringLiteral("#7a4a9e"), QStringLiteral("check box")},
        {QStringLiteral("#226b43"), QStringLiteral("text item")},
        {QStringLiteral("#5f6368"), QStringLiteral("nothing")}};
    if (reported)
        return QStringLiteral("reported");
    return kinds.value(first.foreground().color().name(), QStringLiteral("unknown colour"));
}

} // namespace

void TestQuestionHighlighter::editorAgreesWithPage_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("editor");

    auto row = [](const char *name, const char *line, const char *page, const char *editor) {
        QTest::newRow(name) << QString::fromUtf8(line) << QString::fromLatin1(page)
                            << QString::fromUtf8(editor);
    };
    row("header", "[1] What product did you test?", "header", "header");
    row("three-digit header", "[123] Where?", "header", "header");
    row("header without blank", "[1]Where?", "header", "header");
    row("radio", "[r] a) Yes", "radio", "radio");
    row("upper-case radio", "[R] x", "radio", "radio");
    row("check box", "[c] a) Good", "check box", "check box");
    row("text box with more text", "[s] anything", "text box", "text item");
    row("text area", "[L]", "text area", "text item");
    row("unknown marker", "[x] text", "nothing", "nothing");
    row("plain text", "What product?", "nothing", "nothing");
    row("blank before the bracket", " [1] What?", "nothing", "nothing");
    row("empty line", "", "nothing", "nothing");
    row("radio too short", "[r", "radio, reported", "reported");
    row("check box too short", "[C", "check box, reported", "reported");
    row("header without its bracket", "[1", "header, reported", "reported");
    row("bracket alone", "[", "header, reported", "reported");
    row("option marker alone is sound", "[c]", "check box", "check box");
    row("characters beyond Latin-1", "[r] \u20ac \U0001F600", "radio", "radio");
    // Written without a report, but not as it reads: the box says what the page shows.
    row("header number without its bracket", "[5 Anything else?", "header", "5 A) ything else?");
    row("four-digit header number", "[1234] Where?", "header", "123) ] Where?");
    row("emoji in an unclosed number", "[1\U0001F600\U0001F600 x", "header",
        "1\U0001F600\U0001F600) x");
}

void TestQuestionHighlighter::editorAgreesWithPage() {
    QFETCH(QString, line);
    QFETCH(QString, page);
    QFETCH(QString, editor);

    // An editor verdict that is no kind names what the page shows for the line,
    // which the box marks and quotes.
    const bool shownOtherwise = !editor.contains(QRegularExpression(QStringLiteral("^[a-z, ]+$")));
    QCOMPARE(pageVerdict(line), page);
    QCOMPARE(editorVerdict(line), shownOtherwise ? QStringLiteral("reported") : editor);
    const QString problem = QuestionHighlighter::problemDescription(line);
    QCOMPARE(problem.isEmpty(), !page.endsWith(QLatin1String("reported")) && !shownOtherwise);
    if (shownOtherwise)
        QVERIFY2(problem.contains(QLatin1Char('"') + editor + QLatin1Char('"')),
                 qPrintable(problem));
}

void TestQuestionHighlighter::highlightingLeavesTextAndUndoAlone() {
    QuestionsTextBox highlighted;
    MultiLineTextBox plain;
    for (MultiLineTextBox *box : {static_cast<MultiLineTextBox *>(&highlighted), &plain}) {
        box->setText(QStringLiteral("[1] A?\r\n[r"));
        box->moveCursor(QTextCursor::End);
        QTest::keyClicks(box, QStringLiteral("] a) Yes"));
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClicks(box, QStringLiteral("[s]"));
    }
    QCOMPARE(highlighted.text(), QStringLiteral("[1] A?\r\n[r] a) Yes\r\n[s]"));
    QCOMPARE(highlighted.text(), plain.text());
    QCOMPARE(highlighted.document()->availableUndoSteps(), plain.document()->availableUndoSteps());
    QCOMPARE(highlighted.textCursor().position(), plain.textCursor().position());
    highlighted.undo();
    plain.undo();
    QCOMPARE(highlighted.text(), plain.text());
}

QTEST_MAIN(TestQuestionHighlighter)
#include "tst_questionhighlighter.moc"
