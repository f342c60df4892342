#include "answersfile.h"
#include "collector.h"

#include "filecontent.h"
#include "pausedchild.h"
#include "smallfilesystem.h"
#include "workedexample.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <QTimeZone>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>

#include <sys/stat.h>

using namespace Velmora;

// The collector's answers to requests, without the network: what is served,
// what is refused with which status, and what reaches the answers file.
class TestCollector : public QObject {
    Q_OBJECT

private slots:
    void init();
    void refusedRequestsStoreNothing_data();
    void refusedRequestsStoreNothing();
    void onlyPagesAndTheirPicturesAreServed_data();
    void onlyPagesAndTheirPicturesAreServed();
    void answerIsStoredAndAcknowledged();
    void hostileAnswersAreStoredAsText();
    void emptyInputsAreNoAnswer();
    void organiserChangesOnAFullDiskChangeNothing_data();
    void organiserChangesOnAFullDiskChangeNothing();
    void surveysCloseAndOpen_data();
    void surveysCloseAndOpen();
    void requiredAnswersAreRefusedWithoutThem_data();
    void requiredAnswersAreRefusedWithoutThem();
    void remadePageStartsANewFile();
    void answersQueuedOutliveNothing_data();
    void answersQueuedOutliveNothing();
    void editedAnswersFileIsCountedAgain();
    void healthSaysWhetherAnswersCanBeStored_data();
    void healthSaysWhetherAnswersCanBeStored();
    void listCanBeTurnedOff();
    void listingMakesNothing();
    void pagesSpeakTheRespondentsLanguage_data();
    void pagesSpeakTheRespondentsLanguage();
    void respondentPageIsBuiltForEveryone_data();
    void respondentPageIsBuiltForEveryone();
    void everyChoiceIsKept();
    void oneAnswerIdOneRow();
    void testAnswersAreRemovedAndBroughtBack_data();
    void testAnswersAreRemovedAndBroughtBack();
    void anAnswerChangedAfterSendingIsNeverDropped_data();
    void anAnswerChangedAfterSendingIsNeverDropped();
    void pagesLeadOn();
    void resultsLinkForTheOrganiserOnly_data();
    void resultsLinkForTheOrganiserOnly();
    void wrongTokensAreRateLimited();
    void savedRespondentsAreNeverBusy();
    void aCrowdOfAddressesIsHeldToTheBudget_data();
    void aCrowdOfAddressesIsHeldToTheBudget();
    void answersAndSummariesAreOwnerOnly_data();
    void answersAndSummariesAreOwnerOnly();

private:
    HttpResponse request(const QByteArray &method, const QByteArray &path,
                         const QByteArray &body = {},
                         const QByteArray &type = "application/x-www-form-urlencoded") {
        return m_collector->handle({method, path.split('?').first(),
                                    path.contains('?') ? path.split('?').last() : QByteArray(),
                                    type, body, QString()});
    }
    QString file(const QString &name) const { return m_dir->filePath(name); }
    void write(const QString &name, const QByteArray &bytes) {
        QFile out(file(name));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    QList<QStringList> records() const {
        return AnswersFile::parseRecords(
            fileContent(file(QStringLiteral("My Product Survey answers.csv"))));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QDateTime m_now; // the collector's clock
    std::unique_ptr<Collector> m_collector;
    QStringList m_log;
};

const QByteArray Page = "/My%20Product%20Survey.htm";
const QByteArray Token = "0123456789abcdef0123456789abcdef";
const QByteArray Answer = "UserName=Ann&UserEmail=a%40b.c&1=Phone&2=+a%29&3%29+a%29=on&4=Fine";

void TestCollector::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    write(QStringLiteral("My Product Survey.htm"), WorkedExample::page());
    write(QStringLiteral("background.gif"), "GIF89a");
    write(QStringLiteral("secret.txt"), "secret");
    write(QStringLiteral(".hidden.htm"), WorkedExample::page());
    write(QStringLiteral("notes.htm"), "<html><body>not a survey</body></html>");
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("sub")));
    write(QStringLiteral("sub/inner.htm"), WorkedExample::page());
    // A survey no address can reach: never listed, no answers file made for it.
    write(QStringLiteral("back\\slash.htm"), WorkedExample::page());
    // Opening a FIFO blocks until someone writes: the collector must never try.
    QCOMPARE(::mkfifo(QFile::encodeName(file(QStringLiteral("trap.htm"))).constData(), 0644), 0);
    m_log.clear();
    m_now = QDateTime(QDate(2026, 12, 8), QTime(9, 30), QTimeZone(3600));
    m_collector = std::make_unique<Collector>(
        m_dir->path(), [this] { return m_now; },
        [this](const QString &line) { m_log.append(line); });
}

void TestCollector::refusedRequestsStoreNothing_data() {
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");

    const QByteArray form = "application/x-www-form-urlencoded";
    QTest::newRow("PUT") << QByteArray("PUT") << Page << form << Answer << 405;
    QTest::newRow("DELETE") << QByteArray("DELETE") << Page << form << QByteArray() << 405;
    QTest::newRow("POST to the index")
        << QByteArray("POST") << QByteArray("/") << form << Answer << 405;
    QTest::newRow("JSON") << QByteArray("POST") << Page << QByteArray("application/json")
                          << QByteArray("{}") << 415;
    QTest::newRow("multipart") << QByteArray("POST") << Page
                               << QByteArray("multipart/form-data; boundary=x") << Answer << 415;
    QTest::newRow("no content type") << QByteArray("POST") << Page << QByteArray() << Answer << 415;
    QTest::newRow("a comment one character over its 20,000")
        << QByteArray("POST") << Page << form << QByteArray("4=") + QByteArray(20001, 'x') << 413;
    QTest::newRow("over 1 MiB") << QByteArray("POST") << Page << form
                                << QByteArray("1=") + QByteArray(1 << 20, 'x') << 413;
    QTest::newRow("broken percent-encoding")
        << QByteArray("POST") << Page << form << QByteArray("1=%G0") << 400;
    QTest::newRow("raw bytes") << QByteArray("POST") << Page << form << QByteArray("1=\xFF\xFE")
                               << 400;
    QTest::newRow("empty form") << QByteArray("POST") << Page << form << QByteArray() << 400;
    QTest::newRow("none of the survey's fields")
        << QByteArray("POST") << Page << form << QByteArray("a=1&b=2&_charset_=UTF-8") << 400;
    QTest::newRow("unknown page") << QByteArray("POST") << QByteArray("/other.htm") << form
                                  << Answer << 404;
    QTest::newRow("a file that is no survey")
        << QByteArray("POST") << QByteArray("/notes.htm") << form << Answer << 404;
    QTest::newRow("the picture") << QByteArray("POST") << QByteArray("/background.gif") << form
                                 << Answer << 404;
}

void TestCollector::refusedRequestsStoreNothing() {
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    QCOMPARE(request("POST", Page, Answer).status, 303); // an answers file, to stay as it is
    const QString answers = file(QStringLiteral("My Product Survey answers.csv"));
    const QByteArray stored = fileContent(answers);
    const QStringList before =
        QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);

    QCOMPARE(request(method, path, body, type).status, status);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), before);
    QCOMPARE(fileContent(answers), stored);
}

