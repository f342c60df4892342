// The page respondents get over HTTP, made from the survey page file.
#include "respondentpage.h"

#include "htmltext.h"
#include "language.h"

#include <QLocale>
#include <QSet>
#include <QUrl>

namespace Velmora {

namespace {

// Phones first: 16 px text (no zoom on focus), 44 px targets, a visible focus
// ring, the picture behind a panel that keeps every text readable, dark too.
const QString StyleAddress = QStringLiteral("velmora.css");

const QString Style = QStringLiteral(
    ":root{color-scheme:light dark;--text:#1a1a1a;--panel:rgba(255,255,255,.94);"
    "--line:#6b6b6b;--accent:#1f5fa8;--ring:#b3470f}"
    "@media (prefers-color-scheme:dark){:root{--text:#f2f2f2;--panel:rgba(24,24,24,.94);"
    "--line:#a0a0a0;--accent:#8cbcf5;--ring:#ffb27a}}"
    "*{box-sizing:border-box}input,textarea,button{font-size:1rem}"
    "html{font-size:100%}"
    "body{margin:0;font-family:Arial,'Liberation Sans',sans-serif;font-size:1rem;"
    "line-height:1.5;color:var(--text);background-color:#777;background-size:cover;"
    "background-attachment:fixed}"
    "main{max-width:40rem;margin:0 auto;padding:1rem;background:var(--panel);min-height:100vh}"
    "h1{font-size:1.6rem;line-height:1.25;margin:.5rem 0 1rem;overflow-wrap:anywhere}"
    "fieldset{border:1px solid var(--line);border-radius:.5rem;margin:0 0 1.25rem;"
    "padding:.5rem .75rem .75rem;min-width:0}"
    "legend{font-weight:bold;padding:0 .25rem;overflow-wrap:anywhere}"
    ".required{font-weight:normal}"
    ".field{margin:0 0 1rem}.field label{display:block;font-weight:bold;margin-bottom:.25rem}"
    "input[type=text],textarea{display:block;width:100%;min-height:2.75rem;"
    "font:inherit;color:inherit;background:transparent;padding:.5rem;"
    "border:1px solid var(--line);border-radius:.375rem}"
    "textarea{min-height:7rem;resize:vertical}"
    ".option{display:flex;align-items:center;gap:.75rem;min-height:2.75rem;"
    "padding:.25rem .25rem;cursor:pointer;overflow-wrap:anywhere}"
    ".option input{width:1.5rem;height:1.5rem;margin:0;flex:none;accent-color:var(--accent)}"
    ":focus-visible{outline:3px solid var(--ring);outline-offset:2px}"
    ".message p{margin:.5rem 0;overflow-wrap:anywhere}"
    "button{font:inherit;font-weight:bold;min-height:3rem;min-width:min(11rem,100%);"
    "max-width:100%;padding:.5rem 1.5rem;overflow-wrap:anywhere;"
    "color:#fff;background:#1f5fa8;border:0;border-radius:.5rem;cursor:pointer;margin:.5rem 0 1rem}"
    "@media (prefers-color-scheme:dark){button{background:#2f6fb8}}");

} // namespace

QByteArray respondentStyle() {
    return Style.toUtf8();
}

namespace {

QString attribute(const QString &text) {
    return escapeHtml(text);
}

} // namespace

bool postsItsWords(const SurveyPage &page, const QString &name) {
    QSet<QString> values;
    int boxes = 0;
    for (const SurveyInput &input : page.inputs) {
        if (input.name != name)
            continue;
        if (input.kind == SurveyInput::Kind::CheckBox && ++boxes > 1)
            return true;
        if (input.kind == SurveyInput::Kind::Radio) {
            if (values.contains(input.value))
                return true;
            values.insert(input.value);
        }
    }
    return false;
}

// The organiser's words (title, questions, options, message) and what
// respondents type keep their own direction (dir="auto"), whatever the page's:
// an English question in an Arabic survey reads left to right. The
// collector's own words are in the survey's language where there is a
// translation into it, and say they are English where there is none.
QByteArray respondentPage(const SurveyPage &page, const QString &fileName, const QString &language,
                          const QByteArray &answerId, const RequiredAnswers &required) {
    const Language words(language);
    const QString ours = words.isIn(language) ? QString() : words.attributes();
    const QString title = page.title.isEmpty() ? words.tr("Survey") : page.title;
    QString body;
    body += QStringLiteral("<h1 dir=\"auto\">%1</h1>\n").arg(escapeHtml(title));
    // The e-mail box takes whatever is typed, as the page file's does: a browser's
    // own e-mail check refuses "zoë@example.org" and rewrites other addresses.
    body += QStringLiteral(
                "<div class=\"field\"><label for=\"UserName\"%3>%4</label>"
                "<input type=\"text\" id=\"UserName\" name=\"UserName\" value=\"%1\" "
                "autocomplete=\"name\" dir=\"auto\"></div>\n"
                "<div class=\"field\"><label for=\"UserEmail\"%3>%5</label>"
                "<input type=\"text\" inputmode=\"email\" id=\"UserEmail\" name=\"UserEmail\" "
                "value=\"%2\" autocomplete=\"email\" autocapitalize=\"none\" "
                "spellcheck=\"false\" dir=\"auto\"></div>\n")
                .arg(attribute(page.name), attribute(page.email), ours,
                     escapeHtml(words.tr("Enter your name:")),
                     escapeHtml(words.tr("Enter your email address:")));

    // One fieldset a question, in page order; its legend names every input in it.
    int question = 0;
    int input = 0;
    QString current;
    bool open = false;
    for (const SurveyInput &item : page.inputs) {
        if (!open || item.question != current) {
            if (open)
                body += QStringLiteral("</fieldset>\n");
            current = item.question;
            open = true;
            ++question;
            // Said in words, which a screen reader reads with the question,
            // and kept by the inputs for the browser's own check.
            body += QStringLiteral("<fieldset><legend id=\"q%1\" dir=\"auto\">%2%3</legend>\n")
                        .arg(QString::number(question),
                             escapeHtml(current.isEmpty() ? words.tr("(no question)") : current),
                             required.isRequired(current)
                                 ? QStringLiteral(" <span class=\"required\"%1>%2</span>")
                                       .arg(ours, escapeHtml(words.tr("(required)")))
                                 : QString());
        }
        ++input;
        const QString id = QStringLiteral("i%1").arg(input);
        const bool itsWords = postsItsWords(page, item.name);
        // A check box is no answer by itself: one of a question's boxes is
        // enough, which only the collector checks.
        const QString needed =
            required.isRequired(current) && item.kind != SurveyInput::Kind::CheckBox
                ? QStringLiteral(" required")
                : QString();
        switch (item.kind) {
        case SurveyInput::Kind::Radio:
            body += QStringLiteral("<label class=\"option\"><input type=\"radio\" name=\"%1\" "
                                   "value=\"%2\"%3><span dir=\"auto\">%4</span></label>\n")
                        .arg(attribute(item.name), attribute(itsWords ? item.label : item.value),
                             needed, escapeHtml(item.label));
            break;
        case SurveyInput::Kind::CheckBox:
            body += QStringLiteral("<label class=\"option\"><input type=\"checkbox\" name=\"%1\""
                                   "%2><span dir=\"auto\">%3</span></label>\n")
                        .arg(attribute(item.name),
                             itsWords ? QStringLiteral(" value=\"%1\"").arg(attribute(item.label))
                                      : QString(),
                             escapeHtml(item.label));
            break;
        case SurveyInput::Kind::TextBox:
            // One arg() call: a "%3" in a name must stay text.
            body += QStringLiteral("<input type=\"text\" id=\"%1\" name=\"%2\" "
                                   "aria-labelledby=\"q%3\" dir=\"auto\"%4>\n")
                        .arg(id, attribute(item.name), QString::number(question), needed);
            break;
        case SurveyInput::Kind::TextArea:
            body += QStringLiteral("<textarea id=\"%1\" name=\"%2\" rows=\"4\" "
                                   "aria-labelledby=\"q%3\" dir=\"auto\"%4></textarea>\n")
                        .arg(id, attribute(item.name), QString::number(question), needed);
            break;
        }
    }
    if (open)
        body += QStringLiteral("</fieldset>\n");

    QString message;
    for (const QString &paragraph : page.message)
        if (!paragraph.isEmpty())
            message += QStringLiteral("<p dir=\"auto\">%1</p>").arg(escapeHtml(paragraph));
    if (!message.isEmpty())
        body += QStringLiteral("<div class=\"message\">%1</div>\n").arg(message);
    // The browser fills "_charset_" with the encoding it posts in.
    body += QStringLiteral("<input type=\"hidden\" name=\"_charset_\">"
                           "<input type=\"hidden\" name=\"%1\" value=\"%2\">\n"
                           "<button type=\"submit\" name=\"%3\" value=\"FINISHED\"%4>%5"
                           "</button>\n")
                .arg(AnswerIdField, QString::fromLatin1(answerId), attribute(page.stamp), ours,
                     escapeHtml(words.tr("FINISHED")));

    const QString background =
        page.background.isEmpty()
            ? QString()
            : QStringLiteral("<style>body{background-image:url(\"%1\")}</style>\n")
                  .arg(attribute(QString::fromLatin1(QUrl::toPercentEncoding(page.background))));
    const bool rightToLeft = QLocale(language).textDirection() == Qt::RightToLeft;
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"%1\" dir=\"%7\"><head><meta charset=\"utf-8\">\n"
               "<meta name=\"viewport\" content=\"width=device-width, "
               "initial-scale=1\">\n<meta name=\"robots\" content=\"noindex\">\n"
               "<title>%2</title>\n<link rel=\"icon\" href=\"favicon.ico\">\n"
               "<link rel=\"stylesheet\" href=\"%3\">\n%4</head>\n<body><main>\n"
               // Enter in a one-line box, a radio button or a check box
               // presses the form's first button that can be pressed. This
               // one submits by the "dialog" method, which outside a
               // dialog sends nothing: a half-filled survey is not stored.
               // (A disabled one would not do: Chromium then presses
               // FINISHED for a radio button.)
               "<form method=\"post\" action=\"%5\" accept-charset=\"utf-8\">\n"
               "<button type=\"submit\" formmethod=\"dialog\" hidden "
               "tabindex=\"-1\"></button>\n%6"
               "</form>\n</main></body></html>\n")
        .arg(attribute(language), escapeHtml(title), StyleAddress, background,
             attribute(QString::fromLatin1(QUrl::toPercentEncoding(fileName))), body,
             rightToLeft ? QStringLiteral("rtl") : QStringLiteral("ltr"))
        .toUtf8();
}

} // namespace Velmora
