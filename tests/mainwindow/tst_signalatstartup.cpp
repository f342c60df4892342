#include "tempsettings.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// A termination signal ends the program as closing its window does, also while
// start-up is still showing a report and there is no window yet.
class TestSignalAtStartUp : public QObject {
    Q_OBJECT

private slots:
    void signalDuringAStartUpReportEndsTheProgram_data();
    void signalDuringAStartUpReportEndsTheProgram();
};

void TestSignalAtStartUp::signalDuringAStartUpReportEndsTheProgram_data() {
    QTest::addColumn<int>("signal");

    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void TestSignalAtStartUp::signalDuringAStartUpReportEndsTheProgram() {
    QFETCH(int, signal);
    // A program folder whose hand pointer is no picture: start-up reports it
    // (line 110) before it restores the fields.
    QTemporaryDir program;
    const QString copy = program.filePath(QStringLiteral("velmora"));
    QVERIFY(QFile::copy(QStringLiteral(VELMORA_PROGRAM), copy));
    QVERIFY(QFile::setPermissions(copy, QFile::ReadOwner | QFile::ExeOwner));
    QFile cursor(program.filePath(QStringLiteral("HAND-M.CUR")));
    QVERIFY(cursor.open(QIODevice::WriteOnly));
    cursor.write("not a cursor");
    cursor.close();

    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString settings = home.filePath(QStringLiteral("Kestrand/Velmora.conf"));
    QProcess velmora;
    velmora.setProcessEnvironment(environment);
    velmora.start(copy, {});
    QVERIFY(velmora.waitForStarted());

    // Start-up takes a fraction of this; then it waits for the report to be closed.
    QTest::qWait(1500);
    QCOMPARE(velmora.state(), QProcess::Running);
    QVERIFY2(!QFile::exists(settings), "the report shows before the fields are restored");
    // A file-size limit is a failed write to report, not an end.
    QFile status(QStringLiteral("/proc/%1/status").arg(velmora.processId()));
    QVERIFY(status.open(QIODevice::ReadOnly));
    const QByteArray proc = status.readAll();
    const qsizetype at = proc.indexOf("SigIgn:");
    const QByteArray ignored = proc.mid(at + 7, proc.indexOf('\n', at) - at - 7).trimmed();
    QVERIFY2(at >= 0 && (ignored.toULongLong(nullptr, 16) >> (SIGXFSZ - 1)) & 1, ignored);
    ::kill(pid_t(velmora.processId()), signal);

    const bool ended = velmora.waitForFinished(10000);
    if (!ended)
        velmora.kill();
    QVERIFY2(ended, "the program kept running after the signal");
    QCOMPARE(velmora.exitStatus(), QProcess::NormalExit);
    QCOMPARE(velmora.exitCode(), 0);
    // What start-up saved is on the disk: every restored field.
    QCOMPARE(TempSettings::readThroughQSettings(settings, QStringLiteral("Output Folder")),
             QVariant(home.path() + QLatin1Char('/')));
}

QTEST_GUILESS_MAIN(TestSignalAtStartUp)
#include "tst_signalatstartup.moc"