void TestCollector::onlyPagesAndTheirPicturesAreServed_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("type");

    QTest::newRow("the page, as the collector makes it for respondents")
        << Page << 200 << QByteArray("text/html; charset=utf-8");
    QTest::newRow("its picture") << QByteArray("/background.gif") << 200 << QByteArray("image/gif");
    QTest::newRow("the index") << QByteArray("/") << 200 << QByteArray("text/html; charset=utf-8");
    for (const char *path :
         {"/secret.txt", "/notes.htm", "/.hidden.htm", "/sub/inner.htm", "/sub%2Finner.htm",
          "/..%2Fsecret.txt", "/%2e%2e%2fsecret.txt", "/../secret.txt", "/%5C..%5Csecret.txt",
          "/My%20Product%20Survey.htm%00.txt", "/My%20Product%20Survey%20answers.csv", "/trap.htm",
          "/%FF%FE", "//etc/passwd", "/sub", "/.", "/My%20Product%20Survey.htm/", "/a/b/c.htm"})
        QTest::newRow(path) << QByteArray(path) << 404 << QByteArray("text/html; charset=utf-8");
}

void TestCollector::onlyPagesAndTheirPicturesAreServed() {
    QFETCH(QByteArray, path);
    QFETCH(int, status);
    QFETCH(QByteArray, type);
    request("POST", Page, Answer); // an answers file now exists to be asked for

    const HttpResponse response = request("GET", path);
    QCOMPARE(response.status, status);
    QCOMPARE(response.contentType, type);
    if (path == Page)
        QVERIFY(response.body.contains("<h1 dir=\"auto\">My Product Survey</h1>"));
    QVERIFY(!response.body.contains("secret"));
    QVERIFY(!response.body.contains("Received"));
    if (status == 404) { // the way on leads to the list, however deep the address
        static const QRegularExpression link(
            QStringLiteral("href=\"([^\"]*)\">See the surveys here"));
        const QString href = link.match(QString::fromUtf8(response.body)).captured(1);
        QCOMPARE(QUrl(QStringLiteral("http://h") + QString::fromLatin1(path))
                     .resolved(QUrl(href))
                     .path(),
                 QStringLiteral("/"));
    }
    QCOMPARE(m_collector->surveys().size(), 1);
    QVERIFY(!request("GET", "/").body.contains("slash"));
    QVERIFY(!QFile::exists(file(QStringLiteral("back\\slash answers.csv"))));
}

void TestCollector::answerIsStoredAndAcknowledged() {
    const HttpResponse response = request("POST", Page, Answer);
    QCOMPARE(response.status, 303);
    // Relative, so that a survey served under a path prefix comes back to it,
    // with the receipt that lets the page say the answers were saved.
    QByteArray location;
    for (const auto &[name, value] : response.headers)
        location = name == "Location" ? value : location;
    QVERIFY2(location.startsWith("My%20Product%20Survey.htm?answered="), location.constData());
    HttpRequest thanksRequest{"GET", Page, location.mid(location.indexOf('?') + 1),
                              {},    {},   QStringLiteral("::1")};
    const QByteArray thanks = m_collector->handle(thanksRequest).body;
    QVERIFY(thanks.contains("My Product Survey") && thanks.contains("were saved"));
    // Opened otherwise, or with a receipt made up or for another page, it confirms nothing.
    QByteArray altered = thanksRequest.query;
    altered.back() = altered.back() == '0' ? '1' : '0';
    for (const QByteArray &query :
         {QByteArray("answered"), QByteArray("answered=") + QByteArray(40, '0'), altered}) {
        thanksRequest.query = query;
        QVERIFY(!m_collector->handle(thanksRequest).body.contains("were saved"));
    }
    // The next person on a shared tablet starts afresh, with a new answer ID.
    QVERIFY(thanks.contains("<a href=\"My%20Product%20Survey.htm\">Answer the survey again"));

    const QList<QStringList> rows = records();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1], (QStringList{"2026-12-08T09:30:00+01:00", "14:03:27|08-31-2021", "Ann",
                                   "a@b.c", "Phone", " a)", "on", "", "Fine", ""}));
    QCOMPARE(m_log, QStringList{"1 answers to My Product Survey"});
}

void TestCollector::hostileAnswersAreStoredAsText() {
    const QByteArray body = "UserName=%3Dcmd%7C%27%2FC+calc%27%21A0&UserEmail=%2B1&"
                            "1=%3Cscript%3Ealert(1)%3C%2Fscript%3E&4=%40SUM(1)&"
                            "3%29+a%29=on&3%29+a%29=on&3%29+b%29=%26%23x1F600%3B&evil=1&evil=2";
    QCOMPARE(request("POST", Page, body).status, 303);
    const QStringList row = records().value(1);
    QCOMPARE(row.value(2), QStringLiteral("'=cmd|'/C calc'!A0"));
    QCOMPARE(row.value(3), QStringLiteral("'+1"));
    QCOMPARE(row.value(4), QStringLiteral("<script>alert(1)</script>"));
    QCOMPARE(row.value(6), QStringLiteral("on | on"));
    QCOMPARE(row.value(7), QString::fromUtf8("\xF0\x9F\x98\x80"));
    QCOMPARE(row.value(8), QStringLiteral("'@SUM(1)"));
    QCOMPARE(m_log, QStringList{"1 answers to My Product Survey (2 fields the page does not have "
                                "were ignored)"});
}

void TestCollector::emptyInputsAreNoAnswer() {
    // Two check boxes of one name posted empty, as some forms send them: no " | ".
    QCOMPARE(request("POST", Page, "UserName=Ann&3%29+a%29=&3%29+a%29=&1=").status, 303);
    const QStringList row = records().value(1);
    QCOMPARE(row.value(6), QString());
    QCOMPARE(row.value(4), QString());
}

void TestCollector::organiserChangesOnAFullDiskChangeNothing_data() {
    QTest::addColumn<QByteArray>("page"); // of the results link
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("then");   // on the full disk
    QTest::addColumn<QString>("kept");      // the file beside the page
    QTest::addColumn<QByteArray>("unsaid"); // what the survey must not say after
    QTest::newRow("closing") << QByteArray("schedule/")
                             << QByteArray("do=close&at=2030-01-01T09:00")
                             << QByteArray("do=close&at=") << QStringLiteral(" schedule.json")
                             << QByteArray("This survey is closed");
    QTest::newRow("required questions")
        << QByteArray("required/") << QByteArray("question=1%29+What+product+did+you+test%3F")
        << QByteArray("every=1") << QStringLiteral(" required.json")
        << QByteArray("2) Would you use this product again? <span class=\"required\">");
}

void TestCollector::organiserChangesOnAFullDiskChangeNothing() {
    QFETCH(QByteArray, page);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, then);
    QFETCH(QString, kept);
    QFETCH(QByteArray, unsaid);
    SmallFileSystem disk(256);
    REQUIRE_SMALL_FILE_SYSTEM(disk);
    QFile survey(disk.path() + QStringLiteral("/My Product Survey.htm"));
    QVERIFY(survey.open(QIODevice::WriteOnly) && survey.write(WorkedExample::page()) > 0);
    survey.close();
    Collector collector(
        disk.path(), [this] { return m_now; }, [](const QString &) {});
    collector.setResultsToken(Token);
    const auto change = [&](const QByteArray &body) {
        return collector.handle({"POST",
                                 "/results/" + Token + '/' + page + Page.mid(1),
                                 {},
                                 "application/x-www-form-urlencoded",
                                 body,
                                 QStringLiteral("127.0.0.1")});
    };
    QCOMPARE(change(first).status, 200);
    const QString path = disk.path() + QStringLiteral("/My Product Survey") + kept;
    const QByteArray before = fileContent(path);
    QVERIFY(!before.isEmpty());
    const QStringList files = disk.files();

    disk.fill();
    const HttpResponse refused = change(then);
    QVERIFY2(refused.body.contains("Nothing was changed"), refused.body.constData());
    QCOMPARE(fileContent(path), before);
    QCOMPARE(disk.files(), files);
    QVERIFY(!collector.handle({"GET", Page, {}, {}, {}, QString()}).body.contains(unsaid));
}

