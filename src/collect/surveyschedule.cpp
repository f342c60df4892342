// When a survey takes answers, kept beside its page.
#include "surveyschedule.h"

#include "answersfile.h"
#include "durablefile.h"
#include "runtimeerror.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace Velmora {

bool SurveySchedule::isClosed(const QDateTime &now) const {
    if (!closes || *closes > now)
        return false;
    return !(opens && *opens > *closes && *opens <= now);
}

bool SurveySchedule::takesAnswers(const QDateTime &now) const {
    return !isClosed(now) || closes->secsTo(now) <= GraceSeconds;
}

SurveySchedule SurveySchedule::closing(const QDateTime &at, const QDateTime &now) {
    // Open until then, whatever was planned before.
    return {std::max(at, now).toUTC(), std::nullopt};
}

SurveySchedule SurveySchedule::opening(const SurveySchedule &from, const QDateTime &at,
                                       const QDateTime &now) {
    if (at <= now)
        return {};
    // Closed, or closing before `at`: open again from then. Otherwise it is
    // open then anyway.
    if (!from.closes || *from.closes >= at)
        return from;
    return {from.closes, at.toUTC()};
}

QString SurveySchedule::pathFor(const QString &folder, const QString &pageFile) {
    return folder + QLatin1Char('/') + AnswersFile::pageBase(pageFile) +
           QStringLiteral(" schedule.json");
}

namespace {

std::optional<QDateTime> timeOf(const QJsonObject &object, QLatin1String key) {
    const QDateTime time = QDateTime::fromString(object.value(key).toString(), Qt::ISODate);
    return time.isValid() ? std::optional(time) : std::nullopt;
}

} // namespace

SurveySchedule SurveySchedule::read(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 4096)
        return {};
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    return {timeOf(object, QLatin1String("closes")), timeOf(object, QLatin1String("opens"))};
}

void SurveySchedule::write(const QString &path, int mode) const {
    if (!closes) {
        if (QFile::exists(path) && !QFile::remove(path))
            throw RuntimeError(QStringLiteral("%1 cannot be removed").arg(path));
        return;
    }
    QJsonObject object{{QStringLiteral("closes"), closes->toUTC().toString(Qt::ISODate)}};
    if (opens)
        object.insert(QStringLiteral("opens"), opens->toUTC().toString(Qt::ISODate));
    writeFileDurably(path, QJsonDocument(object).toJson(), mode);
}

QString SurveySchedule::said(const QDateTime &time, const QLocale &locale) {
    const QDateTime local = time.toLocalTime();
    const int offset = local.offsetFromUtc();
    const auto twoDigits = [&locale](int n) {
        return locale.toString(n).rightJustified(2, locale.zeroDigit().front());
    };
    return locale.toString(local, QStringLiteral("d MMMM yyyy, HH:mm")) +
           QStringLiteral(" (UTC%1%2:%3)")
               .arg(offset < 0 ? QStringLiteral("-") : QStringLiteral("+"),
                    twoDigits(std::abs(offset) / 3600), twoDigits(std::abs(offset) % 3600 / 60));
}

} // namespace Velmora
