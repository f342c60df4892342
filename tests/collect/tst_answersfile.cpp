#include "answersfile.h"
#include "answersheet.h"
#include "csvreader.h"
#include "runtimeerror.h"

#include "filecontent.h"
#include "smallfilesystem.h"

#include <QTemporaryDir>
#include <QTest>

#include <thread>

using namespace Velmora;

class TestAnswersFile : public QObject {
    Q_OBJECT

private slots:
    void recordsAreQuotedAndDefused_data();
    void recordsAreQuotedAndDefused();
    void readInAnyPiecesGivesTheSameRecords_data();
    void readInAnyPiecesGivesTheSameRecords();
    void tornLastRecordIsRemoved_data();
    void tornLastRecordIsRemoved();
    void otherColumnsGoToAnotherFile();
    void concurrentAnswersAreAllWritten();
    void fullDiskRefusesAndKeepsTheFile();
    void organiserEditsAreFollowed_data();
    void organiserEditsAreFollowed();

private:
    const QStringList m_header{"Received", "Page made", "Name", "E-mail", "1) q"};
};

void TestAnswersFile::recordsAreQuotedAndDefused_data() {
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QByteArray>("record");

    QTest::newRow("plain") << QStringList{"a", ""} << QByteArray("\"a\",\"\"\r\n");
    QTest::newRow("quotes, commas and line breaks")
        << QStringList{"say \"hi\", bye", "l1\r\nl2"}
        << QByteArray("\"say \"\"hi\"\", bye\",\"l1\r\nl2\"\r\n");
    QTest::newRow("formulas are shown, not run")
        << QStringList{"=1+1", "+1", "-1", "@SUM(A1)", "\tx", "\rx"}
        << QByteArray("\"'=1+1\",\"'+1\",\"'-1\",\"'@SUM(A1)\",\"'\tx\",\"'\rx\"\r\n");
    QTest::newRow("an equals sign further in is text")
        << QStringList{"a=b"} << QByteArray("\"a=b\"\r\n");
    QTest::newRow("UTF-8") << QStringList{QStringLiteral("\u20ac \u4e2d")}
                           << QByteArray("\"\xE2\x82\xAC \xE4\xB8\xAD\"\r\n");
}

void TestAnswersFile::recordsAreQuotedAndDefused() {
    QFETCH(QStringList, cells);
    QFETCH(QByteArray, record);
    QCOMPARE(csvRecord(cells), record);
    QCOMPARE(AnswersFile::parseRecords(record).value(0).size(), cells.size());
}

void TestAnswersFile::readInAnyPiecesGivesTheSameRecords_data() {
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QList<QStringList>>("records");

    const QByteArray bom("\xEF\xBB\xBF");
    QTest::newRow("byte order mark, quotes, line breaks in cells")
        << bom + csvRecord({"a", "say \"hi\"", "l1\r\nl2"}) + csvRecord({"", "\"\"", "x"})
        << QList<QStringList>{{"a", "say \"hi\"", "l1\r\nl2"}, {"", "\"\"", "x"}};
    QTest::newRow("no byte order mark, a lone CR in a cell")
        << QByteArray("\"a\rb\"\r\nc\r\n") << QList<QStringList>{{"a\rb"}, {"c"}};
    QTest::newRow("torn last record")
        << bom + csvRecord({"1"}) + "\"2\",\"ha" << QList<QStringList>{{"1"}};
    QTest::newRow("only part of a byte order mark")
        << QByteArray("\xEF\xBB") << QList<QStringList>{};
}

void TestAnswersFile::readInAnyPiecesGivesTheSameRecords() {
    QFETCH(QByteArray, csv);
    QFETCH(QList<QStringList>, records);
    qsizetype wholeEnd = 0;
    QCOMPARE(AnswersFile::parseRecords(csv, &wholeEnd), records);

    for (qsizetype piece = 1; piece <= 3; ++piece) {
        QList<QStringList> read;
        CsvReader reader([&](const QStringList &record) { read.append(record); });
        for (qsizetype at = 0; at < csv.size(); at += piece)
            reader.feed(QByteArrayView(csv).sliced(at, std::min(piece, csv.size() - at)));
        reader.feed({});
        QCOMPARE(read, records);
        QCOMPARE(reader.completeUpTo(), wholeEnd);
    }
}