void TestCollector::surveysCloseAndOpen_data() {
    // What the organiser does on the results link, in minutes from now (empty: now).
    // "close", "close+60", "open+60"...; "=BODY": a form posted as it is, refused.
    QTest::addColumn<QStringList>("done");
    QTest::addColumn<int>("later"); // minutes on, when a respondent comes
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("answered"); // the status an answer then gets
    QTest::newRow("never closed") << QStringList() << 0 << false << 303;
    QTest::newRow("closed now") << QStringList{"close"} << 0 << true << 303;
    QTest::newRow("closed, an answer within the grace period")
        << QStringList{"close"} << 30 << true << 303;
    QTest::newRow("closed, an answer after it") << QStringList{"close"} << 31 << true << 410;
    QTest::newRow("closing later, before then") << QStringList{"close+60"} << 59 << false << 303;
    QTest::newRow("closing later, since then") << QStringList{"close+60"} << 100 << true << 410;
    QTest::newRow("closed, opening later, before then")
        << QStringList{"close", "open+60"} << 45 << true << 410;
    QTest::newRow("closed, opening later, since then")
        << QStringList{"close", "open+60"} << 61 << false << 303;
    QTest::newRow("closed and opened") << QStringList{"close", "open"} << 45 << false << 303;
    QTest::newRow("a time that is no time")
        << QStringList{"=do=close&at=tomorrow", "=do=close&at=2026-13-45T25:61"} << 0 << false
        << 303;
    QTest::newRow("neither close nor open")
        << QStringList{"=do=delete", "=at=2030-01-01T09:00", "=do=%3Cscript%3E"} << 0 << false
        << 303;
}

void TestCollector::surveysCloseAndOpen() {
    QFETCH(QStringList, done);
    QFETCH(int, later);
    QFETCH(bool, closed);
    QFETCH(int, answered);
    m_collector->setResultsToken(Token);
    for (const QString &step : done) {
        const bool refused = step.startsWith(u'=');
        const QStringList parts = step.split(u'+');
        // A datetime-local input sends the organiser's own time.
        const QByteArray at = parts.size() > 1 ? m_now.addSecs(parts[1].toInt() * 60)
                                                     .toLocalTime()
                                                     .toString("yyyy-MM-ddTHH:mm")
                                                     .toLatin1()
                                               : QByteArray();
        HttpRequest choose{"POST",
                           "/results/" + Token + "/schedule/My%20Product%20Survey.htm",
                           {},
                           "application/x-www-form-urlencoded",
                           refused ? step.mid(1).toLatin1()
                                   : "do=" + parts[0].toLatin1() + "&at=" + at,
                           QStringLiteral("127.0.0.1")};
        const HttpResponse response = m_collector->handle(choose);
        QCOMPARE(response.status, refused ? 400 : 200);
        QVERIFY(!response.body.contains("<script"));
    }
    m_now = m_now.addSecs(later * 60);
    for (int run = 0; run < 2; ++run) { // and after a restart
        const QByteArray page = request("GET", Page).body;
        QCOMPARE(page.contains("<title>This survey is closed</title>"), closed);
        if (closed)
            QVERIFY2(page.contains("has been closed since 8 December 2026, "), page.constData());
        QCOMPARE(request("GET", "/").body.contains("My%20Product%20Survey.htm"), !closed);
        m_collector = std::make_unique<Collector>(
            m_dir->path(), [this] { return m_now; }, [](const QString &) {});
    }
    const HttpResponse response = request("POST", Page, Answer);
    QCOMPARE(response.status, answered);
    QCOMPARE(records().size() > 1, answered == 303);
    if (answered == 410) // the answers shown back, to keep
        QVERIFY(response.body.contains("<dt dir=\"auto\">1) What product did you test?</dt>"
                                       "<dd dir=\"auto\">Phone</dd>"));
}

void TestCollector::requiredAnswersAreRefusedWithoutThem_data() {
    QTest::addColumn<QByteArray>("choice");    // posted to the results link's page
    QTest::addColumn<QByteArray>("fetchSite"); // where the browser says that came from
    QTest::addColumn<int>("marked");           // questions the survey marks required
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("missing"); // the question named, or none: stored
    const QByteArray comment = "question=4%29+Are+there+any+additional+comments+that+you+would+"
                               "like+to+make+about+the+product%3F";
    const QByteArray boxes = "question=3%29+How+would+you+rate+the+quality+of+the+product%3F";
    QTest::newRow("every question, all answered")
        << QByteArray("every=1") << QByteArray("same-origin") << 4
        << QByteArray("1=Phone&2=+a%29&3%29+b%29=on&4=Fine") << QString();
    QTest::newRow("every question, one left empty")
        << QByteArray("every=1") << QByteArray("same-origin") << 4
        << QByteArray("1=Phone&2=+a%29&3%29+b%29=on&4=") << QStringLiteral("4) Are there");
    QTest::newRow("a text area, only spaces are an answer")
        << comment << QByteArray("same-origin") << 1 << QByteArray("1=Phone&4=+") << QString();
    QTest::newRow("check boxes, one ticked")
        << boxes << QByteArray("same-origin") << 1 << QByteArray("3%29+a%29=on") << QString();
    QTest::newRow("check boxes, none ticked")
        << boxes << QByteArray("same-origin") << 1 << QByteArray("1=Phone")
        << QStringLiteral("3) How would");
    QTest::newRow("a question the page does not ask")
        << QByteArray("question=5%29+Why%3F") << QByteArray("same-origin") << 0
        << QByteArray("1=Phone") << QString();
    QTest::newRow("chosen by another site: nothing required")
        << QByteArray("every=1") << QByteArray("cross-site") << 0 << QByteArray("1=Phone")
        << QString();
}

void TestCollector::requiredAnswersAreRefusedWithoutThem() {
    QFETCH(QByteArray, choice);
    QFETCH(QByteArray, fetchSite);
    QFETCH(int, marked);
    QFETCH(QByteArray, answer);
    QFETCH(QString, missing);
    m_collector->setResultsToken(Token);
    HttpRequest choose{"POST", "/results/" + Token + "/required/My%20Product%20Survey.htm",
                       {},     "application/x-www-form-urlencoded",
                       choice, QStringLiteral("127.0.0.1")};
    choose.fetchSite = fetchSite;
    QCOMPARE(m_collector->handle(choose).status, fetchSite == "cross-site" ? 403 : 200);

    // Marked for people and for the browser; checked by the collector all the same.
    const QByteArray page = request("GET", Page).body;
    QCOMPARE(page.count("<span class=\"required\">(required)</span>"), marked);
    QCOMPARE(page.contains("aria-labelledby=\"q1\" dir=\"auto\" required>"), marked == 4);
    const HttpResponse response = request("POST", Page, answer);
    QCOMPARE(response.status, missing.isEmpty() ? 303 : 422);
    QCOMPARE(records().size(), missing.isEmpty() ? 2 : 1);
    if (!missing.isEmpty()) {
        QVERIFY2(response.body.contains("<li dir=\"auto\">" + missing.toUtf8()),
                 response.body.constData());
        QVERIFY(response.body.contains("your answers are still in the form"));
    }
}

