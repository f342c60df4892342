// The results link's page where the organiser picks the questions
// respondents must answer.
#include "collector.h"

#include "collectorpages.h"
#include "formdecoder.h"
#include "organiserpages.h"

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

HttpResponse Collector::requiredRoute(const OrganiserRequest &in) {
    const Language &words = in.words;
    const QStringList questions = RequiredAnswers::questionsOf(in.page.page);
    RequiredAnswers required = in.page.required;
    QString said;
    if (in.request.method == "POST") {
        RequiredAnswers chosen;
        for (const FormField &field : decodeForm(in.request.body).value_or(QList<FormField>())) {
            chosen.everyQuestion = chosen.everyQuestion || field.name == QLatin1String("every");
            if (field.name == QLatin1String("question") && questions.contains(field.value) &&
                !chosen.questions.contains(field.value))
                chosen.questions.append(field.value);
        }
        said = changeSaid(words, [&] {
            setRequired(in.pageFile, chosen);
            required = chosen;
            return savedRequired(words);
        });
    }
    return requiredPage(words, in.title, in.pageFile, said, questions, required);
}

} // namespace Velmora
