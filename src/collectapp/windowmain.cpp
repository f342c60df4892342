#include "collectoptions.h"
#include "collectwindow.h"
#include "terminationsignals.h"

#include <QApplication>

#include <cstdio>

using namespace Velmora;

// The collector with a window instead of log lines, as the desktop menu starts
// it: the same options as velmora-collect.
int main(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QString error;
    const std::optional<CollectOptions> options = CollectOptions::parse(arguments, &error);
    if (!options) {
        const bool help = error.startsWith(QLatin1String("Usage:")) ||
                          error.startsWith(QLatin1String("velmora-collect "));
        std::fprintf(help ? stdout : stderr, "%s\n", qPrintable(error));
        return help ? 0 : 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmora-collect"));
    QGuiApplication::setDesktopFileName(QStringLiteral("example.kestrand.Velmora"));
    CollectWindow window(*options);
    onTerminationSignals(&window, [&window] { window.close(); });
    window.show();
    return app.exec();
}