void TestCollector::remadePageStartsANewFile() {
    QCOMPARE(request("POST", Page, Answer).status, 303);
    write(QStringLiteral("My Product Survey.htm"), WorkedExample::remadePage());
    QCOMPARE(request("POST", Page, "1=%2410").status, 303); // not looked at again yet
    m_collector->rescan();
    QCOMPARE(request("POST", Page, "1=%2410").status, 303);

    QCOMPARE(records().size(), 3); // the first file keeps only its own answers
    const QList<QStringList> second = AnswersFile::parseRecords(
        fileContent(file(QStringLiteral("My Product Survey answers (2).csv"))));
    QCOMPARE(second.size(), 2);
    QCOMPARE(second[0].value(4), QStringLiteral("1) What did you pay?"));
    QCOMPARE(second[1].value(4), QStringLiteral("$10"));

    // Both versions stay in reach: listed with their answers, and on the results link.
    m_collector->rescan();
    const QList<Collector::Survey> surveys = m_collector->surveys();
    QCOMPARE(surveys.size(), 1);
    QCOMPARE(surveys[0].answers, 1);
    QCOMPARE(surveys[0].earlierAnswersFiles,
             QStringList{file(QStringLiteral("My Product Survey answers.csv"))});
    QCOMPARE(surveys[0].earlierAnswers, 2);
    m_collector->setResultsToken(Token);
    HttpRequest results{"GET", "/results/" + Token + "/", {}, {}, {}, QStringLiteral("::1")};
    const QByteArray list = m_collector->handle(results).body;
    QVERIFY(list.contains("href=\"My%20Product%20Survey%20answers.csv\""));
    QVERIFY(list.contains("href=\"My%20Product%20Survey%20answers%20%282%29.csv\""));
    results.path += "My%20Product%20Survey%20answers.csv";
    QCOMPARE(m_collector->handle(results).status, 200);

    // One summary over both: the questions asked alike counted together, the
    // one asked otherwise said.
    QCOMPARE(request("POST", Page, "1=%2412&2=+a%29").status, 303);
    QVERIFY(m_collector->writeSummaries(true));
    const QString summary =
        QString::fromUtf8(fileContent(file(QStringLiteral("My Product Survey summary (2).html"))));
    QVERIFY2(summary.contains("4 answers (2 of them to other versions of the page)"),
             qPrintable(summary));
    QVERIFY(summary.contains("Asked in these words in 2 of the 4 answers"));
    QVERIFY(summary.contains("<li dir=\"auto\">$12</li>\n<li dir=\"auto\">$10</li>"));
    QVERIFY(summary.contains("2 (50.0%)")); // " a)" to question 2, once in each version
    QVERIFY(summary.contains("<h2>Asked otherwise in other versions</h2>"));
    QVERIFY(summary.contains("<li dir=\"auto\">1) What product did you test?</li>"));
}

void TestCollector::answersQueuedOutliveNothing_data() {
    QTest::addColumn<bool>("remade"); // the page made again while they are queued
    QTest::newRow("the page made again") << true;
    QTest::newRow("the collector stopped") << false;
}

void TestCollector::answersQueuedOutliveNothing() {
    // Answers handed to the writer and not yet on the disk, then the file they
    // go to is replaced, or the collector ends: each is still written and
    // acknowledged, and nothing is left running on what is gone.
    QFETCH(bool, remade);
    constexpr int Answers = 400;
    auto replies = std::make_shared<std::atomic<int>>(0);
    auto acknowledged = std::make_shared<std::atomic<int>>(0);
    for (int i = 0; i < Answers; ++i)
        m_collector->handle({"POST",
                             Page,
                             {},
                             "application/x-www-form-urlencoded",
                             "1=queued+" + QByteArray::number(i),
                             QString()},
                            [replies, acknowledged](HttpResponse response) {
                                *acknowledged += response.status == 303 ? 1 : 0;
                                ++*replies;
                            });
    if (remade) {
        QByteArray page = WorkedExample::page();
        page.replace("What product did you test?", "What did you pay?");
        write(QStringLiteral("My Product Survey.htm"), page);
        m_collector->rescan();
        QCOMPARE(request("POST", Page, "1=%2410").status, 303);
    }
    m_collector.reset();
    QCOMPARE(replies->load(), Answers);
    QCOMPARE(acknowledged->load(), Answers);
    QCOMPARE(records().size(), 1 + Answers);
}

void TestCollector::editedAnswersFileIsCountedAgain() {
    QCOMPARE(request("POST", Page, "UserName=test&2=+a%29").status, 303);
    QCOMPARE(request("POST", Page, "UserName=Ann&2=+b%29").status, 303);
    // The organiser removes the test answer as `sed -i` does: a new file renamed over.
    const QString answers = file(QStringLiteral("My Product Survey answers.csv"));
    QByteArray edited;
    for (const QByteArray &line : fileContent(answers).split('\n'))
        if (!line.contains("\"test\"") && !line.isEmpty())
            edited += line + '\n';
    write(QStringLiteral("edited.csv"), edited);
    QVERIFY(::rename(QFile::encodeName(file(QStringLiteral("edited.csv"))).constData(),
                     QFile::encodeName(answers).constData()) == 0);

    QCOMPARE(request("POST", Page, "UserName=Bo&2=+b%29").status, 303);

    const QList<QStringList> rows = records();
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[1].value(2), QStringLiteral("Ann"));
    QCOMPARE(rows[2].value(2), QStringLiteral("Bo"));
    m_collector->writeSummaries();
    const QByteArray summary = fileContent(file(QStringLiteral("My Product Survey summary.html")));
    QVERIFY2(summary.contains("<td class=\"option\" dir=\"auto\">a) Yes</td>") &&
                 summary.contains("<td class=\"count\">0 (0.0%)</td>") &&
                 summary.contains("<td class=\"count\">2 (100.0%)</td>"),
             summary.constData());
}

void TestCollector::healthSaysWhetherAnswersCanBeStored_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("ready") << "ready" << 200 << QByteArray("ok\n");
    QTest::newRow("folder gone") << "gone" << 503
                                 << QByteArray(
                                        "answers cannot be stored: the survey folder is gone\n");
    QTest::newRow("disk full") << "full" << 503
                               << QByteArray("answers cannot be stored: the disk is full\n");
    // The next answer starts it again: nothing stands in the way.
    QTest::newRow("answers file deleted") << "deleted" << 200 << QByteArray("ok\n");
    QTest::newRow("answers file held by another program")
        << "locked" << 503
        << QByteArray("answers cannot be stored: another program is writing to My Product Survey "
                      "answers.csv\n");
}

void TestCollector::healthSaysWhetherAnswersCanBeStored() {
    QFETCH(QString, state);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    SmallFileSystem disk(256);
    QTemporaryDir gone;
    QString folder = m_dir->path();
    if (state == QLatin1String("gone")) {
        folder = gone.path();
    } else if (state == QLatin1String("full")) {
        REQUIRE_SMALL_FILE_SYSTEM(disk);
        folder = disk.path();
    }
    std::unique_ptr<PausedChild> otherCollector;
    if (state == QLatin1String("locked")) {
        const QByteArray answers =
            QFile::encodeName(file(QStringLiteral("My Product Survey answers.csv")));
        otherCollector = std::make_unique<PausedChild>(
            [&] { ::flock(::open(answers.constData(), O_RDWR | O_CREAT, 0600), LOCK_EX); });
        QVERIFY(otherCollector->ready());
    }
    Collector collector(
        folder, [] { return QDateTime::currentDateTime(); }, [](const QString &) {});
    const HttpRequest post{"POST", Page,     {}, "application/x-www-form-urlencoded",
                           Answer, QString()};
    if (state == QLatin1String("deleted")) {
        QCOMPARE(collector.handle(post).status, 303);
        QVERIFY(QFile::remove(file(QStringLiteral("My Product Survey answers.csv"))));
    }
    if (state == QLatin1String("gone"))
        gone.remove();
    else if (state == QLatin1String("full"))
        disk.fill();

    const HttpResponse health = collector.handle({"GET", "/healthz", {}, {}, {}, QString()});
    QCOMPARE(health.status, status);
    QCOMPARE(health.body, body);
    QCOMPARE(health.contentType, QByteArray("text/plain; charset=utf-8"));
    if (otherCollector) // and respondents are told so, their answers kept
        QCOMPARE(collector.handle(post).status, 503);
    if (state == QLatin1String("deleted")) {
        QCOMPARE(collector.handle(post).status, 303);
        QCOMPARE(records().size(), 2);
    }
}

