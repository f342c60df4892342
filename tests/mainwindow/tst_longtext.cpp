#include "multilinetextbox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

using namespace Velmora;

// A text box holding megabytes shows its start at once and adds the rest of its
// lines while the window is idle; nothing of the text may be lost on the way.
class TestLongText : public QObject {
    Q_OBJECT

private slots:
    void handsOutTheWholeTextWhileLoading_data();
    void handsOutTheWholeTextWhileLoading();
    void typingWhileLoadingIsKept_data();
    void typingWhileLoadingIsKept();
    void replacingWhileLoadingUndoesToTheWholeText();
    void settingAgainWhileLoadingDropsTheOldLines();
    void ctrlEndGoesToTheEndOfTheWholeText();
    void selectAllActsOnTheWholeText_data();
    void selectAllActsOnTheWholeText();

private:
    static QString lines(int count, const QString &lineBreak = QStringLiteral("\r\n")) {
        QString text;
        for (int i = 0; i < count; ++i)
            text += QStringLiteral("[r] %1) option number %1").arg(i) + lineBreak;
        return text;
    }
};

void TestLongText::handsOutTheWholeTextWhileLoading_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("blocks");

    QTest::newRow("CR LF lines, ending in a line break") << lines(40000) << 40001;
    QTest::newRow("without the last line break") << lines(40000).chopped(2) << 40000;
    QTest::newRow("lone LF and CR, kept as they are")
        << lines(20000, QStringLiteral("\n")) + lines(20000, QStringLiteral("\r")) << 40001;
    QTest::newRow("empty lines and no-break spaces")
        << QString(QStringLiteral("\u00a0\r\n\r\n")).repeated(60000) << 120001;
    QTest::newRow("one line of a megabyte") << QString(1 << 20, u'x') << 1;
}

void TestLongText::handsOutTheWholeTextWhileLoading() {
    QFETCH(QString, text);
    QFETCH(int, blocks);
    MultiLineTextBox box;
    QSignalSpy changed(&box, &MultiLineTextBox::changed);

    box.setText(text);

    QCOMPARE(box.text(), text);
    QCOMPARE(changed.size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!box.isLoading(), 20000);
    QCOMPARE(box.text(), text);
    QCOMPARE(box.document()->blockCount(), blocks);
    QCOMPARE(changed.size(), 1); // adding lines that text() already held is no change
}

void TestLongText::typingWhileLoadingIsKept_data() {
    QTest::addColumn<bool>("atTheEnd");

    QTest::newRow("at the start") << false;
    QTest::newRow("at the end of what is shown") << true;
}

void TestLongText::typingWhileLoadingIsKept() {
    QFETCH(bool, atTheEnd);
    const QString text = lines(40000);
    MultiLineTextBox box;
    box.setText(text);
    QVERIFY(box.isLoading());
    QSignalSpy changed(&box, &MultiLineTextBox::changed);
    box.moveCursor(atTheEnd ? QTextCursor::End : QTextCursor::Start);
    const int typedAt = box.textCursor().position();
    const QString shown = box.document()->toRawText();
    const qsizetype shownInText = shown.size() + shown.count(QChar::ParagraphSeparator);

    QTest::keyClicks(&box, QStringLiteral("ABC"));

    QCOMPARE(changed.size(), 3);
    QString expected = text;
    expected.insert(atTheEnd ? shownInText : 0, QStringLiteral("ABC"));
    QCOMPARE(box.text(), expected);
    QTRY_VERIFY_WITH_TIMEOUT(!box.isLoading(), 20000);
    QCOMPARE(box.text(), expected);
    QCOMPARE(box.textCursor().position(), typedAt + 3); // the cursor stayed where the person typed
}

void TestLongText::replacingWhileLoadingUndoesToTheWholeText() {
    const QString text = lines(40000);
    MultiLineTextBox box;
    box.setText(text);
    QVERIFY(box.isLoading());

    box.replaceText(QStringLiteral("[1] A new survey"));
    QCOMPARE(box.text(), QStringLiteral("[1] A new survey"));
    QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);

    QCOMPARE(box.text(), text);
}

void TestLongText::settingAgainWhileLoadingDropsTheOldLines() {
    MultiLineTextBox box;
    box.setText(lines(40000));
    box.setText(QStringLiteral("short"));
    QVERIFY(!box.isLoading());
    QTest::qWait(50);
    QCOMPARE(box.text(), QStringLiteral("short"));
}

void TestLongText::ctrlEndGoesToTheEndOfTheWholeText() {
    const QString text = lines(40000);
    MultiLineTextBox box;
    box.setText(text);
    QVERIFY(box.isLoading());

    QTest::keyClick(&box, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(&box, QStringLiteral("last"));

    // What is typed there waits for the end to come in, then lands after it.
    QTRY_VERIFY_WITH_TIMEOUT(!box.isLoading(), 20000);
    QCOMPARE(box.text(), text + QStringLiteral("last"));
}

void TestLongText::selectAllActsOnTheWholeText_data() {
    QTest::addColumn<QStringList>("steps"); // "wait" lets the whole text come in
    QTest::addColumn<QString>("expected");

    QTest::newRow("Delete, then type") << QStringList{"Delete", "[1] new"} << "[1] new";
    QTest::newRow("type over it") << QStringList{"x"} << "x";
    QTest::newRow("Backspace") << QStringList{"Backspace"} << "";
    QTest::newRow("paste over it") << QStringList{"Paste"} << "pasted";
    QTest::newRow("cut") << QStringList{"Cut"} << "";
    QTest::newRow("Enter") << QStringList{"Enter"} << "\r\n";
    QTest::newRow("once it is all there") << QStringList{"wait", "Delete", "y"} << "y";
}

void TestLongText::selectAllActsOnTheWholeText() {
    QFETCH(QStringList, steps);
    QFETCH(QString, expected);
    const QString text = lines(40000);
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    MultiLineTextBox box;
    box.setText(text);
    QVERIFY(box.isLoading());

    QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
    for (const QString &step : steps) {
        if (step == QLatin1String("wait"))
            QTRY_VERIFY_WITH_TIMEOUT(!box.isLoading(), 20000);
        else if (step == QLatin1String("Delete"))
            QTest::keyClick(&box, Qt::Key_Delete);
        else if (step == QLatin1String("Backspace"))
            QTest::keyClick(&box, Qt::Key_Backspace);
        else if (step == QLatin1String("Enter"))
            QTest::keyClick(&box, Qt::Key_Return);
        else if (step == QLatin1String("Paste"))
            QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
        else if (step == QLatin1String("Cut"))
            QTest::keyClick(&box, Qt::Key_X, Qt::ControlModifier);
        else
            QTest::keyClicks(&box, step);
    }

    QCOMPARE(box.text(), expected);
    QTest::qWait(100); // the lines that were still to come stay gone
    QVERIFY(!box.isLoading());
    QCOMPARE(box.text(), expected);
    if (steps.contains(QLatin1String("Cut")))
        QCOMPARE(QGuiApplication::clipboard()->text(), text);
    // The whole text comes back with Ctrl+Z, the typing first.
    for (int undo = 0; undo < 5 && box.text() != text; ++undo)
        QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(box.text(), text);
}

QTEST_MAIN(TestLongText)
#include "tst_longtext.moc"
