#pragma once

// Text made safe for HTML.
#include <QString>

namespace Velmora {

// Text to put into HTML as text or a quoted attribute: nothing in it can become
// markup. Control characters, which HTML does not allow (a NUL a respondent
// sent, say), are shown as the replacement character.
inline QString escapeHtml(const QString &text) {
    QString escaped;
    escaped.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            escaped += QLatin1String("&amp;");
            break;
        case u'<':
            escaped += QLatin1String("&lt;");
            break;
        case u'>':
            escaped += QLatin1String("&gt;");
            break;
        case u'"':
            escaped += QLatin1String("&quot;");
            break;
        case u'\'':
            escaped += QLatin1String("&#39;");
            break;
        case u'\t':
        case u'\n':
        case u'\f':
        case u'\r':
            escaped += c;
            break;
        default:
            escaped += c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f)
                           ? QChar(QChar::ReplacementCharacter)
                           : c;
        }
    }
    return escaped;
}

} // namespace Velmora
