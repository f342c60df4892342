#include "startup.h"

#include "runtimeerror.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

#include <cmath>

namespace Velmora {

QString deriveApplicationTitle(const QString &productName) {
    QString title = productName;
    do {
        const qsizetype blank = title.lastIndexOf(QLatin1Char(' '));
        if (blank < 0)
            break;
        title.truncate(blank);
    } while (title.size() > 40);
    return title;
}

void openHomePageSometimes(Platform &platform, const QString &address) {
    const int n = int(std::floor(platform.random() * 100)) + 1;
    if (n == 7 && !platform.openUrl(QUrl(address)))
        throw RuntimeError(ErrorText::fileNotFound());
}

QIcon programIcon() {
    QIcon icon;
    for (const int size : {16, 32, 64}) {
        // Told the format, the reader goes straight to the built-in PNG decoder;
        // left to guess, it loads every image plugin to ask each one first.
        QImageReader reader(QStringLiteral(":/velmora/velmora-%1.png").arg(size), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

QCursor loadCursorFile(const QString &path, qreal devicePixelRatio) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(ErrorText::fileNotFound());
    const QByteArray bytes = file.readAll();
    const QImage image = QImage::fromData(bytes, "ICO");
    // Header: reserved, type 2 (cursor), count; then the first entry, whose
    // planes and bit-count words hold the hot spot in a cursor file.
    if (image.isNull() || bytes.size() < 22 ||
        qFromLittleEndian<quint16>(bytes.constData() + 2) != 2)
        throw RuntimeError(ErrorText::invalidPicture());
    const int hotX = qFromLittleEndian<quint16>(bytes.constData() + 10);
    const int hotY = qFromLittleEndian<quint16>(bytes.constData() + 12);
    // On a dense screen the themed pointers are drawn larger; the hand keeps up.
    QPixmap pixmap = QPixmap::fromImage(
        devicePixelRatio == 1.0 ? image
                                : image.scaled(image.size() * devicePixelRatio, Qt::KeepAspectRatio,
                                               Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return QCursor(pixmap, hotX, hotY);
}

} // namespace Velmora
