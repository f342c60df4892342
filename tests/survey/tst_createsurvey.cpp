#include "buildconfig.h"
#include "createsurvey.h"
#include "fakeplatform.h"
#include "workedexample.h"

#include "filecontent.h"
#include "smallfilesystem.h"
#include "terminationsignals.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Velmora;

class TestCreateSurvey : public QObject {
    Q_OBJECT

private slots:
    void init();
    void writesPageCopiesPictureAndOpensIt();
    void pageNames_data();
    void pageNames();
    void missingFolderIsRefused_data();
    void missingFolderIsRefused();
    void secondClickWhileBusyDoesNothing();
    void shortQuestionLineIsReportedAndSkipped();
    void unwritablePageIsReportedOnce_data();
    void unwritablePageIsReportedOnce();
    void fullDiskKeepsPageAndPicture();
    void pictureThatCannotBeCopiedIsReported_data();
    void pictureThatCannotBeCopiedIsReported();
    void titleWithControlCharacterWritesNothing_data();
    void titleWithControlCharacterWritesNothing();
    void manyFaultyLinesGiveElevenReports_data();
    void manyFaultyLinesGiveElevenReports();
    void readOnlyFilesAreNotReplaced_data();
    void readOnlyFilesAreNotReplaced();
    void fullDiskDuringALargePage();
    void fileSizeLimitIsReported();
    void hugePictureIsCopiedWhileEventsGoOn_data();
    void hugePictureIsCopiedWhileEventsGoOn();

private:
    QString out() const { return m_dir->path() + QStringLiteral("/out/"); }
    QString picture() const { return m_dir->path() + QStringLiteral("/pics/background.gif"); }

    std::unique_ptr<QTemporaryDir> m_dir;
    FakePlatform m_platform;
};

void TestCreateSurvey::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("out")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("pics")));
    QFile file(picture());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("GIF89a picture");
    m_platform = FakePlatform();
}

void TestCreateSurvey::writesPageCopiesPictureAndOpensIt() {
    CreateSurveyCommand command(m_platform);
    const QString page = out() + QStringLiteral("My Product Survey.htm");
    QFile old(page);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older page that is much longer than nothing");
    old.close();

    command.run(WorkedExample::fields(out(), picture()), QStringLiteral("Velmora"));

    QCOMPARE(fileContent(page), WorkedExample::page());
    QCOMPARE(fileContent(out() + QStringLiteral("background.gif")), QByteArray("GIF89a picture"));
    QCOMPARE(m_platform.messages.size(), 1);
    QCOMPARE(m_platform.messages[0].text, QStringLiteral("Done."));
    QCOMPARE(m_platform.messages[0].caption, QStringLiteral("Velmora"));
    QCOMPARE(m_platform.messages[0].icon, Platform::Icon::None);
    QCOMPARE(m_platform.opened, QList<QUrl>{QUrl::fromLocalFile(page)});
    QVERIFY(!command.isBusy());
    QCOMPARE(QDir(out()).entryList(QDir::Files).size(), 2); // no temporary files left
}

void TestCreateSurvey::pageNames_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("copiedPicture");

    QTest::newRow("title names the page") << "My Product Survey"
                                          << "out/"
                                          << "out/My Product Survey.htm"
                                          << "out/background.gif";
    QTest::newRow("empty title") << ""
                                 << "out/"
                                 << "out/noname.htm"
                                 << "out/background.gif";
    QTest::newRow("folder without separator is joined directly") << "S"
                                                                 << "out"
                                                                 << "outS.htm"
                                                                 << "outbackground.gif";
}

void TestCreateSurvey::pageNames() {
    QFETCH(QString, title);
    QFETCH(QString, folder);
    QFETCH(QString, page);
    QFETCH(QString, copiedPicture);

    SurveyFields fields = WorkedExample::fields(m_dir->filePath(folder), picture());
    fields.pageTitle = title;
    CreateSurveyCommand(m_platform).run(fields, QString());

    QVERIFY(QFile::exists(m_dir->filePath(page)));
    QVERIFY(QFile::exists(m_dir->filePath(copiedPicture)));
    QCOMPARE(m_platform.messageTexts(), QStringList{QStringLiteral("Done.")});
}

void TestCreateSurvey::missingFolderIsRefused_data() {
    QTest::addColumn<QString>("folder");
    QTest::newRow("missing") << "missing/";
    QTest::newRow("names a file") << "pics/background.gif";
    QTest::newRow("empty") << "";
}

