#include "desktopplatform.h"
#include "settingsstore.h"
#include "surveywindow.h"
#include "terminationsignals.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    Velmora::reportWritesPastFileSizeLimit();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setOrganizationName(QStringLiteral("Kestrand"));
    // Wayland finds the window's icon through the installed desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.kestrand.Velmora"));

    Velmora::DesktopPlatform platform;
    Velmora::SettingsStore store;
    Velmora::SurveyWindow form(platform, store);
    platform.setDialogParent(&form);
    // Logging out or a kill ends the program as closing its window does, so the
    // newest texts reach the disk first; also while a start-up report is open,
    // before there is a window to close.
    bool ending = false;
    Velmora::onTerminationSignals(&form, [&] {
        ending = true;
        platform.endSession();
        form.close();
        QCoreApplication::quit();
    });
    form.startUp();
    if (ending)
        return 0; // what start-up saved after the signal is written as the store ends
    form.show();
    return app.exec();
}
