#include "runtimeerror.h"
#include "startup.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace Velmora;

class TestStartupRoutines : public QObject {
    Q_OBJECT

private slots:
    void applicationTitle_data();
    void applicationTitle();
    void cursorFile_data();
    void cursorFile();
    void windowIcon();
};

void TestStartupRoutines::applicationTitle_data() {
    QTest::addColumn<QString>("productName");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no blank: whole name") << "Velmora"
                                          << "Velmora";
    QTest::newRow("four words, 30 characters") << "Kestrand Velmora Survey Writer"
                                               << "Kestrand Velmora Survey";
    // 50 characters; the first cut leaves 43, the second 36.
    QTest::newRow("long name loses two words")
        << "Kestrand Velmora Survey Writer Suite abcdef ghijkl"
        << "Kestrand Velmora Survey Writer Suite";
    QTest::newRow("trailing blank is the one cut") << "Velmora "
                                                   << "Velmora";
}

void TestStartupRoutines::applicationTitle() {
    QFETCH(QString, productName);
    QFETCH(QString, expected);
    QCOMPARE(deriveApplicationTitle(productName), expected);
}

namespace {

QByteArray cursorBytes(int hotX, int hotY) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixelColor(hotX, hotY, Qt::black);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(image))
        return {};
    QByteArray bytes = buffer.data();
    // An icon file turns into a cursor file by its type and the hot spot words.
    qToLittleEndian<quint16>(2, bytes.data() + 2);
    qToLittleEndian<quint16>(quint16(hotX), bytes.data() + 10);
    qToLittleEndian<quint16>(quint16(hotY), bytes.data() + 12);
    return bytes;
}

} // namespace

void TestStartupRoutines::cursorFile_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QPoint>("hotSpot");

    QTest::newRow("hand with its finger tip") << cursorBytes(6, 1) << QPoint(6, 1);
    QTest::newRow("hot spot at the origin") << cursorBytes(0, 0) << QPoint(0, 0);
    QTest::newRow("not a picture") << QByteArray("text") << QPoint(-1, -1);
    QByteArray icon = cursorBytes(3, 3);
    qToLittleEndian<quint16>(1, icon.data() + 2);
    QTest::newRow("an icon is no cursor") << icon << QPoint(-1, -1);
}

void TestStartupRoutines::cursorFile() {
    QFETCH(QByteArray, content);
    QFETCH(QPoint, hotSpot);
    QVERIFY(!content.isEmpty());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("HAND-M.CUR"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();

    if (hotSpot.x() < 0) {
        QVERIFY_THROWS_EXCEPTION(RuntimeError, loadCursorFile(path));
        return;
    }
    const QCursor cursor = loadCursorFile(path);
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.hotSpot(), hotSpot);
    QCOMPARE(cursor.pixmap().size(), QSize(32, 32));

    // At scale 2 the hand is drawn with twice the pixels, at the same place.
    const QCursor dense = loadCursorFile(path, 2.0);
    QCOMPARE(dense.pixmap().size(), QSize(64, 64));
    QCOMPARE(dense.pixmap().devicePixelRatio(), 2.0);
    QCOMPARE(dense.hotSpot(), hotSpot);
}

void TestStartupRoutines::windowIcon() {
    // Every size a window manager asks for is there, decoded, not an empty slot.
    const QIcon icon = programIcon();
    QCOMPARE(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {64, 64}}));
    for (const QSize &size : icon.availableSizes()) {
        const QImage image = icon.pixmap(size).toImage();
        QCOMPARE(image.size(), size);
        QCOMPARE(qAlpha(image.pixel(size.width() / 2, size.height() / 2)), 255);
    }
}

QTEST_MAIN(TestStartupRoutines)
#include "tst_startuproutines.moc"