void TestCreateSurvey::missingFolderIsRefused() {
    QFETCH(QString, folder);
    const QString outputFolder = folder.isEmpty() ? QString() : m_dir->filePath(folder);
    const QStringList before =
        QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    CreateSurveyCommand command(m_platform);
    command.run(WorkedExample::fields(outputFolder, picture()), QStringLiteral("Velmora"));

    QCOMPARE(m_platform.messageTexts(),
             QStringList{QStringLiteral("Folder does not exist. Please select another folder.")});
    QCOMPARE(m_platform.messages[0].icon, Platform::Icon::None);
    QVERIFY(m_platform.opened.isEmpty());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    QVERIFY(QDir(out()).isEmpty());
    QVERIFY(!command.isBusy());
}

void TestCreateSurvey::secondClickWhileBusyDoesNothing() {
    CreateSurveyCommand command(m_platform);
    const SurveyFields fields = WorkedExample::fields(out(), picture());
    bool busyDuringDone = false;
    m_platform.onMessage = [&] {
        busyDuringDone = command.isBusy();
        command.run(fields, QString()); // the click that comes while "Done." is open
    };
    command.run(fields, QString());

    QVERIFY(busyDuringDone);
    QCOMPARE(m_platform.messageTexts(), QStringList{QStringLiteral("Done.")});
    QCOMPARE(m_platform.opened.size(), 1);
    QVERIFY(!command.isBusy());
}

void TestCreateSurvey::shortQuestionLineIsReportedAndSkipped() {
    SurveyFields fields = WorkedExample::fields(out(), QString());
    fields.surveyQuestions = QStringLiteral("[1] Ok?\r\n[r\r\n[r] a) Yes");
    CreateSurveyCommand(m_platform).run(fields, QStringLiteral("Velmora"));

    QCOMPARE(m_platform.messages.size(), 2);
    const FakePlatform::Message report = m_platform.messages[0];
    QCOMPARE(report.caption, QStringLiteral("Application Error"));
    QCOMPARE(report.icon, Platform::Icon::Warning);
    QCOMPARE(report.text,
             QStringLiteral("Invalid procedure call or argument (question line 2: [r)\r\n"
                            "in Tarvolin2021/08/31.Form1.PushButton17_Click at line 176\r\r"
                            "Please email screenshot of this message to ") +
                 QLatin1String(BuildConfig::SupportEmail));
    QCOMPARE(m_platform.messages[1].text, QStringLiteral("Done."));

    const QByteArray page = fileContent(out() + QStringLiteral("My Product Survey.htm"));
    QVERIFY(page.contains("<body background=\"\">"));
    QCOMPARE(page.count("<input type=\"radio\""), 1);
}

void TestCreateSurvey::unwritablePageIsReportedOnce_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("label");

    QTest::newRow("title leads into a missing folder") << "no/such" << 122;
    QTest::newRow("a folder is in the page's place") << "taken" << 122;
    QTest::newRow("a title of 252 bytes: the name is too long") << QString(252, u'x') << 122;
    QTest::newRow("a title of 126 two-byte characters") << QString(126, QChar(0xe9)) << 122;
}

void TestCreateSurvey::unwritablePageIsReportedOnce() {
    QFETCH(QString, title);
    QFETCH(int, label);

    QVERIFY(QDir(out()).mkdir(QStringLiteral("taken.htm")));
    SurveyFields fields = WorkedExample::fields(out(), picture());
    fields.pageTitle = title;
    CreateSurveyCommand command(m_platform);
    command.run(fields, QString());

    QCOMPARE(m_platform.messages.size(), 1);
    QVERIFY2(m_platform.messages[0].text.contains(QStringLiteral(" at line %1\r\r").arg(label)),
             qPrintable(m_platform.messages[0].text));
    QVERIFY(m_platform.opened.isEmpty());
    QVERIFY(QFileInfo(out() + QStringLiteral("taken.htm")).isDir());
    QCOMPARE(QDir(out()).entryList(QDir::Files), QStringList{QStringLiteral("background.gif")});
    QVERIFY(!command.isBusy());
}

