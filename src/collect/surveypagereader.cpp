// Reading Velmora's survey page files: their questions, inputs and stamp.
#include "surveypagereader.h"

#include "formdecoder.h"

#include <QStringList>

namespace Velmora {

namespace {

constexpr QByteArrayView Head =
    "<html>\r\n<head>\r\n<meta http-equiv=\"Content-Type\"\r\n"
    "content=\"text/html; charset=iso-8859-1\">\r\n"
    "<meta name=\"GENERATOR\"content=\"Microsoft FrontPage Express 2.0\">\r\n";
constexpr QByteArrayView Tail = "<hr>\r\n</form>\r\n</body>\r\n</html>\r\n";

// Text the page writer wrote: ISO-8859-1 bytes with references for the rest.
QString pageText(QByteArrayView bytes) {
    return resolveCharacterReferences(QString::fromLatin1(bytes));
}

// An attribute value: quotes and ampersands escaped too.
QString attributeText(QByteArrayView bytes) {
    QString text = QString::fromLatin1(bytes);
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text = resolveCharacterReferences(text);
    return text.replace(QLatin1String("&amp;"), QLatin1String("&"));
}

// The rest of `line` after `prefix`, or nothing when it does not start so.
std::optional<QByteArrayView> after(QByteArrayView line, QByteArrayView prefix) {
    if (!line.startsWith(prefix))
        return std::nullopt;
    return line.sliced(prefix.size());
}

// Splits "value\"rest" at the quote that closes an attribute; quotes inside are escaped.
std::optional<std::pair<QByteArrayView, QByteArrayView>> attribute(QByteArrayView text) {
    const qsizetype quote = text.indexOf('"');
    if (quote < 0)
        return std::nullopt;
    return std::pair{text.first(quote), text.sliced(quote + 1)};
}

class PageReader {
public:
    bool line(QByteArrayView line) {
        if (line.startsWith("<p>") && line.endsWith("<br>")) {
            header(line.sliced(3, line.size() - 7));
            return true;
        }
        if (auto rest = after(line, "<input type=\"radio\" name=\""))
            return option(SurveyInput::Kind::Radio, *rest);
        if (auto rest = after(line, "<input type=\"checkbox\" name=\""))
            return option(SurveyInput::Kind::CheckBox, *rest);
        if (auto rest = after(line, "<input type=\"text\" size=\"40\" name=\""))
            return field(SurveyInput::Kind::TextBox, *rest, "><br>");
        if (auto rest = after(line, "<textarea name=\""))
            return field(SurveyInput::Kind::TextArea, *rest,
                         " rows=\"4\" cols=\"40\"></textarea><br>");
        return true; // the frame's own lines and the message
    }

    SurveyPage page;

private:
    void header(QByteArrayView inner) {
        // "1)  What product did you test?": the number, ") ", and the text as typed.
        const QString text = pageText(inner);
        const qsizetype cut = text.indexOf(QLatin1String(") "));
        m_question = cut < 0 ? text.trimmed()
                             : text.left(cut) + QLatin1String(") ") + text.mid(cut + 2).trimmed();
    }

    bool option(SurveyInput::Kind kind, QByteArrayView rest) {
        SurveyInput input{kind, {}, {}, {}, m_question};
        const auto name = attribute(rest);
        if (!name)
            return false;
        input.name = attributeText(name->first);
        rest = name->second;
        if (kind == SurveyInput::Kind::Radio) {
            const auto value = after(rest, " value=\"");
            const auto code = value ? attribute(*value) : std::nullopt;
            if (!code)
                return false;
            input.value = attributeText(code->first);
            rest = code->second;
        }
        const auto label = after(rest, ">");
        if (!label || !label->endsWith("<br>"))
            return false;
        input.label = pageText(label->first(label->size() - 4)).trimmed();
        page.inputs.append(input);
        return true;
    }

    bool field(SurveyInput::Kind kind, QByteArrayView rest, QByteArrayView end) {
        const auto name = attribute(rest);
        if (!name || name->second != end)
            return false;
        page.inputs.append({kind, attributeText(name->first), {}, {}, m_question});
        return true;
    }

    QString m_question;
};

} // namespace

bool maybeSurveyPage(QByteArrayView head) {
    const qsizetype n = std::min(head.size(), Head.size());
    return n > 0 && head.first(n) == Head.first(n);
}

std::optional<SurveyPage> readSurveyPage(QByteArrayView bytes) {
    if (!bytes.startsWith(Head) || !bytes.endsWith(Tail))
        return std::nullopt;
    QList<QByteArrayView> lines;
    for (qsizetype start = 0; start < bytes.size();) {
        const qsizetype end = bytes.indexOf("\r\n", start);
        lines.append(bytes.sliced(start, end - start)); // every line ends in CR LF (the tail does)
        start = end + 2;
    }
    // The frame: title, background and the name and e-mail inputs in their fixed places.
    if (lines.size() < 24 || !lines[5].startsWith("<title>") || !lines[5].endsWith("</title>") ||
        lines[7] != " " || lines[9] != " " || lines[10] != "<form method=post action=\"\">" ||
        !lines[14].startsWith("    name=\"UserName\" value=\"") ||
        !lines[16].startsWith("    name=\"UserEmail\" value=\""))
        return std::nullopt;
    const auto background = after(lines[8], "<body background=\"");
    if (!background || !background->endsWith("\">"))
        return std::nullopt;

    PageReader reader;
    reader.page.title = pageText(lines[5].sliced(7, lines[5].size() - 15));
    reader.page.background = attributeText(background->first(background->size() - 2));
    for (auto [line, value] :
         {std::pair{lines[14], &reader.page.name}, std::pair{lines[16], &reader.page.email}}) {
        const auto prefilled = attribute(line.sliced(line.indexOf("value=\"") + 7));
        if (!prefilled || prefilled->second != "></p>")
            return std::nullopt;
        *value = attributeText(prefilled->first);
    }

    // The submit button closes the questions: the message stands just before it.
    const QByteArrayView submit = lines[lines.size() - 5];
    constexpr QByteArrayView SubmitEnd = "\" value=\"FINISHED\"></p>";
    const auto stamp = after(submit, "<input type=\"submit\" name=\"");
    if (!stamp || !stamp->endsWith(SubmitEnd) || lines[lines.size() - 7] != "<hr>")
        return std::nullopt;
    reader.page.stamp = attributeText(stamp->first(stamp->size() - SubmitEnd.size()));
    // "<p>", the paragraphs each closed twice ("</p></p>"), and "</p>".
    const QByteArrayView message = lines[lines.size() - 6];
    if (!message.startsWith("<p>") || !message.endsWith("</p>"))
        return std::nullopt;
    for (const QString &paragraph :
         pageText(message.sliced(3, message.size() - 7)).split(QLatin1String("</p></p>")))
        reader.page.message.append(paragraph);
    for (qsizetype i = 17; i < lines.size() - 7; ++i)
        if (!reader.line(lines[i]))
            return std::nullopt;
    return reader.page;
}

} // namespace Velmora
