// Decoding a posted HTML form, in the encoding it says.
#include "formdecoder.h"

#include <QStringDecoder>

namespace Velmora {

namespace {

constexpr QByteArrayView CharsetField = "_charset_";

// WHATWG's windows-1252 index for 0x80 to 0x9F; the five holes map to the C1
// controls of the same number, as browsers do.
constexpr char16_t HighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A browser percent-encodes everything but these.
bool isFormCharacter(char c) {
    return c > ' ' && c < 0x7F;
}

std::optional<QByteArray> percentDecoded(QByteArrayView part) {
    QByteArray bytes;
    bytes.reserve(part.size());
    for (qsizetype i = 0; i < part.size(); ++i) {
        const char c = part[i];
        if (!isFormCharacter(c))
            return std::nullopt;
        if (c == '+') {
            bytes += ' ';
        } else if (c == '%') {
            const int high = i + 2 < part.size() ? hexDigit(part[i + 1]) : -1;
            const int low = high >= 0 ? hexDigit(part[i + 2]) : -1;
            if (low < 0)
                return std::nullopt;
            bytes += char(high * 16 + low);
            i += 2;
        } else {
            bytes += c;
        }
    }
    return bytes;
}

std::optional<QString> decodePart(QByteArrayView part, bool utf8) {
    const std::optional<QByteArray> bytes = percentDecoded(part);
    if (!bytes)
        return std::nullopt;
    if (!utf8)
        return resolveCharacterReferences(decodeWindows1252(*bytes));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(*bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// The browser names the encoding it posts in when the form has a hidden
// "_charset_" field: the collector's own pages post UTF-8.
bool postedInUtf8(QByteArrayView body) {
    const QByteArray prefix = CharsetField.toByteArray() + '=';
    for (qsizetype start = 0; start <= body.size();) {
        qsizetype end = body.indexOf('&', start);
        if (end < 0)
            end = body.size();
        const QByteArrayView pair = body.sliced(start, end - start);
        if (pair.startsWith(prefix))
            return pair.sliced(prefix.size()).compare("UTF-8", Qt::CaseInsensitive) == 0;
        start = end + 1;
    }
    return false;
}

} // namespace

QString decodeWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const auto b = uchar(byte);
        *out++ = QChar(b >= 0x80 && b < 0xA0 ? HighControls[b - 0x80] : char16_t(b));
    }
    return text;
}

QString resolveCharacterReferences(const QString &text) {
    if (!text.contains(QLatin1String("&#")))
        return text;
    QString result;
    result.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype start = text.indexOf(QLatin1String("&#"), i);
        if (start < 0)
            break;
        result += QStringView(text).mid(i, start - i);
        const bool hex =
            start + 2 < text.size() && (text[start + 2] == u'x' || text[start + 2] == u'X');
        qsizetype j = start + 2 + (hex ? 1 : 0);
        char32_t code = 0;
        qsizetype digits = 0;
        for (; j < text.size(); ++j, ++digits) {
            const int d = text[j].unicode() < 0x80 ? hexDigit(char(text[j].unicode())) : -1;
            if (d < 0 || (!hex && d > 9))
                break;
            code = std::min<char32_t>(code * (hex ? 16 : 10) + char32_t(d), 0x110000);
        }
        if (digits == 0 || j >= text.size() || text[j] != u';') {
            result += QStringView(text).mid(start, 2); // not a reference: keep "&#"
            i = start + 2;
            continue;
        }
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            code = QChar::ReplacementCharacter;
        result += QString::fromUcs4(&code, 1);
        i = j + 1;
    }
    result += QStringView(text).mid(i);
    return result;
}

std::optional<QList<FormField>> decodeForm(QByteArrayView body) {
    const bool utf8 = postedInUtf8(body);
    QList<FormField> fields;
    qsizetype start = 0;
    while (start <= body.size()) {
        qsizetype end = body.indexOf('&', start);
        if (end < 0)
            end = body.size();
        const QByteArrayView pair = body.sliced(start, end - start);
        start = end + 1;
        if (pair.isEmpty())
            continue;
        const qsizetype equals = pair.indexOf('=');
        const std::optional<QString> name =
            decodePart(equals < 0 ? pair : pair.first(equals), utf8);
        const std::optional<QString> value =
            decodePart(equals < 0 ? QByteArrayView() : pair.sliced(equals + 1), utf8);
        if (!name || !value)
            return std::nullopt;
        if (*name != QLatin1String(CharsetField))
            fields.append({*name, *value});
    }
    return fields;
}

} // namespace Velmora