void TestCreateSurvey::fullDiskKeepsPageAndPicture() {
    SmallFileSystem disk(256);
    REQUIRE_SMALL_FILE_SYSTEM(disk);
    const QString folder = disk.path() + QLatin1Char('/');
    const QString page = folder + QStringLiteral("My Product Survey.htm");
    const QString copied = folder + QStringLiteral("background.gif");
    CreateSurveyCommand(m_platform).run(WorkedExample::fields(folder, picture()), QString());
    QCOMPARE(m_platform.messageTexts(), QStringList{QStringLiteral("Done.")});
    const QByteArray olderPage = fileContent(page);
    {
        QFile newer(picture());
        QVERIFY(newer.open(QIODevice::WriteOnly));
        newer.write(QByteArray(600, 'p'));
    }
    disk.fill();
    m_platform = FakePlatform();

    CreateSurveyCommand command(m_platform);
    command.run(WorkedExample::fields(folder, picture()), QString());

    QCOMPARE(fileContent(page), olderPage);
    QCOMPARE(fileContent(copied), QByteArray("GIF89a picture"));
    const QStringList texts = m_platform.messageTexts();
    QCOMPARE(texts.size(), 2);
    QVERIFY2(texts[0].startsWith(QStringLiteral("No space left on device (%1)").arg(copied)) &&
                 texts[0].contains(QStringLiteral(" at line 112\r\r")),
             qPrintable(texts[0]));
    QVERIFY2(texts[1].startsWith(QStringLiteral("No space left on device (%1)").arg(page)),
             qPrintable(texts[1]));
    QVERIFY(!texts.contains(QStringLiteral("Done.")));
    QVERIFY(m_platform.opened.isEmpty());
    QStringList files = disk.files();
    files.sort();
    QCOMPARE(files, (QStringList{QStringLiteral("My Product Survey.htm"),
                                 QStringLiteral("background.gif")}));
}

void TestCreateSurvey::pictureThatCannotBeCopiedIsReported_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");

    QTest::newRow("picture is a folder") << "folder"
                                         << "Is a directory";
    QTest::newRow("picture is a FIFO") << "fifo"
                                       << "Not a regular file";
    QTest::newRow("a folder stands where the copy goes") << "taken"
                                                         << "Is a directory";
}

void TestCreateSurvey::pictureThatCannotBeCopiedIsReported() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QString source = picture();
    if (kind == QLatin1String("folder")) {
        source = m_dir->filePath(QStringLiteral("pics/folder.gif"));
        QVERIFY(QDir().mkpath(source));
    } else if (kind == QLatin1String("fifo")) {
        source = m_dir->filePath(QStringLiteral("pics/fifo.gif"));
        QCOMPARE(::mkfifo(QFile::encodeName(source).constData(), 0644), 0);
    } else {
        QVERIFY(QDir(out()).mkdir(QStringLiteral("background.gif")));
    }

    CreateSurveyCommand(m_platform).run(WorkedExample::fields(out(), source), QString());

    // The page is still made: only its background is missing, and the person knows why.
    const QStringList texts = m_platform.messageTexts();
    QCOMPARE(texts.size(), 2);
    QVERIFY2(texts[0].startsWith(reason) && texts[0].contains(QStringLiteral(" at line 112\r\r")),
             qPrintable(texts[0]));
    QCOMPARE(texts[1], QStringLiteral("Done."));
    QVERIFY(QFile::exists(out() + QStringLiteral("My Product Survey.htm")));
}

void TestCreateSurvey::titleWithControlCharacterWritesNothing_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("shown");

    QTest::newRow("NUL") << QStringLiteral("fresh") + QChar(0)
                         << QStringLiteral("U+0000 (page title: fresh\u2400)");
    QTest::newRow("tab") << QStringLiteral("a\tb")
                         << QStringLiteral("U+0009 (page title: a\u2409b)");
    QTest::newRow("line feed") << QStringLiteral("a\nb")
                               << QStringLiteral("U+000a (page title: a\u240ab)");
    QTest::newRow("delete") << QStringLiteral("a\x7f")
                            << QStringLiteral("U+007f (page title: a\u2421)");
    QTest::newRow("C1 control U+0080, which browsers would show as a euro sign")
        << QStringLiteral("x\u0080y") << QStringLiteral("U+0080 (page title: x\ufffdy)");
    QTest::newRow("C1 control U+009F")
        << QStringLiteral("\u009f") << QStringLiteral("U+009f (page title: \ufffd)");
}

void TestCreateSurvey::titleWithControlCharacterWritesNothing() {
    QFETCH(QString, title);
    QFETCH(QString, shown);
    SurveyFields fields = WorkedExample::fields(out(), picture());
    fields.pageTitle = title;

    CreateSurveyCommand(m_platform).run(fields, QString());

    QCOMPARE(m_platform.messages.size(), 1);
    QVERIFY2(m_platform.messages[0].text.contains(shown) &&
                 m_platform.messages[0].text.contains(QStringLiteral(" at line 122\r\r")),
             qPrintable(m_platform.messages[0].text));
    QVERIFY(QDir(out()).isEmpty());
    QVERIFY(m_platform.opened.isEmpty());
}

