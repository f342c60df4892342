#pragma once

#include "workedexample.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <vector>

// Folders of a collector, each with the worked example's page in it; removed
// with this object.
class SurveyFolders {
public:
    // A new one, or nothing when it could not be made.
    QString add() {
        m_folders.push_back(std::make_unique<QTemporaryDir>());
        QFile page(m_folders.back()->filePath(QStringLiteral("My Product Survey.htm")));
        if (!page.open(QIODevice::WriteOnly) || page.write(WorkedExample::page()) < 0)
            return {};
        return m_folders.back()->path();
    }
    void clear() { m_folders.clear(); }

private:
    std::vector<std::unique_ptr<QTemporaryDir>> m_folders;
};
