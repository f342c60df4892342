#pragma once

#include "questionline.h"

#include <QStringList>

// Keeps every page line as "label: text" and every fault as "label! line N".
class RecordingOutput : public Velmora::PageOutput {
public:
    bool write(int label, const Velmora::PageLine &line) override {
        entries.append(QStringLiteral("%1: %2").arg(label).arg(QString::fromLatin1(line.bytes())));
        return true;
    }
    void fault(int label, const QString &, qsizetype lineNumber, QStringView) override {
        entries.append(QStringLiteral("%1! line %2").arg(label).arg(lineNumber));
    }

    QStringList entries;
};
