#pragma once

#include "fakeplatform.h"
#include "surveywindow.h"
#include "tempsettings.h"

#include <QTest>

// The main window on temporary settings and a fake desktop, through start-up and
// on the screen, for tests that look at what the window shows.
struct ShownForm {
    explicit ShownForm(const QString &programFolder = QStringLiteral("/nonexistent")) {
        platform.programPath = programFolder;
        platform.desktopPath = programFolder;
        form.startUp();
        form.show();
    }
    bool exposed() { return QTest::qWaitForWindowExposed(&form); }

    TempSettings settings;
    FakePlatform platform;
    Velmora::SettingsStore store;
    Velmora::SurveyWindow form{platform, store};
};