void TestAnswersFile::tornLastRecordIsRemoved_data() {
    QTest::addColumn<QByteArray>("tail");
    QTest::newRow("cut inside a quoted cell") << QByteArray("\"2\",\"half");
    QTest::newRow("cut before the line break") << QByteArray("\"2\",\"x\"");
    QTest::newRow("cut between CR and LF") << QByteArray("\"2\",\"x\"\r");
    QTest::newRow("cut after a line break inside a cell") << QByteArray("\"2\",\"a\r\n");
    QTest::newRow("nothing torn") << QByteArray();
}

void TestAnswersFile::tornLastRecordIsRemoved() {
    QFETCH(QByteArray, tail);
    QTemporaryDir dir;
    const QByteArray whole =
        "\xEF\xBB\xBF" + csvRecord(m_header) + csvRecord({"1", "s", "n", "e", "x"});
    {
        QFile file(dir.filePath(QStringLiteral("S answers.csv")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(whole + tail);
    }
    AnswersFile answers(dir.path(), QStringLiteral("S.htm"), m_header);
    QCOMPARE(answers.path(), dir.filePath(QStringLiteral("S answers.csv")));
    QCOMPARE(fileContent(answers.path()), whole);
    QCOMPARE(answers.answers(), 1);
    answers.append(csvRecord({"2", "s", "n", "e", "y"}));
    QCOMPARE(AnswersFile::parseRecords(fileContent(answers.path())).size(), 3);
}

void TestAnswersFile::otherColumnsGoToAnotherFile() {
    QTemporaryDir dir;
    {
        AnswersFile first(dir.path(), QStringLiteral("S.htm"), m_header);
        first.append(csvRecord({"1", "s", "n", "e", "old"}));
    }
    QStringList changed = m_header;
    changed.append(QStringLiteral("2) new question"));
    AnswersFile second(dir.path(), QStringLiteral("S.htm"), changed);
    QCOMPARE(second.path(), dir.filePath(QStringLiteral("S answers (2).csv")));
    QCOMPARE(second.answers(), 0);
    second.append(csvRecord({"2", "s", "n", "e", "a", "b"}));

    // Back to the first version: its own file again, with its own answers.
    AnswersFile again(dir.path(), QStringLiteral("S.htm"), m_header);
    QCOMPARE(again.path(), dir.filePath(QStringLiteral("S answers.csv")));
    QCOMPARE(again.answers(), 1);
    const QList<QStringList> records = AnswersFile::parseRecords(fileContent(second.path()));
    QCOMPARE(records.value(0), changed);
}

void TestAnswersFile::concurrentAnswersAreAllWritten() {
    QTemporaryDir dir;
    AnswersFile answers(dir.path(), QStringLiteral("S.htm"), m_header);
    constexpr int Threads = 16, Each = 40;
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < Each; ++i)
                answers.append(csvRecord({QString::number(t), QString::number(i), "n", "e", "x"}));
        });
    for (std::thread &thread : threads)
        thread.join();

    const QList<QStringList> records = AnswersFile::parseRecords(fileContent(answers.path()));
    QCOMPARE(records.size(), 1 + Threads * Each);
    QCOMPARE(answers.answers(), Threads * Each);
    QSet<QString> seen;
    for (qsizetype i = 1; i < records.size(); ++i)
        seen.insert(records[i][0] + QLatin1Char('/') + records[i][1]);
    QCOMPARE(seen.size(), Threads * Each);
}

void TestAnswersFile::fullDiskRefusesAndKeepsTheFile() {
    SmallFileSystem disk(64);
    REQUIRE_SMALL_FILE_SYSTEM(disk);
    AnswersFile answers(disk.path(), QStringLiteral("S.htm"), m_header);
    answers.append(csvRecord({"1", "s", "n", "e", "kept"}));
    const QByteArray before = fileContent(answers.path());
    disk.fill();

    QVERIFY_THROWS_EXCEPTION(RuntimeError,
                             answers.append(csvRecord({"2", "s", "n", "e", QString(9000, u'x')})));
    QCOMPARE(fileContent(answers.path()), before);
    QCOMPARE(answers.answers(), 1);

    disk.free();
    answers.append(csvRecord({"3", "s", "n", "e", "after"}));
    QCOMPARE(AnswersFile::parseRecords(fileContent(answers.path())).size(), 3);
}