void TestCollector::resultsLinkForTheOrganiserOnly_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QString>("client");
    QTest::addColumn<bool>("secure");
    QTest::addColumn<bool>("forwarded");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("type");

    const QByteArray base = "/results/" + Token + "/";
    const QByteArray csv = base + "My%20Product%20Survey%20answers.csv";
    const QByteArray summary = base + "My%20Product%20Survey%20summary.html";
    QTest::newRow("the list, on this computer")
        << base << "127.0.0.1" << false << false << 200 << QByteArray("text/html; charset=utf-8");
    QTest::newRow("the answers file")
        << csv << "::1" << false << false << 200 << QByteArray("text/csv; charset=utf-8");
    QTest::newRow("the summary") << summary << "127.0.0.1" << false << false << 200
                                 << QByteArray("text/html; charset=utf-8");
    QTest::newRow("over HTTPS from anywhere")
        << csv << "192.0.2.7" << true << false << 200 << QByteArray("text/csv; charset=utf-8");
    QTest::newRow("plain HTTP from another computer")
        << csv << "192.0.2.7" << false << false << 403 << QByteArray("text/html; charset=utf-8");
    QTest::newRow("plain HTTP through a proxy on this computer")
        << csv << "127.0.0.1" << false << true << 403 << QByteArray("text/html; charset=utf-8");
    QTest::newRow("a wrong token")
        << QByteArray("/results/0123456789abcdef0123456789abcdee/") << "127.0.0.1" << false << false
        << 404 << QByteArray("text/html; charset=utf-8");
    QTest::newRow("a short token") << QByteArray("/results/0123/") << "127.0.0.1" << false << false
                                   << 404 << QByteArray("text/html; charset=utf-8");
    QTest::newRow("the page through the link")
        << base + "My%20Product%20Survey.htm"
        << "127.0.0.1" << false << false << 404 << QByteArray("text/html; charset=utf-8");
    QTest::newRow("out of the folder")
        << base + "..%2Fsecret.txt"
        << "127.0.0.1" << false << false << 404 << QByteArray("text/html; charset=utf-8");
    QTest::newRow("without the last slash") << "/results/" + Token << "127.0.0.1" << false << false
                                            << 301 << QByteArray("text/html; charset=utf-8");
}

void TestCollector::resultsLinkForTheOrganiserOnly() {
    QFETCH(QByteArray, path);
    QFETCH(QString, client);
    QFETCH(bool, secure);
    QFETCH(bool, forwarded);
    QFETCH(int, status);
    QFETCH(QByteArray, type);
    m_collector->setResultsToken(Token);
    QCOMPARE(request("POST", Page, Answer).status, 303);
    m_collector->writeSummaries();

    HttpRequest get{"GET", path, {}, {}, {}, client};
    get.secure = secure;
    get.forwarded = forwarded;
    const HttpResponse response = m_collector->handle(get);
    QCOMPARE(response.status, status);
    QCOMPARE(response.contentType, type);
    if (status == 404) // as for any address as deep that leads nowhere
        QCOMPARE(response.body,
                 request("GET", QByteArray(path).replace("/results/", "/nothing/")).body);
    if (type.startsWith("text/csv")) {
        QVERIFY(response.body.contains("Ann"));
        QVERIFY(response.headers.contains(
            {"Content-Disposition",
             "attachment; filename*=UTF-8''My%20Product%20Survey%20answers.csv"}));
    }
    if (status == 200 && path.endsWith('/'))
        QVERIFY(response.body.contains("href=\"My%20Product%20Survey%20summary.html\""));
}

void TestCollector::savedRespondentsAreNeverBusy() {
    // A crowd behind one address has used up its requests...
    Collector crowded(
        m_dir->path(), [] { return QDateTime::currentDateTime(); }, [](const QString &) {},
        [](const QString &) {}, {{0, 1}, {0, 1}});
    const auto get = [&](const QByteArray &path, const QByteArray &query = {}) {
        return crowded.handle({"GET", path, query, {}, {}, QStringLiteral("192.0.2.1")}).status;
    };
    QCOMPARE(get(Page), 200);
    QCOMPARE(get(Page), 503);
    // ...but whoever's answers are saved gets the thank-you page and what it shows.
    QCOMPARE(get(Page, "answered"), 200);
    QCOMPARE(get("/velmora.css"), 200);
    QCOMPARE(get("/favicon.ico"), 200);
    QCOMPARE(get("/background.gif"), 200);
}

void TestCollector::aCrowdOfAddressesIsHeldToTheBudget_data() {
    QTest::addColumn<double>("burst");
    QTest::addColumn<qint64>("bytesPerDay");
    QTest::addColumn<QByteArray>("page"); // what the third address is told
    QTest::addColumn<int>("retryAfter");  // seconds, at least
    QTest::newRow("answers at once")
        << 2.0 << qint64(0) << QByteArray("Too many answers at once") << 1;
    // Two answers' bytes come back over a day: one answer's within half of it.
    QTest::newRow("bytes a day") << 1e9 << 2 * Answer.size() + 1
                                 << QByteArray("No more answers today") << 40000;
}

void TestCollector::aCrowdOfAddressesIsHeldToTheBudget() {
    QFETCH(double, burst);
    QFETCH(qint64, bytesPerDay);
    QFETCH(QByteArray, page);
    QFETCH(int, retryAfter);
    Collector collector(
        m_dir->path(), [] { return QDateTime::currentDateTime(); }, [](const QString &) {},
        [](const QString &) {}, {}, {{1e-6, burst}, bytesPerDay});
    const auto post = [&](int address) {
        return collector.handle({"POST",
                                 Page,
                                 {},
                                 "application/x-www-form-urlencoded",
                                 Answer,
                                 QStringLiteral("192.0.2.%1").arg(address)});
    };
    QCOMPARE(post(1).status, 303);
    QCOMPARE(post(2).status, 303);
    const HttpResponse refused = post(3);
    QCOMPARE(refused.status, 503);
    QVERIFY(refused.body.contains(page));
    QVERIFY(refused.body.contains("your answers are still in the form"));
    const auto header = std::find_if(refused.headers.cbegin(), refused.headers.cend(),
                                     [](const auto &h) { return h.first == "Retry-After"; });
    QVERIFY(header != refused.headers.cend());
    QVERIFY2(header->second.toInt() >= retryAfter, header->second);
    // Pages are still served; only answers are held back.
    QCOMPARE(collector.handle({"GET", Page, {}, {}, {}, QStringLiteral("192.0.2.3")}).status, 200);
}

void TestCollector::wrongTokensAreRateLimited() {
    m_collector->setResultsToken(Token);
    const HttpRequest guess{"GET", "/results/ffffffffffffffffffffffffffffffff/",
                            {},    {},
                            {},    QStringLiteral("127.0.0.1")};
    for (int i = 0; i < 10; ++i)
        QCOMPARE(m_collector->handle(guess).status, 404);
    QCOMPARE(m_collector->handle(guess).status, 503);
    // Another client, and the organiser's own link, are not held up by it.
    HttpRequest organiser = guess;
    organiser.path = "/results/" + Token + "/";
    QCOMPARE(m_collector->handle(organiser).status, 200);
}

