#include "tempsettings.h"

#include <QProcess>
#include <QTest>

// Two copies of the program running at once share the settings: the last save of
// each key wins, and no copy writes back a key it did not change.
class TestTwoCopies : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void lastSaveOfEachKeyWins_data();
    void lastSaveOfEachKeyWins();

private:
    QProcess *start();
    static void type(QProcess *copy, const QString &field, const QString &text);

    std::unique_ptr<TempSettings> m_settings;
    QList<QProcess *> m_copies;
};

void TestTwoCopies::init() {
    m_settings = std::make_unique<TempSettings>();
    TempSettings::store(QStringLiteral("Title"), QStringLiteral("Title"));
    TempSettings::store(QStringLiteral("Message"), QStringLiteral("Message"));
}

void TestTwoCopies::cleanup() {
    for (QProcess *copy : std::as_const(m_copies)) {
        copy->closeWriteChannel();
        if (!copy->waitForFinished(10000))
            copy->kill();
        delete copy;
    }
    m_copies.clear();
}

QProcess *TestTwoCopies::start() {
    auto *copy = new QProcess;
    m_copies.append(copy);
    copy->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    copy->start(QCoreApplication::applicationDirPath() + QStringLiteral("/typist"),
                {m_settings->folder()});
    if (!copy->waitForReadyRead(20000) || copy->readLine().trimmed() != "ready")
        return nullptr;
    return copy;
}

void TestTwoCopies::type(QProcess *copy, const QString &field, const QString &text) {
    copy->write((field + QLatin1Char(' ') + text + QLatin1Char('\n')).toUtf8());
    QVERIFY(copy->waitForReadyRead(20000));
    QCOMPARE(copy->readLine().trimmed(), QByteArray("typed"));
}

using Steps = QList<QStringList>; // copy ("A" or "B"), field, text typed

void TestTwoCopies::lastSaveOfEachKeyWins_data() {
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");

    QTest::newRow("different fields") << Steps{{"B", "titleEdit", " by B"},
                                               {"A", "messageEdit", " by A"},
                                               {"B", "titleEdit", "!"}}
                                      << "Title by B!"
                                      << "Message by A";
    QTest::newRow("the same field, in turn")
        << Steps{{"A", "titleEdit", " A"}, {"B", "titleEdit", " B"}, {"A", "messageEdit", "."}}
        << "Title B"
        << "Message.";
    QTest::newRow("the same field, back again")
        << Steps{{"A", "titleEdit", " A"}, {"B", "titleEdit", " B"}, {"A", "titleEdit", "A"}}
        << "Title AA"
        << "Message";
}

void TestTwoCopies::lastSaveOfEachKeyWins() {
    QFETCH(Steps, steps);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QProcess *a = start();
    QProcess *b = start();
    QVERIFY(a && b);

    for (const QStringList &step : steps) {
        type(step[0] == QLatin1String("A") ? a : b, step[1], step[2]);
        if (QTest::currentTestFailed())
            return;
    }

    QCOMPARE(TempSettings::readThroughQSettings(m_settings->filePath(), QStringLiteral("Title")),
             QVariant(title));
    QCOMPARE(TempSettings::readThroughQSettings(m_settings->filePath(), QStringLiteral("Message")),
             QVariant(message));
}

QTEST_GUILESS_MAIN(TestTwoCopies)
#include "tst_twocopies.moc"
