#include "collectoptions.h"
#include "collectwindow.h"
#include "terminationsignals.h"

#include <QApplication>

using namespace Velmora;

// The collector with a window instead of log lines, as the desktop menu starts
// it: the same options as velmora-collect.
int main(int argc, char *argv[]) {
    int exitCode = 0;
    const std::optional<CollectOptions> options =
        CollectOptions::fromCommandLine(argc, argv, &exitCode);
    if (!options)
        return exitCode;
    reportWritesPastFileSizeLimit();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmora-collect"));
    QGuiApplication::setDesktopFileName(QStringLiteral("example.kestrand.Velmora"));
    CollectWindow window(*options);
    onTerminationSignals(&window, [&window] { window.close(); });
    window.show();
    return app.exec();
}