void TestCollector::listingMakesNothing() {
    const auto files = [this] {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    };
    const QStringList before = files();
    QList<Collector::Survey> listed = m_collector->surveys();
    QCOMPARE(listed.size(), 1);
    QCOMPARE(listed[0].answers, 0);
    QVERIFY(listed[0].answersFile.isEmpty());
    QCOMPARE(files(), before); // no answers file, no lock, nothing

    // The answers an earlier run stored are counted from the file.
    QCOMPARE(request("POST", Page, Answer).status, 303);
    QCOMPARE(request("POST", Page, Answer).status, 303);
    m_collector = std::make_unique<Collector>(
        m_dir->path(), [] { return QDateTime::currentDateTime(); }, [](const QString &) {});
    listed = m_collector->surveys();
    QCOMPARE(listed[0].answers, 2);
    QCOMPARE(listed[0].answersFile, file(QStringLiteral("My Product Survey answers.csv")));
}

void TestCollector::pagesSpeakTheRespondentsLanguage_data() {
    QTest::addColumn<QString>("survey");
    QTest::addColumn<QStringList>("offered");
    QTest::addColumn<QByteArray>("acceptLanguage");
    QTest::addColumn<QByteArray>("pages"); // how the collector's pages declare themselves
    QTest::addColumn<QByteArray>("surveyPage");
    QTest::addColumn<QByteArray>("required"); // the mark, in the survey's language

    const QByteArray german = "<html lang=\"de\" dir=\"ltr\">";
    const QByteArray english = "<html lang=\"en\" dir=\"ltr\">";
    QTest::newRow("a German survey")
        << "de" << QStringList() << QByteArray() << german << german << QByteArray("(Pflichtfeld)");
    QTest::newRow("a French browser, French not offered")
        << "de" << QStringList() << QByteArray("fr-FR,fr") << german << german
        << QByteArray("(Pflichtfeld)");
    QTest::newRow("German offered to an Austrian browser")
        << "en" << QStringList{"de", "fr"} << QByteArray("de-AT, en;q=0.5") << german << english
        << QByteArray("(required)");
    QTest::newRow("by weight, q=0 never")
        << "en" << QStringList{"de", "fr"} << QByteArray("en;q=0.1, fr;q=0, de;q=0.9") << german
        << english << QByteArray("(required)");
    QTest::newRow("every language offered, an Arabic browser")
        << "en" << QStringList{"*"} << QByteArray("ar-EG,ar;q=0.9")
        << QByteArray("<html lang=\"ar\" dir=\"rtl\">") << english << QByteArray("(required)");
    QTest::newRow("an Arabic survey")
        << "ar" << QStringList() << QByteArray() << QByteArray("<html lang=\"ar\" dir=\"rtl\">")
        << QByteArray("<html lang=\"ar\" dir=\"rtl\">") << QByteArray("(مطلوب)");
    // Its own words stay English where there is no translation, and say so.
    QTest::newRow("a Portuguese survey")
        << "pt-BR" << QStringList{"de"} << QByteArray("pt-BR, de;q=0.5") << english
        << QByteArray("<html lang=\"pt-BR\" dir=\"ltr\">")
        << QByteArray("<span class=\"required\" lang=\"en\" dir=\"ltr\">(required)");
    QTest::newRow("a header of junk")
        << "en" << QStringList{"de"} << QByteArray(20000, ';') + "de;q=x,*;q=1,;,," << english
        << english << QByteArray("(required)");
}