void TestAnswersFile::organiserEditsAreFollowed_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("goesTo");
    QTest::addColumn<QList<int>>("expected"); // the answers in that file afterwards, in order

    QTest::newRow("a row removed, the file replaced (sed -i)")
        << "replace 1 3"
        << "Survey answers.csv" << QList<int>{1, 3, 4, 5};
    QTest::newRow("a copy read before the last answer replaces it")
        << "replace 1 2"
        << "Survey answers.csv" << QList<int>{1, 2, 3, 4, 5};
    QTest::newRow("saved again by a spreadsheet, without byte order mark or quotes")
        << "spreadsheet 1 2 3"
        << "Survey answers.csv" << QList<int>{1, 2, 3, 4, 5};
    QTest::newRow("emptied in place") << "in place"
                                      << "Survey answers.csv" << QList<int>{4, 5};
    QTest::newRow("edited in place, the last line break dropped")
        << "in place 1 2"
        << "Survey answers.csv" << QList<int>{1, 2, 4, 5};
    QTest::newRow("removed") << "remove"
                             << "Survey answers.csv" << QList<int>{4, 5};
    QTest::newRow("moved away") << "move"
                                << "Survey answers.csv" << QList<int>{4, 5};
    QTest::newRow("header changed by hand") << "header 1 2 3"
                                            << "Survey answers (2).csv" << QList<int>{4, 5};
}

void TestAnswersFile::organiserEditsAreFollowed() {
    QFETCH(QString, edit);
    QFETCH(QString, goesTo);
    QFETCH(QList<int>, expected);
    QTemporaryDir dir;
    const auto answer = [](int n) {
        return QStringList{"2026-12-08", "12:00:00|12-08-2026", "Ann", "ann@example.org",
                           QStringLiteral("answer %1").arg(n)};
    };
    const auto rows = [&](const QStringList &numbers, bool quoted = true) {
        QByteArray bytes;
        for (const QString &n : numbers)
            bytes += quoted ? csvRecord(answer(n.toInt()))
                            : answer(n.toInt()).join(QLatin1Char(',')).toUtf8() + "\r\n";
        return bytes;
    };
    AnswersFile file(dir.path(), QStringLiteral("Survey.htm"), m_header);
    const QString path = file.path();
    for (int n : {1, 2, 3})
        file.append(csvRecord(answer(n)));

    const QStringList words = edit.split(QLatin1Char(' '));
    const QStringList kept = words.mid(edit.startsWith(QLatin1String("in place")) ? 2 : 1);
    QByteArray content = AnswersFile::beginning(m_header) + rows(kept);
    if (words[0] == QLatin1String("spreadsheet"))
        content = m_header.join(QLatin1Char(',')).toUtf8() + "\r\n" + rows(kept, false);
    if (words[0] == QLatin1String("header"))
        content = AnswersFile::beginning(QStringList(m_header) << "new column") + rows(kept);
    if (words[0] == QLatin1String("in")) {
        QFile same(path);
        QVERIFY(same.open(QIODevice::ReadWrite | QIODevice::Truncate));
        same.write(kept.isEmpty() ? QByteArray() : content.chopped(2));
    } else if (words[0] == QLatin1String("remove")) {
        QVERIFY(QFile::remove(path));
    } else if (words[0] == QLatin1String("move")) {
        QVERIFY(QFile::rename(path, dir.filePath(QStringLiteral("kept elsewhere.csv"))));
    } else {
        QFile replacement(path + QStringLiteral(".new"));
        QVERIFY(replacement.open(QIODevice::WriteOnly));
        replacement.write(content);
        replacement.close();
        QVERIFY(::rename(QFile::encodeName(replacement.fileName()).constData(),
                         QFile::encodeName(path).constData()) == 0);
    }
    for (int n : {4, 5})
        file.append(csvRecord(answer(n)));

    QCOMPARE(file.path(), dir.filePath(goesTo));
    QList<int> found;
    QVERIFY(CsvReader::readFile(file.path(), [&](const QStringList &record) {
        if (record.last().startsWith(QLatin1String("answer ")))
            found.append(record.last().mid(7).toInt());
    }));
    QCOMPARE(found, expected);
    QCOMPARE(file.answers(), expected.size());
    const std::optional<AnswersFile::Reread> reread = file.takeReread();
    QVERIFY(reread);
    QCOMPARE(reread->records.size(), expected.size() - 1); // header, less the last batch
    if (words[0] == QLatin1String("move"))
        QCOMPARE(AnswersFile::parseRecords(fileContent(dir.filePath("kept elsewhere.csv"))).size(),
                 4);
}

QTEST_GUILESS_MAIN(TestAnswersFile)
#include "tst_answersfile.moc"
