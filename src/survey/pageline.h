#pragma once

#include <QByteArrayView>
#include <QStringView>

#include <string>

namespace Velmora {

// One line of the survey page as the ISO-8859-1 bytes the page declares.
// Characters outside that set become decimal character references, so nothing a
// person typed is lost on the way to the page. The C1 control characters, which
// no browser shows as themselves, become the visible replacement character.
class PageLine {
public:
    void clear() { m_bytes.clear(); }

    // Markup the program writes itself: ASCII only.
    template <qsizetype N> PageLine &markup(const char (&ascii)[N]) {
        appendBytes(ascii, N - 1);
        return *this;
    }
    PageLine &markup(QByteArrayView ascii) {
        appendBytes(ascii.data(), ascii.size());
        return *this;
    }
    // Text as the person typed it; any HTML in it stays HTML.
    PageLine &text(QStringView typed);
    // Text inside a double-quoted attribute value: quotes and ampersands are
    // escaped so that the form posts back exactly what was typed.
    PageLine &attribute(QStringView typed);

    QByteArrayView bytes() const {
        return QByteArrayView(m_bytes.data(), qsizetype(m_bytes.size()));
    }

private:
    void append(QStringView typed, bool insideAttribute);
    void appendBytes(const char *bytes, qsizetype size) { m_bytes.append(bytes, size_t(size)); }

    // A page has a million lines: a QByteArray costs more per append than the copy.
    std::string m_bytes;
};

} // namespace Velmora
