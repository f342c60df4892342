#include "surveypage.h"

namespace Velmora {

namespace {

const QString LineBreak = QStringLiteral("\r\n");

// The next CR LF from `from`: looking for the CR alone is many times faster
// than looking for the pair.
qsizetype lineBreakIn(QStringView text, qsizetype from) {
    for (qsizetype at = from; (at = text.indexOf(u'\r', at)) >= 0; ++at) {
        if (at + 1 < text.size() && text[at + 1] == u'\n')
            return at;
    }
    return -1;
}

class PageComposer {
public:
    explicit PageComposer(PageOutput &output)
        : m_output(output) {}

    // Composes one line with `compose` and writes it, unless an earlier write failed.
    template <typename Compose> void line(int label, Compose &&compose) {
        if (!m_ok)
            return;
        m_line.clear();
        compose(m_line);
        m_ok = m_output.write(label, m_line);
    }
    void line(int label, const char *markup) {
        line(label, [markup](PageLine &l) { l.markup(markup); });
    }

    void questions(QStringView text) {
        // An empty field has no lines; otherwise every CR LF cuts, empty pieces included.
        if (!m_ok || text.isEmpty())
            return;
        QuestionTranslator translator(m_output);
        qsizetype start = 0;
        qsizetype number = 1;
        while (m_ok) {
            const qsizetype end = lineBreakIn(text, start);
            const QStringView piece = text.mid(start, end < 0 ? -1 : end - start);
            m_ok = translator.translate(piece, number++);
            if (end < 0)
                break;
            start = end + LineBreak.size();
        }
    }

    bool ok() const { return m_ok; }

private:
    PageOutput &m_output;
    PageLine m_line;
    bool m_ok = true;
};

// Every CR LF of the message becomes "</p></p>", closing twice and opening nothing:
// pages made so far look that way and their authors styled them for it.
void appendMessage(PageLine &line, QStringView message) {
    qsizetype start = 0;
    for (qsizetype end; (end = message.indexOf(LineBreak, start)) >= 0;
         start = end + LineBreak.size())
        line.text(message.mid(start, end - start)).markup("</p></p>");
    line.text(message.mid(start));
}

} // namespace

bool writeSurveyPage(PageOutput &output, const SurveyFields &fields, QStringView pictureName,
                     const std::function<QDateTime()> &clock) {
    PageComposer page(output);
    page.line(124, "<html>");
    page.line(126, "<head>");
    page.line(128, "<meta http-equiv=\"Content-Type\"");
    page.line(130, "content=\"text/html; charset=iso-8859-1\">");
    page.line(132, "<meta name=\"GENERATOR\"content=\"Microsoft FrontPage Express 2.0\">");
    page.line(134,
              [&](PageLine &l) { l.markup("<title>").text(fields.pageTitle).markup("</title>"); });
    page.line(136, "</head>");
    page.line(138, " ");
    page.line(140, [&](PageLine &l) {
        l.markup("<body background=\"").attribute(pictureName).markup("\">");
    });
    page.line(142, " ");
    page.line(144, "<form method=post action=\"\">");
    page.line(146, [&](PageLine &l) {
        l.markup("    <p><font size=\"6\">").text(fields.pageTitle).markup("</font></p>");
    });
    page.line(148, "    <hr>");
    page.line(150, "    <p>Enter your name: <input type=\"text\" size=\"20\"");
    page.line(152, [&](PageLine &l) {
        l.markup("    name=\"UserName\" value=\"").attribute(fields.name).markup("\"></p>");
    });
    page.line(154, "    <p>Enter your email address: <input type=\"text\" size=\"20\"");
    page.line(156, [&](PageLine &l) {
        l.markup("    name=\"UserEmail\" value=\"").attribute(fields.email).markup("\"></p>");
    });
    page.questions(fields.surveyQuestions);
    page.line(218, "<hr>");
    page.line(220, [&](PageLine &l) {
        l.markup("<p>");
        appendMessage(l, fields.message);
        l.markup("</p>");
    });
    page.line(222, [&](PageLine &l) {
        const QDateTime now = clock();
        const QString stamp = now.toString(QStringLiteral("hh:mm:ss")) + QLatin1Char('|') +
                              now.toString(QStringLiteral("MM-dd-yyyy"));
        l.markup("<input type=\"submit\" name=\"")
            .attribute(stamp)
            .markup("\" value=\"FINISHED\"></p>");
    });
    page.line(224, "<hr>");
    page.line(226, "</form>");
    page.line(228, "</body>");
    page.line(230, "</html>");
    return page.ok();
}

} // namespace Velmora
