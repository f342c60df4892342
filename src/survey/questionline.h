#pragma once

#include "pageline.h"

#include <QList>
#include <QString>
#include <QStringView>

namespace Velmora {

// What a line of the survey questions turns into on the page.
enum class QuestionLineKind {
    Ignored,  // writes nothing
    Radio,    // [r] option
    CheckBox, // [c] option
    TextBox,  // [s]
    TextArea, // [l]
    Header,   // [1] question text
};

QuestionLineKind classifyQuestionLine(QStringView line);

// What "Start Creating Survey" will make of one line on its own: its kind, and the
// line labels of the steps it cannot carry out (empty when the line is sound).
struct QuestionLineDiagnosis {
    QuestionLineKind kind = QuestionLineKind::Ignored;
    QList<int> faultLabels;
    // A header whose number has no closing bracket is written all the same, but
    // not as it reads: "[5 Anything?" shows "5 A) ything?". Then the text the
    // page shows; empty for every other line.
    QString headerShownAs;
};
QuestionLineDiagnosis diagnoseQuestionLine(QStringView line);

// Receives the lines of the page, each under the line label of the step that
// writes it, and the question lines too short for their rule.
class PageOutput {
public:
    virtual ~PageOutput() = default;
    // False when the page can take no more lines.
    virtual bool write(int label, const PageLine &line) = 0;
    // The step under `label` cannot be carried out for question line `lineNumber`
    // (counted from 1); its page line is left out.
    virtual void fault(int label, const QString &description, qsizetype lineNumber,
                       QStringView line) = 0;
};

// Translates the question lines in order. Options, text boxes and text areas take
// the number of the question header in force, so they belong to it.
class QuestionTranslator {
public:
    explicit QuestionTranslator(PageOutput &output);

    // False when the output took no more lines.
    bool translate(QStringView line, qsizetype lineNumber);

private:
    bool write(int label);
    void fault(int label);
    bool writeOption(QuestionLineKind kind, QStringView line);
    bool writeHeader(QStringView line);

    PageOutput &m_output;
    QString m_number;
    PageLine m_line;
    QStringView m_current;
    qsizetype m_currentNumber = 0;
};

} // namespace Velmora
