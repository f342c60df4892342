#pragma once

// Which questions of a survey respondents must answer. The collector keeps it
// in a file of its own beside the page ("My Product Survey required.json"):
// the page file stays as Velmora wrote it.
#include "answersheet.h"
#include "surveypagereader.h"

#include <QStringList>

namespace Velmora {

struct RequiredAnswers {
    bool everyQuestion = false;
    QStringList questions; // their words, as the page asks them

    bool isRequired(const QString &question) const {
        return everyQuestion || questions.contains(question);
    }
    bool operator==(const RequiredAnswers &) const = default;

    static QString pathFor(const QString &folder, const QString &pageFile);
    // None, when the file is missing or holds nothing this can read.
    static RequiredAnswers read(const QString &path);
    // Throws RuntimeError. None required removes the file.
    void write(const QString &path, int mode) const;

    // The questions of the page, in page order, as its form asks them.
    static QStringList questionsOf(const SurveyPage &page);
    // The questions of `page` required and left unanswered in `cells` (a row
    // of `sheet`), in page order.
    QStringList missing(const SurveyPage &page, const AnswerSheet &sheet,
                        const QStringList &cells) const;
};

} // namespace Velmora
