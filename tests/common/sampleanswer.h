#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// The sample survey's address on a collector, and a whole answer to it whose
// first question says `text`, as a browser posts it.
inline const QByteArray SamplePage = "/My%20Product%20Survey.htm";

inline QByteArray sampleAnswer(const QString &text) {
    return "UserName=Ann&UserEmail=a%40b.c&1=" + QUrl::toPercentEncoding(text) +
           "&2=+a%29&3%29+a%29=on&4=ok";
}
