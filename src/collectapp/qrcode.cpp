#include "qrcode.h"

#include <QPainter>

#include <qrencode.h>

namespace Velmora {

QImage qrCodeImage(const QString &text, int module) {
    QRcode *code = QRcode_encodeString(text.toUtf8().constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code)
        return {};
    constexpr int QuietZone = 4;
    const int side = (code->width + 2 * QuietZone) * module;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white); // dark on light whatever the theme: scanners need it
    QPainter painter(&image);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                painter.fillRect((x + QuietZone) * module, (y + QuietZone) * module, module, module,
                                 Qt::black);
    painter.end();
    QRcode_free(code);
    return image;
}

} // namespace Velmora
