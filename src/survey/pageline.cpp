#include "pageline.h"

#include <QChar>

namespace Velmora {

namespace {

// Browsers read the bytes 0x80 to 0x9F of an ISO-8859-1 page, and references to
// them, as windows-1252: an invisible control character would show as "€".
bool isC1Control(char16_t c) {
    return c >= 0x80 && c <= 0x9F;
}

bool isPlainByte(char16_t c, bool insideAttribute) {
    return c < 0x100 && !isC1Control(c) && !(insideAttribute && (c == u'&' || c == u'"'));
}

} // namespace

PageLine &PageLine::text(QStringView typed) {
    append(typed, false);
    return *this;
}

PageLine &PageLine::attribute(QStringView typed) {
    append(typed, true);
    return *this;
}

void PageLine::append(QStringView typed, bool insideAttribute) {
    const char16_t *chars = typed.utf16();
    const qsizetype size = typed.size();
    qsizetype i = 0;
    while (i < size) {
        // Copy the longest run of characters that need no translation in one go.
        qsizetype end = i;
        while (end < size && isPlainByte(chars[end], insideAttribute))
            ++end;
        if (end > i) {
            const qsizetype start = m_bytes.size();
            m_bytes.resize(start + (end - i));
            char *out = m_bytes.data() + start;
            for (qsizetype k = i; k < end; ++k)
                *out++ = char(chars[k]);
            i = end;
            continue;
        }

        const char16_t c = chars[i++];
        if (c == u'&') {
            m_bytes.append("&amp;");
        } else if (c == u'"') {
            m_bytes.append("&quot;");
        } else {
            char32_t codePoint = c;
            if (QChar::isHighSurrogate(c) && i < size && QChar::isLowSurrogate(chars[i]))
                codePoint = QChar::surrogateToUcs4(c, chars[i++]);
            else if (QChar::isSurrogate(c) || isC1Control(c))
                codePoint = QChar::ReplacementCharacter; // no character a page can show as typed
            m_bytes.append("&#").append(QByteArray::number(uint(codePoint))).append(';');
        }
    }
}

} // namespace Velmora
