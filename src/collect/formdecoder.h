#pragma once

// Decoding a posted HTML form.
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace Velmora {

struct FormField {
    QString name;
    QString value;
    bool operator==(const FormField &) const = default;
};

// Decodes a form body as browsers post it from a page in windows-1252
// (application/x-www-form-urlencoded): "+" is a blank, %XX a byte, the bytes are
// windows-1252 with the WHATWG mapping of 0x80 to 0x9F, and a numeric character
// reference (&#20013; or &#x4E2D;) is the character the page's encoding could
// not hold. A respondent who types "&#937;" literally cannot be told from one who
// types the character itself: the form sends both the same way.
//
// A form whose hidden "_charset_" field says UTF-8 (as the collector's own pages
// post) is UTF-8 instead, references and all left as typed, and that field is
// left out.
//
// Nothing when the body is no such form: broken percent-encoding, bytes that
// a browser would have percent-encoded (blanks, control characters, non-ASCII),
// or broken UTF-8.
std::optional<QList<FormField>> decodeForm(QByteArrayView body);

// The bytes as windows-1252, each byte one character.
QString decodeWindows1252(QByteArrayView bytes);
// Numeric character references resolved; anything else is left as it stands.
QString resolveCharacterReferences(const QString &text);

} // namespace Velmora
