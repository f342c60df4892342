#include "pageline.h"

#include <QChar>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace Velmora {

namespace {

// Browsers read the bytes 0x80 to 0x9F of an ISO-8859-1 page, and references to
// them, as windows-1252: an invisible control character would show as "€".
bool isC1Control(char16_t c) {
    return c >= 0x80 && c <= 0x9F;
}

template <bool InsideAttribute> bool isPlainByte(char16_t c) {
    return c < 0x100 && !isC1Control(c) && !(InsideAttribute && (c == u'&' || c == u'"'));
}

// How many of the first `size` characters are ASCII needing no translation,
// eight at a time; at least `size` rounded down to eight when all are.
template <bool InsideAttribute> qsizetype plainAsciiBlocks(const char16_t *chars, qsizetype size) {
    qsizetype i = 0;
#ifdef __SSE2__
    const __m128i nonAscii = _mm_set1_epi16(short(0xFF80));
    const __m128i ampersand = _mm_set1_epi16('&');
    const __m128i quote = _mm_set1_epi16('"');
    for (; i + 8 <= size; i += 8) {
        const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i *>(chars + i));
        __m128i special = _mm_and_si128(eight, nonAscii);
        special = _mm_xor_si128(_mm_cmpeq_epi16(special, _mm_setzero_si128()),
                                _mm_set1_epi16(-1)); // lanes that are not ASCII
        if constexpr (InsideAttribute)
            special = _mm_or_si128(special, _mm_or_si128(_mm_cmpeq_epi16(eight, ampersand),
                                                         _mm_cmpeq_epi16(eight, quote)));
        if (_mm_movemask_epi8(special) != 0)
            break;
    }
#else
    Q_UNUSED(chars);
    Q_UNUSED(size);
#endif
    return i;
}

// The characters that need no translation, one byte each, as far as they go:
// most lines are nothing else. Returns how many were copied.
template <bool InsideAttribute>
qsizetype appendPlainRun(std::string &bytes, const char16_t *chars, qsizetype size) {
    const size_t start = bytes.size();
    bytes.resize(start + size_t(size));
    char *out = bytes.data() + start;
    qsizetype i = plainAsciiBlocks<InsideAttribute>(chars, size);
    for (qsizetype k = 0; k < i; ++k) // all ASCII: the compiler packs these eight at a time
        out[k] = char(chars[k]);
    while (i < size && isPlainByte<InsideAttribute>(chars[i])) {
        out[i] = char(chars[i]);
        ++i;
    }
    bytes.resize(start + size_t(i));
    return i;
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
        i += insideAttribute ? appendPlainRun<true>(m_bytes, chars + i, size - i)
                             : appendPlainRun<false>(m_bytes, chars + i, size - i);
        if (i == size)
            break;

        const char16_t c = chars[i++];
        if (c == u'&') {
            markup("&amp;");
        } else if (c == u'"') {
            markup("&quot;");
        } else {
            char32_t codePoint = c;
            if (QChar::isHighSurrogate(c) && i < size && QChar::isLowSurrogate(chars[i]))
                codePoint = QChar::surrogateToUcs4(c, chars[i++]);
            else if (QChar::isSurrogate(c) || isC1Control(c))
                codePoint = QChar::ReplacementCharacter; // no character a page can show as typed
            const std::string number = std::to_string(uint(codePoint));
            markup("&#")
                .markup(QByteArrayView(number.data(), qsizetype(number.size())))
                .markup(";");
        }
    }
}

} // namespace Velmora
