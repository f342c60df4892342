#pragma once

// When a survey takes answers: closed from a time (now, or later), and open
// again from a time. The collector keeps it beside the page ("My Product
// Survey schedule.json"), or in the database that collectors share.
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

namespace Velmora {

struct SurveySchedule {
    std::optional<QDateTime> closes; // from then on closed
    std::optional<QDateTime> opens;  // after `closes`: open again from then

    // An answer arriving this long after closing is still stored: its
    // respondent was half-way through when the survey closed.
    static constexpr qint64 GraceSeconds = 30 * 60;

    bool isClosed(const QDateTime &now) const;
    // Whether an answer arriving `now` is still stored.
    bool takesAnswers(const QDateTime &now) const;
    bool operator==(const SurveySchedule &) const = default;

    // Closing now or at a time, opening now or at a time, as the organiser says it.
    static SurveySchedule closing(const QDateTime &at, const QDateTime &now);
    static SurveySchedule opening(const SurveySchedule &from, const QDateTime &at,
                                  const QDateTime &now);

    static QString pathFor(const QString &folder, const QString &pageFile);
    // Always open, when the file is missing or holds nothing this can read.
    static SurveySchedule read(const QString &path);
    // Throws RuntimeError. Always open removes the file.
    void write(const QString &path, int mode) const;
    // "8 December 2026, 18:00 (UTC+01:00)", in the collector's time zone and
    // in the words and digits of `locale`.
    static QString said(const QDateTime &time, const QLocale &locale = QLocale(QLocale::English));
};

} // namespace Velmora