void TestCreateSurvey::manyFaultyLinesGiveElevenReports_data() {
    QTest::addColumn<int>("faulty");
    QTest::addColumn<int>("reports");

    QTest::newRow("ten are reported one by one") << 10 << 10;
    QTest::newRow("eleven: ten and one for the rest") << 11 << 11;
    QTest::newRow("a thousand") << 1000 << 11;
}

void TestCreateSurvey::manyFaultyLinesGiveElevenReports() {
    QFETCH(int, faulty);
    QFETCH(int, reports);
    QStringList lines{QStringLiteral("[1] Ok?")};
    for (int i = 0; i < faulty; ++i)
        lines.append(QStringLiteral("[r"));
    lines.append(QStringLiteral("[r] a) Yes"));
    SurveyFields fields = WorkedExample::fields(out(), QString());
    fields.surveyQuestions = lines.join(QStringLiteral("\r\n"));

    CreateSurveyCommand(m_platform).run(fields, QString());

    const QStringList texts = m_platform.messageTexts();
    QCOMPARE(texts.size(), reports + 1);
    QCOMPARE(texts.last(), QStringLiteral("Done."));
    if (faulty > 10)
        QVERIFY2(texts[10].startsWith(
                     QStringLiteral("%1 more question lines were left out").arg(faulty - 10)),
                 qPrintable(texts[10]));
    QCOMPARE(fileContent(out() + QStringLiteral("My Product Survey.htm")).count("type=\"radio\""),
             1);
}

void TestCreateSurvey::readOnlyFilesAreNotReplaced_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("label");
    QTest::addColumn<bool>("done");

    // The picture is reported and the page still made; a page that is not
    // made is no "Done.".
    QTest::newRow("read-only page") << "My Product Survey.htm" << 122 << false;
    QTest::newRow("read-only copy of the picture") << "background.gif" << 112 << true;
}

void TestCreateSurvey::readOnlyFilesAreNotReplaced() {
    QFETCH(QString, file);
    QFETCH(int, label);
    QFETCH(bool, done);
    ::chmod(QFile::encodeName(m_dir->path()).constData(), 0755);
    QVERIFY(QFile::setPermissions(out(), QFile::Permissions(0x7777)));
    const QString path = out() + file;
    {
        QFile older(path);
        QVERIFY(older.open(QIODevice::WriteOnly));
        older.write("kept as it is");
    }
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    // Root may write into any file; the person whose file it is may not.
    QVERIFY(runUnprivileged([&] {
        CreateSurveyCommand(m_platform).run(WorkedExample::fields(out(), picture()), QString());
        const QStringList texts = m_platform.messageTexts();
        return !texts.isEmpty() &&
               texts[0].startsWith(QStringLiteral("Permission denied (%1)").arg(path)) &&
               texts[0].contains(QStringLiteral(" at line %1\r\r").arg(label)) &&
               texts.contains(QStringLiteral("Done.")) == done && texts.size() == (done ? 2 : 1);
    }));
    QCOMPARE(fileContent(path), QByteArray("kept as it is"));
    QCOMPARE(QFileInfo(path).permissions() & QFile::Permissions(0xF0FF),
             QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
}

void TestCreateSurvey::fullDiskDuringALargePage() {
    // A page of megabytes is written by a thread of its own while it is made; a
    // failure there is still one report, and the older page stays.
    SmallFileSystem disk(1024);
    REQUIRE_SMALL_FILE_SYSTEM(disk);
    const QString folder = disk.path() + QLatin1Char('/');
    const QString page = folder + QStringLiteral("My Product Survey.htm");
    CreateSurveyCommand(m_platform).run(WorkedExample::fields(folder, QString()), QString());
    const QByteArray older = fileContent(page);
    m_platform = FakePlatform();
    SurveyFields fields = WorkedExample::fields(folder, QString());
    fields.surveyQuestions = QStringLiteral("[1] Question?\r\n[r] a) Yes\r\n").repeated(100000);

    CreateSurveyCommand(m_platform).run(fields, QString());

    const QStringList texts = m_platform.messageTexts();
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts[0].startsWith(QStringLiteral("No space left on device (%1)").arg(page)),
             qPrintable(texts[0]));
    QCOMPARE(fileContent(page), older);
    QCOMPARE(disk.files(), QStringList{QStringLiteral("My Product Survey.htm")});
    QVERIFY(m_platform.opened.isEmpty());
}

