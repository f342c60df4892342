#pragma once

// The survey folder as the collector last looked at it.
#include "requiredanswers.h"
#include "surveypagereader.h"
#include "surveyschedule.h"

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

namespace Velmora {

// What the collector serves from its folder, made anew by each look at it
// and shared, never changed, by the requests that read it.
struct SurveyFolder {
    // A page is a few hundred bytes a question; anything larger is no survey
    // of ours, and no file larger is read for a request.
    static constexpr qint64 MaxPageSize = 256 * 1024 * 1024;

    struct Page {
        SurveyPage page;
        qint64 size = -1;
        QDateTime modified;
        // The respondent page, made once a page version and language: the
        // parts before and after its answer ID.
        QByteArray before, after;
        QString language;
        RequiredAnswers required;
        SurveySchedule schedule;
        QString besideState; // their files' sizes and times of change
    };
    QString path;
    QMap<QString, Page> pages; // by page file
    QSet<QString> pictures;
    // Every answers file of a page in the folder, one a version of the
    // page, the first version's first; by page file.
    QMap<QString, QStringList> answersFiles;

    // The path of a file in the folder.
    QString pathOf(const QString &name) const { return path + QLatin1Char('/') + name; }
};

} // namespace Velmora
