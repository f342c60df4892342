#include "collectoptions.h"
#include "collector.h"
#include "httpserver.h"
#include "lanaddresses.h"
#include "terminationsignals.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

using namespace Velmora;

namespace {

void say(const QString &line) {
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

// The first free port from 8080 on, or exactly the one asked for.
bool listen(HttpServer &server, const CollectOptions &options) {
    if (options.port)
        return server.listen(options.local, *options.port);
    for (quint16 port = 8080; port < 8180; ++port)
        if (server.listen(options.local, port))
            return true;
    return false;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora-collect"));
    QString error;
    const std::optional<CollectOptions> options = CollectOptions::parse(app.arguments(), &error);
    if (!options) {
        const bool help = error.startsWith(QLatin1String("Usage:"));
        std::fprintf(help ? stdout : stderr, "%s\n", qPrintable(error));
        return help ? 0 : 2;
    }

    // Lines are written by the main thread: a terminal that stops reading must not
    // hold up the threads that answer respondents.
    Collector collector(
        options->folder, [] { return QDateTime::currentDateTime(); },
        [&app](const QString &line) {
            QMetaObject::invokeMethod(
                &app, [line] { say(line); }, Qt::QueuedConnection);
        });
    HttpServer::Limits limits;
    limits.connectionsPerAddress = options->connectionsPerAddress;
    HttpServer server(
        [&collector](const HttpRequest &request) { return collector.handle(request); }, limits);
    if (!listen(server, *options)) {
        std::fprintf(stderr, "Cannot listen on port %s: it is taken or not allowed.\n",
                     options->port ? qPrintable(QString::number(*options->port)) : "8080 to 8179");
        return 1;
    }

    const QList<Collector::Survey> surveys = collector.surveys();
    say(QStringLiteral("Collecting answers to %1 surveys in %2")
            .arg(surveys.size())
            .arg(collector.folder()));
    for (const Collector::Survey &survey : surveys)
        say(QStringLiteral("  %1: %2 answers so far").arg(survey.title).arg(survey.answers));
    say(QStringLiteral("Give respondents this address:"));
    const QStringList hosts = options->local || lanAddresses().isEmpty()
                                  ? QStringList{QStringLiteral("127.0.0.1")}
                                  : lanAddresses();
    for (const QString &host : hosts)
        say(QStringLiteral("  http://%1:%2/").arg(host).arg(server.port()));
    say(QStringLiteral("Press Ctrl+C to stop."));

    onTerminationSignals(&app, [&] {
        server.stop();
        say(QStringLiteral("Stopped."));
        QCoreApplication::quit();
    });
    return app.exec();
}
