// The questions a survey requires, kept beside its page.
#include "requiredanswers.h"

#include "answersfile.h"
#include "durablefile.h"
#include "runtimeerror.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Velmora {

namespace {

constexpr qint64 MaxFileSize = 1 << 20;

} // namespace

QString RequiredAnswers::pathFor(const QString &folder, const QString &pageFile) {
    return folder + QLatin1Char('/') + AnswersFile::pageBase(pageFile) +
           QStringLiteral(" required.json");
}

RequiredAnswers RequiredAnswers::read(const QString &path) {
    QFile file(path);
    RequiredAnswers required;
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxFileSize)
        return required;
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    required.everyQuestion = object.value(QLatin1String("everyQuestion")).toBool();
    for (const QJsonValue &question : object.value(QLatin1String("questions")).toArray())
        if (question.isString())
            required.questions.append(question.toString());
    return required;
}

void RequiredAnswers::write(const QString &path, int mode) const {
    if (*this == RequiredAnswers()) {
        if (QFile::exists(path) && !QFile::remove(path))
            throw RuntimeError(QStringLiteral("%1 cannot be removed").arg(path));
        return;
    }
    const QJsonObject object{{QStringLiteral("everyQuestion"), everyQuestion},
                             {QStringLiteral("questions"), QJsonArray::fromStringList(questions)}};
    writeFileDurably(path, QJsonDocument(object).toJson(), mode);
}

QStringList RequiredAnswers::questionsOf(const SurveyPage &page) {
    QStringList questions;
    for (const SurveyInput &input : page.inputs)
        if (!AnswerSheet::isPersonalField(page, input.name) && !questions.contains(input.question))
            questions.append(input.question);
    return questions;
}

QStringList RequiredAnswers::missing(const SurveyPage &page, const AnswerSheet &sheet,
                                     const QStringList &cells) const {
    QStringList unanswered;
    for (const QString &question : questionsOf(page)) {
        if (!isRequired(question))
            continue;
        bool answered = false;
        for (qsizetype c = 0; c < sheet.columns().size() && !answered; ++c)
            answered = sheet.columns()[c].inputs.front().question == question &&
                       !cells.value(AnswerSheet::FirstAnswer + c).isEmpty();
        if (!answered)
            unanswered.append(question);
    }
    return unanswered;
}

} // namespace Velmora
