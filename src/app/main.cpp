#include "desktopplatform.h"
#include "form1.h"
#include "settingsstore.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setOrganizationName(QStringLiteral("Kestrand"));
    // Wayland finds the window's icon through the installed desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.kestrand.Velmora"));

    Velmora::DesktopPlatform platform;
    Velmora::SettingsStore store;
    Velmora::Form1 form(platform, store);
    platform.setDialogParent(&form);
    form.Form_Load();
    form.show();
    return app.exec();
}