// Every page of the collector's own a respondent can meet, in the language
// chosen: declared so, with no English word left in a German one. The
// organiser's words (the title, the questions) and the respondent's are
// left as written, each in its own direction.
void TestCollector::pagesSpeakTheRespondentsLanguage() {
    QFETCH(QString, survey);
    QFETCH(QStringList, offered);
    QFETCH(QByteArray, acceptLanguage);
    QFETCH(QByteArray, pages);
    QFETCH(QByteArray, surveyPage);
    QFETCH(QByteArray, required);
    m_collector->setLanguages(Languages(survey, offered));
    m_collector->setRequired(QStringLiteral("My Product Survey.htm"), {true, {}});
    const auto ask = [&](const QByteArray &method, const QByteArray &path, const QByteArray &body,
                         const QByteArray &type = "application/x-www-form-urlencoded") {
        HttpRequest request{method,
                            path.split('?').first(),
                            path.contains('?') ? path.split('?').last() : QByteArray(),
                            type,
                            body,
                            QStringLiteral("127.0.0.1")};
        request.acceptLanguage = acceptLanguage;
        return m_collector->handle(request);
    };
    const HttpResponse form = ask("GET", Page, {});
    QVERIFY2(form.body.contains(surveyPage), form.body.left(200).constData());
    QVERIFY(form.body.contains(required));

    // Where respondents have the surveys' language, the organiser's pages
    // (the results link, the summary) are in it too.
    QList<HttpResponse> organisers;
    if (offered.isEmpty()) {
        QCOMPARE(ask("POST", Page, Answer).status, 303);
        QVERIFY(m_collector->writeSummaries());
        m_collector->setResultsToken(Token);
        for (const char *page :
             {"", "answers/My%20Product%20Survey.htm", "schedule/My%20Product%20Survey.htm",
              "required/My%20Product%20Survey.htm", "My%20Product%20Survey%20summary.html"})
            organisers << ask("GET", "/results/" + Token + '/' + page, {});
    }
    QList<HttpResponse> responses{ask("GET", "/", {}),
                                  ask("GET", "/nothing/here", {}),
                                  ask("GET", Page + "?answered", {}),
                                  ask("PUT", Page, {}),
                                  ask("POST", Page, "{}", "application/json"),
                                  ask("POST", Page, "4=" + QByteArray(20001, 'x')),
                                  ask("POST", Page, "1=Phone")};
    m_collector->setSchedule(QStringLiteral("My Product Survey.htm"),
                             {m_now.addSecs(-3600), std::nullopt});
    responses << ask("GET", Page, {}) << ask("POST", Page, Answer);
    QList<int> statuses{200, 404, 200, 405, 415, 413, 422, 200, 410};
    statuses << QList<int>(organisers.size(), 200);
    responses << organisers;
    static const QRegularExpression theirWords(
        QStringLiteral("<style>.*?</style>|<bdi>.*?</bdi>|<(\\w+)[^>]*dir=\"auto\"[^>]*>.*?</"
                       "\\1>|<title>.*?</title>|"
                       "My Product Survey|<[^>]*>"));
    static const QRegularExpression english(
        QStringLiteral("\\b(the|your|you|this|not|and|answers?|surveys?|please|again|here|form|"
                       "saved|closed|back|try|found|large)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    for (qsizetype i = 0; i < responses.size(); ++i) {
        const HttpResponse &response = responses[i];
        QCOMPARE(response.status, statuses[i]);
        QVERIFY2(response.body.contains(pages), response.body.constData());
        QCOMPARE(response.headers.contains({"Vary", "Accept-Language"}),
                 !offered.isEmpty() && i < statuses.size() - organisers.size());
        if (pages.contains("\"de\"")) {
            const QString text = QString::fromUtf8(response.body).remove(theirWords);
            const QRegularExpressionMatch word = english.match(text);
            QVERIFY2(!word.hasMatch(), qPrintable(word.captured() + QStringLiteral(": ") + text));
        }
    }
}

void TestCollector::respondentPageIsBuiltForEveryone_data() {
    QTest::addColumn<QByteArray>("expected");

    for (const char *part :
         {"<!DOCTYPE html>", "<html lang=\"de-CH\" dir=\"ltr\">", "name=\"viewport\"",
          "<meta name=\"robots\" content=\"noindex\">", "<main>",
          // The organiser's words in their own direction, the collector's in
          // the survey's language.
          "<h1 dir=\"auto\">My Product Survey</h1>",
          "<label for=\"UserName\">Geben Sie Ihren Namen ein:</label>",
          "type=\"text\" inputmode=\"email\" id=\"UserEmail\" name=\"UserEmail\" value=\"\" "
          "autocomplete=\"email\"",
          // Enter in a box sends nothing: the first button submits by "dialog".
          "<form method=\"post\" action=\"My%20Product%20Survey.htm\" "
          "accept-charset=\"utf-8\">\n<button type=\"submit\" "
          "formmethod=\"dialog\" hidden tabindex=\"-1\"></button>",
          "<fieldset><legend id=\"q1\" dir=\"auto\">1) What product did you test?</legend>",
          "<input type=\"text\" id=\"i1\" name=\"1\" aria-labelledby=\"q1\" dir=\"auto\">",
          // A code shared by two options: each posts its words.
          "<label class=\"option\"><input type=\"radio\" name=\"2\" value=\"b) Maybe\">"
          "<span dir=\"auto\">b) Maybe</span></label>",
          "<label class=\"option\"><input type=\"checkbox\" name=\"3) a)\" value=\"a) Poor\">",
          // A name of its own: posts as the page file does.
          "<label class=\"option\"><input type=\"checkbox\" name=\"3) b)\"><span dir=\"auto\">",
          "<textarea id=\"i8\" name=\"4\" rows=\"4\" aria-labelledby=\"q4\" "
          "dir=\"auto\"></textarea>",
          "<input type=\"hidden\" name=\"_charset_\">",
          "<button type=\"submit\" name=\"14:03:27|08-31-2021\" value=\"FINISHED\">FERTIG",
          "background-image:url(\"background.gif\")"})
        QTest::newRow(part) << QByteArray(part);
}

void TestCollector::respondentPageIsBuiltForEveryone() {
    QFETCH(QByteArray, expected);
    m_collector->setLanguages(Languages(QStringLiteral("de-CH")));
    const HttpResponse page = request("GET", Page);
    QVERIFY2(page.body.contains(expected), page.body.constData());
    QCOMPARE(page.body.count("<fieldset>"), 4);
    QVERIFY(!page.body.contains("<script"));
    QVERIFY(page.headers.contains({"X-Robots-Tag", "noindex"}));
    // A fresh answer ID each time the page is loaded.
    const QRegularExpression id(
        QStringLiteral("name=\"velmora-answer-id\" value=\"([0-9a-f]{32})\""));
    const QString first = id.match(QString::fromUtf8(page.body)).captured(1);
    QCOMPARE(first.size(), 32);
    QVERIFY(id.match(QString::fromUtf8(request("GET", Page).body)).captured(1) != first);
}

void TestCollector::everyChoiceIsKept() {
    // "b) Maybe" and "a) Poor" share their codes with "b) No" and "a) Good".
    const QByteArray body = "_charset_=UTF-8&UserName=Ann&2=b%29+Maybe&3%29+a%29=a%29+Poor&1=x";
    QCOMPARE(request("POST", Page, body).status, 303);
    const QList<QStringList> rows = records();
    QCOMPARE(rows[0].value(5),
             QStringLiteral("2) Would you use this product again? (the options' words)"));
    QCOMPARE(rows[1].value(5), QStringLiteral("b) Maybe"));
    QCOMPARE(rows[1].value(6), QStringLiteral("a) Poor"));

    m_collector->writeSummaries();
    const QString summary =
        QString::fromUtf8(fileContent(file(QStringLiteral("My Product Survey summary.html"))));
    static const QRegularExpression bar(QStringLiteral(
        "<td class=\"option\" dir=\"auto\">([^<]*)</td>.*?<td class=\"count\">([^<]*)</td>"));
    QStringList bars;
    for (auto it = bar.globalMatch(summary); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        bars.append(m.captured(1) + QLatin1Char('=') + m.captured(2));
    }
    QCOMPARE(bars, (QStringList{"a) Yes=0 (0.0%)", "b) No=0 (0.0%)", "b) Maybe=1 (100.0%)",
                                "a) Good=0 (0.0%)", "a) Poor=1 (100.0%)", "b) Average=0 (0.0%)"}));
    QVERIFY(!summary.contains(QStringLiteral("post the same answer")));
}

void TestCollector::oneAnswerIdOneRow() {
    const QByteArray id = "0123456789abcdef0123456789abcdef";
    const QByteArray body = "_charset_=UTF-8&1=once&velmora-answer-id=" + id;
    // A double press: the second post comes while the first is being stored.
    std::atomic<int> replies = 0;
    std::atomic<int> acknowledged = 0;
    const HttpRequest post{"POST", Page, {}, "application/x-www-form-urlencoded", body, QString()};
    for (int i = 0; i < 2; ++i)
        m_collector->handle(post, [&](HttpResponse response) {
            acknowledged += response.status == 303 ? 1 : 0;
            ++replies;
        });
    QTRY_COMPARE(replies.load(), 2);
    QCOMPARE(acknowledged.load(), 2);
    QCOMPARE(request("POST", Page, body).status, 303); // Back and FINISHED again
    QCOMPARE(records().size(), 2);

    // After a restart too, and another answer is not held up by it.
    m_collector = std::make_unique<Collector>(
        m_dir->path(), [] { return QDateTime::currentDateTime(); }, [](const QString &) {});
    QCOMPARE(request("POST", Page, body).status, 303);
    QCOMPARE(records().size(), 2);
    QCOMPARE(
        request("POST", Page, "1=other&velmora-answer-id=ffffffffffffffffffffffffffffffff").status,
        303);
    QCOMPARE(request("POST", Page, "1=no+ID").status, 303);
    QCOMPARE(request("POST", Page, "1=no+ID").status, 303);
    const QList<QStringList> rows = records();
    QCOMPARE(rows.size(), 5);
    QCOMPARE(rows[1].last(), QString::fromLatin1(id));
}

void TestCollector::testAnswersAreRemovedAndBroughtBack_data() {
    QTest::addColumn<QByteArray>("origin");
    QTest::addColumn<QByteArray>("fetchSite");
    QTest::addColumn<bool>("moved");
    QTest::newRow("the results link's own page")
        << QByteArray("http://127.0.0.1:8080") << QByteArray("same-origin") << true;
    QTest::newRow("a tool that says nothing") << QByteArray() << QByteArray() << true;
    QTest::newRow("another site") << QByteArray("https://evil.example") << QByteArray("cross-site")
                                  << false;
    QTest::newRow("another site, an older browser")
        << QByteArray("https://evil.example") << QByteArray() << false;
}

void TestCollector::testAnswersAreRemovedAndBroughtBack() {
    QFETCH(QByteArray, origin);
    QFETCH(QByteArray, fetchSite);
    QFETCH(bool, moved);
    const QByteArray test = "0123456789abcdef0123456789abcdef";
    QCOMPARE(request("POST", Page, "UserName=Ann&2=+a%29&velmora-answer-id=" + QByteArray(32, 'a'))
                 .status,
             303);
    QCOMPARE(request("POST", Page, "UserName=test&2=+b%29&velmora-answer-id=" + test).status, 303);
    m_collector->setResultsToken(Token);
    HttpRequest remove{"POST",       "/results/" + Token + "/answers/My%20Product%20Survey.htm",
                       {},           "application/x-www-form-urlencoded",
                       "id=" + test, QStringLiteral("127.0.0.1")};
    remove.host = "127.0.0.1:8080";
    remove.origin = origin;
    remove.fetchSite = fetchSite;
    const HttpResponse removed = m_collector->handle(remove);
    QCOMPARE(removed.status, moved ? 200 : 403);
    const auto names = [this](const QString &name) {
        QStringList all;
        for (const QStringList &record : AnswersFile::parseRecords(fileContent(file(name))))
            all.append(record.value(2));
        return all;
    };
    const QString answers = QStringLiteral("My Product Survey answers.csv");
    const QString aside = QStringLiteral("My Product Survey answers removed.csv");
    if (!moved) {
        QCOMPARE(names(answers).size(), 3);
        QVERIFY(!QFileInfo::exists(file(aside)));
        return;
    }
    QVERIFY(removed.body.contains("1 answer removed"));
    QCOMPARE(names(answers), (QStringList{"Name", "Ann"}));
    QCOMPARE(names(aside), (QStringList{"Name", "test"}));
    // The next answer does not bring it back, and the summary counts without it.
    QCOMPARE(request("POST", Page, "UserName=Bo&2=+a%29").status, 303);
    QCOMPARE(names(answers), (QStringList{"Name", "Ann", "Bo"}));
    QVERIFY(m_collector->writeSummaries());
    const QByteArray summary = fileContent(file(QStringLiteral("My Product Survey summary.html")));
    QVERIFY2(summary.contains("2 answers") && summary.contains("2 (100.0%)"), summary);

    // Brought back from the same page.
    remove.body = "restore=1&id=" + test;
    QVERIFY(m_collector->handle(remove).body.contains("1 answer brought back"));
    QCOMPARE(names(answers), (QStringList{"Name", "Ann", "Bo", "test"}));
    QCOMPARE(names(aside), QStringList{"Name"});
    remove.method = "GET";
    remove.body.clear();
    const QByteArray page = m_collector->handle(remove).body;
    QVERIFY(page.contains("value=\"" + test + "\""));
}

void TestCollector::anAnswerChangedAfterSendingIsNeverDropped_data() {
    QTest::addColumn<QString>("choice"); // the button pressed on the page that asks
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("counted"); // texts the summary lists for question 1

    QTest::newRow("not answered yet: nothing stored") << QString() << 1 << QStringList{"first"};
    QTest::newRow("a correction") << "A correction: replace the answers I sent" << 2
                                  << QStringList{"changed"};
    QTest::newRow("someone else's")
        << "Someone else&#39;s: keep both" << 2 << QStringList{"changed", "first"};
}

void TestCollector::anAnswerChangedAfterSendingIsNeverDropped() {
    QFETCH(QString, choice);
    QFETCH(int, rows);
    QFETCH(QStringList, counted);
    const QByteArray id = "&velmora-answer-id=0123456789abcdef0123456789abcdef";
    QCOMPARE(request("POST", Page, "_charset_=UTF-8&1=first" + id).status, 303);
    // Back, a change, FINISHED: the same answer ID with other answers.
    const HttpResponse asked = request("POST", Page, "_charset_=UTF-8&1=changed" + id);
    QCOMPARE(asked.status, 409);
    QCOMPARE(records().size(), 2);
    if (!choice.isEmpty()) {
        // The form of the button pressed, posted as the browser would.
        const QString html = QString::fromUtf8(asked.body);
        const qsizetype button = html.indexOf(choice);
        QVERIFY(button > 0);
        const qsizetype start = html.lastIndexOf(QStringLiteral("<form"), button);
        QByteArray body;
        static const QRegularExpression hidden(
            QStringLiteral("name=\"([^\"]*)\" value=\"([^\"]*)\""));
        for (auto it = hidden.globalMatch(html.mid(start, button - start)); it.hasNext();) {
            const QRegularExpressionMatch field = it.next();
            body += QUrl::toPercentEncoding(field.captured(1)) + '=' +
                    QUrl::toPercentEncoding(field.captured(2)) + '&';
        }
        QCOMPARE(request("POST", Page, body).status, 303);
    }
    QCOMPARE(records().size(), 1 + rows);

    // The summary counts what the respondents chose, now and after a restart.
    for (int run = 0; run < 2; ++run) {
        QVERIFY(m_collector->writeSummaries(run == 1));
        const QByteArray summary =
            fileContent(file(QStringLiteral("My Product Survey summary.html")));
        QVERIFY2(summary.contains(QByteArray::number(counted.size()) + " answer"), summary);
        for (const QString &text : {QStringLiteral("first"), QStringLiteral("changed")})
            QCOMPARE(summary.contains("<li dir=\"auto\">" + text.toUtf8() + "</li>"),
                     counted.contains(text));
        m_collector = std::make_unique<Collector>(
            m_dir->path(), [] { return QDateTime::currentDateTime(); }, [](const QString &) {});
    }
}

void TestCollector::pagesLeadOn() {
    QVERIFY(request("GET", "/nothing.htm").body.contains("href=\"./\""));
    QVERIFY(request("GET", Page + "?answered").body.contains("href=\"./\""));
    const HttpResponse icon = request("GET", "/favicon.ico");
    QCOMPARE(icon.status, 200);
    QCOMPARE(icon.contentType, QByteArray("image/png"));
    QVERIFY(icon.body.startsWith("\x89PNG"));
    m_collector->setListed(false);
    QVERIFY(!request("GET", "/nothing.htm").body.contains("href=\"./\""));
}

void TestCollector::listCanBeTurnedOff() {
    m_collector->setListed(false);
    QCOMPARE(request("GET", "/").status, 404);
    QVERIFY(!request("GET", "/").body.contains("My Product Survey"));
    QCOMPARE(request("GET", Page).status, 200);
    QCOMPARE(request("POST", Page, Answer).status, 303);
}

void TestCollector::answersAndSummariesAreOwnerOnly_data() {
    QTest::addColumn<bool>("olderSummary");
    QTest::addColumn<bool>("group");

    QTest::newRow("new files") << false << false;
    QTest::newRow("a summary of an earlier version keeps its mode") << true << false;
    QTest::newRow("new files, with a group chosen") << false << true;
}

void TestCollector::answersAndSummariesAreOwnerOnly() {
    QFETCH(bool, olderSummary);
    QFETCH(bool, group);
    if (group)
        m_collector->setFileMode(AnswersFile::GroupMode);
    const QString summary = file(QStringLiteral("My Product Survey summary.html"));
    const QFile::Permissions ownerOnly =
        QFile::ReadOwner | QFile::WriteOwner | (group ? QFile::ReadGroup : QFile::Permissions());
    const QFile::Permissions older =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    if (olderSummary) {
        write(QStringLiteral("My Product Survey summary.html"), "older");
        QVERIFY(QFile::setPermissions(summary, older));
    }
    QCOMPARE(request("POST", Page, Answer).status, 303);
    m_collector->writeSummaries();

    const QFile::Permissions modeBits(0xF0FF);
    QCOMPARE(QFileInfo(file(QStringLiteral("My Product Survey answers.csv"))).permissions() &
                 modeBits,
             ownerOnly);
    QCOMPARE(QFileInfo(summary).permissions() & modeBits, olderSummary ? older : ownerOnly);
    QVERIFY(fileContent(summary).contains("1 answer"));
}

QTEST_GUILESS_MAIN(TestCollector)
#include "tst_collector.moc"
