#pragma once

#include <QByteArray>
#include <QStringView>

namespace Velmora {

// One line of the survey page as the ISO-8859-1 bytes the page declares.
// Characters outside that set become decimal character references, so nothing a
// person typed is lost on the way to the page. The C1 control characters, which
// no browser shows as themselves, become the visible replacement character.
class PageLine {
public:
    void clear() { m_bytes.resize(0); }

    // Markup the program writes itself: ASCII only.
    PageLine &markup(const char *ascii) {
        m_bytes.append(ascii);
        return *this;
    }
    // Text as the person typed it; any HTML in it stays HTML.
    PageLine &text(QStringView typed);
    // Text inside a double-quoted attribute value: quotes and ampersands are
    // escaped so that the form posts back exactly what was typed.
    PageLine &attribute(QStringView typed);

    const QByteArray &bytes() const { return m_bytes; }

private:
    void append(QStringView typed, bool insideAttribute);

    QByteArray m_bytes;
};

} // namespace Velmora
