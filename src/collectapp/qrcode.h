#pragma once

#include <QImage>
#include <QString>

namespace Velmora {

// The QR code of `text`, black on white with the quiet zone scanners need,
// `module` pixels a square. A null image when the text cannot be encoded.
QImage qrCodeImage(const QString &text, int module);

} // namespace Velmora
