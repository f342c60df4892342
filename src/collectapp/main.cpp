#include "collectoptions.h"
#include "collectsession.h"
#include "collectwindow.h"
#include "terminationsignals.h"

#include <QApplication>

#include <cstdio>

using namespace Velmora;

namespace {

void say(const QString &line) {
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

int writeSummaries(const CollectOptions &options) {
    Collector collector(
        options.folder, [] { return QDateTime::currentDateTime(); }, say);
    collector.writeSummaries(true);
    say(QStringLiteral("Summaries written in %1").arg(collector.folder()));
    return 0;
}

int collectInTerminal(QCoreApplication &app, const CollectOptions &options) {
    CollectSession session(options);
    QObject::connect(&session, &CollectSession::logLine, &session, say);
    QString error;
    if (!session.start(&error)) {
        std::fprintf(stderr, "Cannot collect answers: %s\n", qPrintable(error));
        return 1;
    }
    const QList<Collector::Survey> surveys = session.surveys();
    say(QStringLiteral("Collecting answers to %1 surveys in %2")
            .arg(surveys.size())
            .arg(session.folder()));
    for (const Collector::Survey &survey : surveys)
        say(QStringLiteral("  %1: %2 answers so far").arg(survey.title).arg(survey.answers));
    say(QStringLiteral("Give respondents this address:"));
    for (const QString &address : session.addresses())
        say(QStringLiteral("  ") + address);
    say(QStringLiteral("Press Ctrl+C to stop."));

    onTerminationSignals(&app, [&] {
        session.stop();
        say(QStringLiteral("Stopped."));
        QCoreApplication::quit();
    });
    return app.exec();
}

} // namespace

int main(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QString error;
    const std::optional<CollectOptions> options = CollectOptions::parse(arguments, &error);
    if (!options) {
        const bool help = error.startsWith(QLatin1String("Usage:"));
        std::fprintf(help ? stdout : stderr, "%s\n", qPrintable(error));
        return help ? 0 : 2;
    }
    if (options->summary) {
        QCoreApplication app(argc, argv);
        return writeSummaries(*options);
    }
    if (!options->window) {
        QCoreApplication app(argc, argv);
        return collectInTerminal(app, *options);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmora-collect"));
    QGuiApplication::setDesktopFileName(QStringLiteral("example.kestrand.Velmora"));
    CollectWindow window(*options);
    onTerminationSignals(&window, [&window] { window.close(); });
    window.show();
    return app.exec();
}