void TestCreateSurvey::fileSizeLimitIsReported() {
    // `ulimit -f` as the program meets it: in a child, so that the signal the
    // limit sends, if not ignored, ends only the child.
    const QString page = out() + QStringLiteral("My Product Survey.htm");
    {
        QFile older(page);
        QVERIFY(older.open(QIODevice::WriteOnly) && older.write("the older page") == 14);
    }
    int pipe[2];
    QCOMPARE(::pipe(pipe), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        reportWritesPastFileSizeLimit();
        const rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        FakePlatform platform;
        SurveyFields fields = WorkedExample::fields(out(), QString());
        fields.surveyQuestions = QStringLiteral("[1] Question?\r\n[r] a) Yes\r\n").repeated(10000);
        CreateSurveyCommand(platform).run(fields, QString());
        const QByteArray said = platform.messageTexts().join(QLatin1Char('|')).toUtf8();
        [[maybe_unused]] const ssize_t told = ::write(pipe[1], said.constData(), said.size());
        ::_exit(platform.opened.isEmpty() ? 0 : 1);
    }
    ::close(pipe[1]);
    QByteArray said;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, got);
    ::close(pipe[0]);
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);

    QVERIFY2(WIFEXITED(status), "the file-size limit ended the program");
    QCOMPARE(WEXITSTATUS(status), 0);
    const QString text = QString::fromUtf8(said);
    QVERIFY2(text.startsWith(QStringLiteral("File too large (%1)").arg(page)) &&
                 text.contains(QStringLiteral(" at line ")) &&
                 !text.contains(QLatin1String("Done.")),
             qPrintable(text));
    QCOMPARE(fileContent(page), QByteArray("the older page"));
}

void TestCreateSurvey::hugePictureIsCopiedWhileEventsGoOn_data() {
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("sparse");

    QTest::newRow("512 MiB of picture data") << qint64(512) << false;
    QTest::newRow("2 GiB sparse picture") << qint64(2048) << true;
}

void TestCreateSurvey::hugePictureIsCopiedWhileEventsGoOn() {
    QFETCH(qint64, size);
    QFETCH(bool, sparse);
    size <<= 20;
    // Memory-backed where the machine has it, so that the copy's own speed,
    // not the disk's, is what the window would wait for.
    QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                             ? QStringLiteral("/dev/shm/velmora-XXXXXX")
                             : QDir::tempPath() + QStringLiteral("/velmora-XXXXXX"));
    const QString huge = folder.filePath(QStringLiteral("huge.gif"));
    const QString out = folder.filePath(QStringLiteral("out/"));
    QVERIFY(QDir().mkpath(out));
    {
        QFile file(huge);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray block(1 << 20, 'p');
        file.write("GIF89a");
        for (qint64 written = 0; !sparse && written < size; written += block.size())
            QCOMPARE(file.write(block), block.size());
        QVERIFY(file.resize(size));
    }

    CreateSurveyCommand command(m_platform);
    QList<bool> waiting;
    command.setWaitingIndicator([&](bool on) { waiting.append(on); });
    QElapsedTimer clock;
    qint64 last = 0, worstGap = 0;
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        worstGap = std::max(worstGap, clock.elapsed() - last);
        last = clock.elapsed();
        if (++ticks == 2) // a second click while the copy goes on
            command.run(WorkedExample::fields(out, huge), QString());
    });
    ticker.start(5);
    clock.start();

    command.run(WorkedExample::fields(out, huge), QString());
    const qint64 took = clock.elapsed();
    ticker.stop();

    QCOMPARE(m_platform.messageTexts(), QStringList{QStringLiteral("Done.")});
    QCOMPARE(waiting, (QList<bool>{true, false}));
    const QString copy = out + QStringLiteral("huge.gif");
    QCOMPARE(QFileInfo(copy).size(), size);
    QFile copied(copy);
    QVERIFY(copied.open(QIODevice::ReadOnly));
    QCOMPARE(copied.read(6), QByteArray("GIF89a"));
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(copy).constData(), &info), 0);
    qInfo("%lld MiB copied in %lld ms, %lld KiB of disk taken by the copy; the event loop went "
          "%lld ms at most without a turn",
          size >> 20, took, qint64(info.st_blocks) / 2, worstGap);
    if (sparse)
        QVERIFY(qint64(info.st_blocks) * 512 < (16 << 20));
    else
        QVERIFY2(ticks >= 2, "the events went on during the copy");
    // The figure is printed above (goal 100 ms); frozen would be the whole copy.
    QVERIFY2(worstGap < 2000, "the window answers during the copy");
}

QTEST_GUILESS_MAIN(TestCreateSurvey)
#include "tst_createsurvey.moc"
