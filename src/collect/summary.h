#pragma once

// A survey's summary page.
#include "answersheet.h"
#include "language.h"
#include "surveypagereader.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QStringList>

#include <deque>

namespace Velmora {

// How many texts a question lists at most; the rest are in the answers file.
inline constexpr qsizetype ListedTexts = 500;

// The summary of a survey's answers as one self-contained HTML page for the
// organiser: how many answers and when, a bar with count and percentage for
// every option, and the texts given, newest first. No script, no web font,
// nothing fetched; every answer is escaped, so whatever a respondent typed is
// shown as text and runs nothing.
//
// The summary is kept up to date answer by answer: what it holds does not grow
// with the number of answers (the texts it lists are the newest ListedTexts).
class SummaryTally {
public:
    explicit SummaryTally(const SurveyPage &page,
                          AnswerSheet::Form form = AnswerSheet::Form::PageFile);

    // One record of the answers file; the header row and rows of another page
    // are passed over.
    void add(const QStringList &record);
    // One answer's cells as typed (what AnswerSheet::row() made), as the file
    // gets them.
    void addAnswer(const QStringList &cells);
    qsizetype answers() const { return m_rows; }
    QByteArray page(const Language &words = Language()) const;

    // A record of an answers file of an earlier version of the page, headed
    // `header`: its answers count in the questions asked in the same words,
    // and the questions asked otherwise are named on the page.
    void addEarlier(const QStringList &header, const QStringList &record);
    // Counts in what `earlier` counted of earlier versions, as older answers.
    void include(const SummaryTally &earlier);

    // A database counts for itself what add() counts row by row. Per answer
    // column: which of its posted values are counted apart (options), or only
    // whether a cell holds anything (check boxes), or that and its newest texts.
    enum class Kind { Options, Given, Texts };
    struct Column {
        Kind kind;
        QStringList values; // Options: what they post, in page order
        // Options beside a text input of the same question: what is none of
        // the values was typed, and is listed as a text.
        bool typed = false;
    };
    QList<Column> columns() const;
    struct ColumnCounts {
        QList<qsizetype> options; // one per value
        qsizetype other = 0;      // option cells holding none of the values (none typed)
        qsizetype given = 0;      // cells that hold anything (typed: any text)
        QStringList newest;       // newest first, at most ListedTexts
    };
    struct Counts {
        qsizetype answers = 0;
        QString first, latest; // as the Received column says them
        QList<ColumnCounts> columns;
    };
    // Replaces what was counted.
    void assign(const Counts &counts);
    // How a database counts the answer columns of another version of the
    // page, headed `header`: as this version counts the questions asked in
    // the same words, the others only as given.
    QList<Column> columnsOf(const QStringList &header) const;
    // Counts in what a database counted, with columnsOf(header), of the answers
    // to another version of the page.
    void includeCounts(const QStringList &header, const Counts &counts);

    struct Bar {
        QString label;
        qsizetype count = 0;
        bool shared = false; // options the form posts alike
    };

private:
    // How column `c` is counted.
    Kind kindOf(qsizetype c) const;
    bool typedBeside(qsizetype c) const;
    struct ColumnTally {
        QStringList values; // what the radio options post, in page order
        QList<Bar> bars;    // one per value
        qsizetype other = 0;
        qsizetype given = 0;        // check boxes ticked, texts given
        std::deque<QString> newest; // the texts listed, oldest first
        qsizetype asked = 0;        // answers to a version that asked it so
    };

    static void addText(ColumnTally &tally, const QString &text);
    static void assignColumn(ColumnTally &tally, const ColumnCounts &given, qsizetype asked);
    // `asked`: for each column, whether the answer's version asked it.
    void count(const QStringList &record, const QList<bool> &asked);
    // Where each column of this version stands in a record headed
    // `typedHeader` (-1: not asked so); its columns asked otherwise noted.
    QList<qsizetype> columnsIn(const QStringList &typedHeader) const;
    void noteAskedOtherwise(const QStringList &typedHeader);
    qsizetype askedOfQuestion(qsizetype column) const;

    SurveyPage m_page;
    AnswerSheet::Form m_form;
    AnswerSheet m_sheet;
    QStringList m_header;
    qsizetype m_rows = 0;
    QString m_first, m_latest;
    QList<ColumnTally> m_columns;
    qsizetype m_earlierRows = 0;
    // Where each column of this version stands in an earlier version's
    // records (-1: not asked so), by that version's header.
    QHash<QStringList, QList<qsizetype>> m_earlierColumns;
    QStringList m_askedOtherwise; // earlier versions' columns no longer asked so
};

// `records` is the answers file as read: its header row, then one row per answer.
QByteArray summaryPage(const SurveyPage &page, const QList<QStringList> &records,
                       const Language &words = Language());

// "My Product Survey summary.html" beside "My Product Survey answers.csv".
QString summaryPath(const QString &answersPath);

} // namespace Velmora
