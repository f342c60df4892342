#pragma once

// The columns of an answers file and the row of one answer.
#include "formdecoder.h"
#include "surveypagereader.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

#include <optional>

namespace Velmora {

// The columns of a survey's answers file and the row of one answer: when it came,
// the page's creation stamp, name, e-mail, then one column per name the page's
// answer inputs post under, in page order.
//
// Answers from the collector's own page (Form::RespondentPage) differ in two
// ways, so they go to answers files of their own (their headers differ) and no
// column ever holds two meanings: options that share a code on the page post
// their words, and a column headed "Answer ID" holds the answer's one-time
// identifier. Files of the page's own form keep what they hold.
class AnswerSheet {
public:
    enum class Form { PageFile, RespondentPage };
    explicit AnswerSheet(const SurveyPage &page, Form form = Form::PageFile);

    QStringList header() const;
    // Cells in a row.
    qsizetype width() const { return FirstAnswer + m_columns.size() + (m_answerIds ? 1 : 0); }
    // Whether the options of this column post their words (RespondentPage only).
    bool postsWords(qsizetype column) const { return m_columns[column].words; }

    struct Row {
        QStringList cells;
        int ignoredFields = 0; // posted names the page does not have
        // Where the answer is larger than its page allows: the question
        // (none: the name or the e-mail address) and the characters it takes.
        struct TooLong {
            std::optional<QString> question;
            qsizetype characters = 0;
        };
        std::optional<TooLong> tooLong;
    };
    // Items that share a name (two check boxes "a)", two questions numbered alike)
    // keep every value posted, joined by " | " (see joinValues()).
    Row row(const QList<FormField> &fields, const QDateTime &received) const;
    // Whether a form posts `name` for `page`: the name, the e-mail, the answer
    // ID, FINISHED, or one of its inputs.
    static bool isFieldOf(const SurveyPage &page, const QString &name);
    // Whether `name` is the respondent's name, e-mail or the page's stamp,
    // which have columns of their own: no question's answer.
    static bool isPersonalField(const SurveyPage &page, const QString &name);

    // An answer column: the name its inputs post under, what it holds in words,
    // and those inputs in page order.
    struct Column {
        QString name;
        QString header;
        QList<SurveyInput> inputs;
        qsizetype cap = 0;  // the characters its cell may hold
        bool words = false; // its options post their words
        // Its cell may hold several values (see joinValues()): options, or
        // inputs sharing a name. A lone text input's cell is the text as typed.
        bool joins = false;
    };
    const QList<Column> &columns() const { return m_columns; }
    // Where the answer columns start in a row.
    static constexpr qsizetype FirstAnswer = 4;

    static const QString Joiner;

    // What one input may hold. A line is a line, a text area a page or two; an
    // option posts a few characters. Far beyond any real answer, so that only
    // floods are refused.
    static constexpr qsizetype LineCap = 2000;
    static constexpr qsizetype TextAreaCap = 20000;
    static constexpr qsizetype OptionCap = 100;
    static constexpr qsizetype NameCap = 500;

    static const QString AnswerIdHeader;

private:
    QString m_stamp;
    QList<Column> m_columns;
    bool m_answerIds = false;
};

// Several values in one cell, joined by " | ", each "|" of theirs doubled, so
// that option words holding " | " read back as they were. Cells written
// before, with no "||" in them, read as they always did.
QString joinValues(const QStringList &values);
QStringList splitValues(const QString &cell);

// One CSV record (RFC 4180, CR LF) of UTF-8 cells, every cell quoted. A cell that
// a spreadsheet would run as a formula gets a leading apostrophe (OWASP's rule
// for CSV injection), so it shows as the text that was typed; so does a cell
// that would look like one so guarded, so that typedCell() can take the
// apostrophe off again.
QByteArray csvRecord(const QStringList &cells);
// A cell as the answers file holds it, and as it was typed.
QString guardedCell(const QString &typed);
QString typedCell(const QString &guarded);
// A record of the answers file, every cell as typed.
QStringList typedCells(const QStringList &record);

// "2026-12-08T14:03:27+01:00"
QString isoTimeWithOffset(const QDateTime &time);

} // namespace Velmora
