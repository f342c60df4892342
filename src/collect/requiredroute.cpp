// The results link's page where the organiser picks the questions
// respondents must answer.
#include "collector.h"

#include "collectorpages.h"
#include "formdecoder.h"
#include "htmltext.h"

#include <QUrl>

namespace Velmora {

void Collector::setRequired(const QString &pageFile, const RequiredAnswers &required) {
    required.write(RequiredAnswers::pathFor(m_folder, pageFile), m_fileMode);
    rescan();
}

QMap<QString, QStringList> Collector::questions() {
    const std::shared_ptr<const Folder> folder = folderNow();
    QMap<QString, QStringList> questions;
    for (auto it = folder->pages.cbegin(); it != folder->pages.cend(); ++it)
        questions.insert(it.key(), RequiredAnswers::questionsOf(it->page));
    return questions;
}

HttpResponse Collector::requiredPage(const HttpRequest &request, const QString &pageFile) {
    const std::shared_ptr<const Folder> folder = folderNow();
    const auto page = folder->pages.constFind(pageFile);
    if (pageFile.isEmpty() || page == folder->pages.cend())
        return notFound(Language(), m_listed, request.path);
    const QStringList questions = RequiredAnswers::questionsOf(page->page);
    RequiredAnswers required = page->required;
    QString said;
    if (request.method == "POST") {
        if (!fromThisSite(request))
            return fromElsewhere(Language(), QStringLiteral("Required questions are chosen"));
        RequiredAnswers chosen;
        for (const FormField &field : decodeForm(request.body).value_or(QList<FormField>())) {
            chosen.everyQuestion = chosen.everyQuestion || field.name == QLatin1String("every");
            if (field.name == QLatin1String("question") && questions.contains(field.value) &&
                !chosen.questions.contains(field.value))
                chosen.questions.append(field.value);
        }
        said = changeSaid(Language(), [&] {
            setRequired(pageFile, chosen);
            required = chosen;
            return QStringLiteral("Saved: the survey asks for them now.");
        });
    }
    const auto box = [](const QString &name, const QString &value, const QString &label,
                        bool checked, int n) {
        return QStringLiteral("<p><input type=\"checkbox\" name=\"%1\" value=\"%2\" id=\"r%3\"%4> "
                              "<label for=\"r%3\">%5</label></p>\n")
            .arg(name, escapeHtml(value), QString::number(n),
                 checked ? QStringLiteral(" checked") : QString(), escapeHtml(label));
    };
    QString boxes = box(QStringLiteral("every"), QStringLiteral("1"),
                        QStringLiteral("Every question"), required.everyQuestion, 0);
    for (qsizetype i = 0; i < questions.size(); ++i)
        boxes += box(QStringLiteral("question"), questions[i],
                     questions[i].isEmpty() ? QStringLiteral("(no question)") : questions[i],
                     required.questions.contains(questions[i]), int(i) + 1);
    const QString body =
        said +
        QStringLiteral("<p>Respondents must answer the questions ticked: the survey marks them, "
                       "and an answer without them is refused with a page that names what is "
                       "missing, the respondent's answers still in the form.</p>\n"
                       "<form method=\"post\" action=\"%1\">%2<p><button type=\"submit\">Save"
                       "</button></p></form>\n<p><a href=\"../\">Back to the results</a></p>")
            .arg(QString::fromLatin1(QUrl::toPercentEncoding(pageFile)), boxes);
    const QString title = page->page.title.isEmpty() ? pageFile : page->page.title;
    HttpResponse response =
        htmlResponse(Language(), 200, QStringLiteral("Questions to answer in %1").arg(title), body);
    response.addHeader("X-Robots-Tag", "noindex");
    return response;
}

} // namespace Velmora
