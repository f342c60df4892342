#include "settingsfile.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <optional>

namespace Velmora {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

int hexValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

int octalValue(char c) {
    return c >= '0' && c <= '7' ? c - '0' : -1;
}

// The next logical line from `pos`, as QSettings cuts the file: a quoted text or a
// backslash runs on over line breaks, and a ";" outside quotes starts a comment.
// `equals` is the position of the first "=" outside quotes, or -1.
bool nextLine(QByteArrayView data, qsizetype &pos, qsizetype &start, qsizetype &end,
              qsizetype &equals) {
    const qsizetype size = data.size();
    equals = -1;
    start = pos;
    while (start < size && isBlank(data[start]))
        ++start;
    bool inQuotes = false;
    qsizetype i = start;
    while (i < size) {
        const char c = data[i++];
        if (c == '=') {
            if (!inQuotes && equals < 0)
                equals = i - 1;
        } else if (c == '\n' || c == '\r') {
            if (!inQuotes) {
                --i;
                break;
            }
        } else if (c == '\\') {
            if (i < size) {
                const char escaped = data[i++];
                if (i < size &&
                    ((escaped == '\n' && data[i] == '\r') || (escaped == '\r' && data[i] == '\n')))
                    ++i;
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ';') {
            if (i == start + 1) { // a comment line
                while (i < size && data[i] != '\n' && data[i] != '\r')
                    ++i;
                while (i < size && isBlank(data[i]))
                    ++i;
                start = i;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    pos = i;
    end = i;
    return end > start;
}

QString unescapeKey(QByteArrayView key) {
    const QString decoded = QString::fromUtf8(key);
    QString result;
    result.reserve(decoded.size());
    for (qsizetype i = 0; i < decoded.size();) {
        const QChar c = decoded[i];
        if (c == u'\\') {
            result += u'/';
            ++i;
            continue;
        }
        if (c != u'%' || i + 1 >= decoded.size()) {
            result += c;
            ++i;
            continue;
        }
        const bool wide = decoded[i + 1] == u'U';
        const qsizetype first = i + 1 + (wide ? 1 : 0);
        const qsizetype digits = wide ? 4 : 2;
        bool ok = first + digits <= decoded.size();
        const ushort code = ok ? QStringView(decoded).mid(first, digits).toUShort(&ok, 16) : 0;
        if (!ok) {
            result += u'%';
            ++i;
            continue;
        }
        result += QChar(code);
        i = first + digits;
    }
    return result;
}

void chopTrailingBlanks(QString &text, qsizetype limit) {
    qsizetype n = text.size();
    while (n > limit && (text[n - 1] == u' ' || text[n - 1] == u'\t'))
        --n;
    text.truncate(n);
}

// A value as QSettings reads it: quotes removed, escapes resolved, unquoted
// blanks at either end dropped, and a list (unquoted commas) joined by ", ".
QString unescapeValue(QByteArrayView value) {
    QStringDecoder fromUtf8(QStringDecoder::Utf8);
    QStringList items;
    QString text;
    bool inQuotes = false;
    bool quoted = false;
    bool isList = false;
    qsizetype chopLimit = 0;
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < value.size() && (value[i] == ' ' || value[i] == '\t'))
            ++i;
        chopLimit = text.size();
    };

    skipBlanks();
    while (i < value.size()) {
        const char c = value[i];
        if (c == '\\') {
            if (++i >= value.size())
                break;
            const char e = value[i++];
            static constexpr char Named[][2] = {{'a', '\a'}, {'b', '\b'},  {'f', '\f'}, {'n', '\n'},
                                                {'r', '\r'}, {'t', '\t'},  {'v', '\v'}, {'"', '"'},
                                                {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
            bool named = false;
            for (const auto &pair : Named) {
                if (e == pair[0]) {
                    text += QLatin1Char(pair[1]);
                    named = true;
                }
            }
            if (!named && e == 'x') {
                if (i < value.size() && hexValue(uchar(value[i])) >= 0) {
                    char16_t code = 0;
                    for (int h; i < value.size() && (h = hexValue(uchar(value[i]))) >= 0; ++i)
                        code = char16_t((code << 4) + h);
                    text += QChar(code);
                }
            } else if (!named && octalValue(e) >= 0) {
                char16_t code = char16_t(octalValue(e));
                for (int o; i < value.size() && (o = octalValue(value[i])) >= 0; ++i)
                    code = char16_t((code << 3) + o);
                text += QChar(code);
            } else if (!named && (e == '\n' || e == '\r') && i < value.size() &&
                       (value[i] == '\n' || value[i] == '\r') && value[i] != e) {
                ++i; // a line continued after CR LF or LF CR
            }
            chopLimit = text.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipBlanks();
        } else if (c == ',' && !inQuotes) {
            if (!quoted)
                chopTrailingBlanks(text, chopLimit);
            isList = true;
            items.append(text);
            text.clear();
            quoted = false;
            ++i;
            skipBlanks();
        } else {
            qsizetype j = i + 1;
            while (j < value.size() && value[j] != '\\' && value[j] != '"' && value[j] != ',')
                ++j;
            text += fromUtf8(value.sliced(i, j - i));
            i = j;
        }
    }
    if (!quoted)
        chopTrailingBlanks(text, chopLimit);
    if (!isList)
        return text;
    items.append(text);
    return items.join(QStringLiteral(", "));
}

// QSettings marks its typed values with "@"; a text that starts with "@" is
// stored with a second one.
std::optional<QString> textOfStoredValue(const QString &value) {
    if (value.startsWith(QLatin1String("@@")))
        return value.mid(1);
    if (value == QLatin1String("@Invalid()"))
        return std::nullopt;
    for (const QLatin1String wrapper : {QLatin1String("@ByteArray("), QLatin1String("@String(")}) {
        if (value.startsWith(wrapper) && value.endsWith(u')'))
            return value.mid(wrapper.size(), value.size() - wrapper.size() - 1);
    }
    return value;
}

void appendHex(QByteArray &out, char16_t c) {
    out += "\\x";
    out += QByteArray::number(uint(c), 16);
}

void appendUtf8(QByteArray &out, char32_t code) {
    if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
    }
    out += char(0x80 | (code & 0x3F));
}

void appendKey(QByteArray &out, const QString &key) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    for (const QChar qc : key) {
        const char16_t c = qc.unicode();
        if (c == u'/') {
            out += '\\';
        } else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                   (c >= u'0' && c <= u'9') || c == u'_' || c == u'-' || c == u'.') {
            out += char(c);
        } else if (c <= 0xFF) {
            out += '%';
            out += Hex[c >> 4];
            out += Hex[c & 0xF];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += Hex[(c >> shift) & 0xF];
        }
    }
}

void appendValue(QByteArray &out, const QString &value) {
    out += '"';
    if (value.startsWith(u'@'))
        out += '@';
    const char16_t *chars = QStringView(value).utf16();
    const qsizetype size = value.size();
    // After a hex escape the reader takes every following hex digit as part of it.
    bool escapeHexDigit = false;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = chars[i];
        if (escapeHexDigit && hexValue(c) >= 0) {
            appendHex(out, c);
            continue;
        }
        escapeHexDigit = false;
        switch (c) {
        case u'\a':
            out += "\\a";
            continue;
        case u'\b':
            out += "\\b";
            continue;
        case u'\f':
            out += "\\f";
            continue;
        case u'\n':
            out += "\\n";
            continue;
        case u'\r':
            out += "\\r";
            continue;
        case u'\t':
            out += "\\t";
            continue;
        case u'\v':
            out += "\\v";
            continue;
        case u'"':
            out += "\\\"";
            continue;
        case u'\\':
            out += "\\\\";
            continue;
        default:
            break;
        }
        if (c < 0x20 || c == 0x7F) {
            appendHex(out, c);
            escapeHexDigit = true;
        } else if (c < 0x80) {
            out += char(c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < size &&
                   QChar::isLowSurrogate(chars[i + 1])) {
            appendUtf8(out, QChar::surrogateToUcs4(c, chars[i + 1]));
            ++i;
        } else if (QChar::isSurrogate(c) || c == 0xFEFF) {
            // Half a pair has no UTF-8 form, and readers drop a byte order mark at
            // the start of a text: the escape keeps both exactly.
            appendHex(out, c);
            escapeHexDigit = true;
        } else {
            appendUtf8(out, c);
        }
    }
    out += '"';
}

} // namespace

SettingsDocument SettingsDocument::parse(QByteArrayView bytes) {
    return parseLines(bytes, true);
}

bool SettingsDocument::standsAlone(QByteArrayView line, const QString &key,
                                   const std::optional<QString> &text) {
    // A line that reads the same with another after it, and swallows nothing of
    // that one (an open quote, a trailing backslash), can stand anywhere.
    if (line.contains('\n') || line.contains('\r'))
        return false;
    const QByteArray Sentinel = QByteArrayLiteral("velmora-sentinel");
    const SettingsDocument alone = parseLines(line.toByteArray() + '\n' + Sentinel + "=1\n", false);
    const auto read = alone.keys.constFind(key);
    return alone.keys.value(QString::fromLatin1(Sentinel)) == QLatin1String("1") &&
           (read == alone.keys.cend() ? !text : text && *read == *text);
}

SettingsDocument SettingsDocument::parseLines(QByteArrayView bytes, bool keepVerbatim) {
    SettingsDocument document;
    if (bytes.startsWith("\xef\xbb\xbf"))
        bytes = bytes.sliced(3);

    qsizetype otherStart = -1; // where the other section being passed over began
    qsizetype pos = 0, start = 0, end = 0, equals = -1;
    while (nextLine(bytes, pos, start, end, equals)) {
        const QByteArrayView line = bytes.sliced(start, end - start);
        if (line.startsWith('[')) {
            if (otherStart >= 0)
                document.otherSections += bytes.sliced(otherStart, start - otherStart);
            const qsizetype close = line.indexOf(']');
            const QByteArrayView name =
                line.sliced(1, (close < 0 ? line.size() : close) - 1).trimmed();
            otherStart = name.compare("general", Qt::CaseInsensitive) == 0 ? -1 : start;
            continue;
        }
        if (otherStart >= 0 || equals < 0)
            continue;
        const QString key = unescapeKey(bytes.sliced(start, equals - start).trimmed());
        // A key with a group separator (or none at all) cannot be written back in
        // the same form: its line is kept as it stands.
        if (key.isEmpty() || key.contains(u'/')) {
            document.otherLines += line;
            document.otherLines += '\n';
            continue;
        }
        const std::optional<QString> text =
            textOfStoredValue(unescapeValue(bytes.sliced(equals + 1, end - equals - 1)));
        // A text is written back the same either way; this keeps the type of a
        // value QSettings typed (a size, bytes, a list). Lines of a megabyte
        // and more are texts (the questions) that need no second reading.
        if (keepVerbatim && line.size() < (1 << 20) && standsAlone(line, key, text))
            document.verbatim.insert(key, line.toByteArray());
        else
            document.verbatim.remove(key);
        if (text)
            document.keys.insert(key, *text);
        else
            document.keys.remove(key);
    }
    if (otherStart >= 0)
        document.otherSections += bytes.sliced(otherStart);
    if (!document.otherSections.isEmpty() && !document.otherSections.endsWith('\n'))
        document.otherSections += '\n';
    return document;
}

QByteArray SettingsDocument::serialize() const {
    QByteArray out("[General]\n");
    QStringList names = keys.keys() + verbatim.keys();
    names.sort();
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (const QString &name : names) {
        if (const auto line = verbatim.constFind(name); line != verbatim.cend()) {
            out += *line;
        } else {
            appendKey(out, name);
            out += '=';
            appendValue(out, keys.value(name));
        }
        out += '\n';
    }
    out += otherLines;
    if (!otherSections.isEmpty())
        out += '\n' + otherSections;
    return out;
}

} // namespace Velmora
