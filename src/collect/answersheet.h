#pragma once

#include "formdecoder.h"
#include "surveypagereader.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

namespace Velmora {

// The columns of a survey's answers file and the row of one answer: when it came,
// the page's creation stamp, name, e-mail, then one column per name the page's
// answer inputs post under, in page order.
class AnswerSheet {
public:
    explicit AnswerSheet(const SurveyPage &page);

    QStringList header() const;

    struct Row {
        QStringList cells;
        int ignoredFields = 0; // posted names the page does not have
    };
    // Items that share a name (two check boxes "a)", two questions numbered alike)
    // keep every value posted, joined by " | ".
    Row row(const QList<FormField> &fields, const QDateTime &received) const;

    qsizetype answerColumns() const { return m_names.size(); }

    static const QString Joiner;

private:
    QString m_stamp;
    QStringList m_names;   // the posted name of each answer column
    QStringList m_headers; // what each holds, in words
};

// One CSV record (RFC 4180, CR LF) of UTF-8 cells, every cell quoted. A cell that
// a spreadsheet would run as a formula gets a leading apostrophe (OWASP's rule
// for CSV injection), so it shows as the text that was typed.
QByteArray csvRecord(const QStringList &cells);

// "2026-12-08T14:03:27+01:00"
QString isoTimeWithOffset(const QDateTime &time);

} // namespace Velmora
