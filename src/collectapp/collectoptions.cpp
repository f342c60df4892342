#include "collectoptions.h"

#include "settingsfile.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QSettings>

namespace Velmora {

std::optional<CollectOptions> CollectOptions::parse(const QStringList &arguments, QString *error) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves the Velmora surveys of FOLDER to respondents and saves their "
                       "answers beside each page, one CSV file per survey."));
    parser.addHelpOption();
    parser.addPositionalArgument(
        QStringLiteral("FOLDER"),
        QStringLiteral("Where the survey pages are (default: Velmora's output folder, else the "
                       "working folder)."),
        QStringLiteral("[FOLDER]"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Listen on this port only (default: 8080, or the "
                                                 "next free one)."),
                                  QStringLiteral("N"));
    const QCommandLineOption local(QStringLiteral("local"),
                                   QStringLiteral("Listen on 127.0.0.1 only (this computer)."));
    const QCommandLineOption perAddress(
        QStringLiteral("connections-per-address"),
        QStringLiteral("Connections one address may hold at once (default 32)."),
        QStringLiteral("N"));
    const QCommandLineOption window(QStringLiteral("window"),
                                    QStringLiteral("Show a window instead of log lines."));
    const QCommandLineOption summary(
        QStringLiteral("summary"),
        QStringLiteral("Write the summaries of the answers in FOLDER, then end."));
    parser.addOptions({port, local, perAddress, window, summary});
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        *error = parser.helpText();
        return std::nullopt;
    }

    CollectOptions options;
    options.local = parser.isSet(local);
    options.window = parser.isSet(window);
    options.summary = parser.isSet(summary);
    if (parser.isSet(port)) {
        bool ok = false;
        const uint value = parser.value(port).toUInt(&ok);
        if (!ok || value == 0 || value > 65535) {
            *error = QStringLiteral("--port takes a number from 1 to 65535.");
            return std::nullopt;
        }
        options.port = quint16(value);
    }
    if (parser.isSet(perAddress)) {
        bool ok = false;
        options.connectionsPerAddress = parser.value(perAddress).toUInt(&ok);
        if (!ok || options.connectionsPerAddress == 0) {
            *error = QStringLiteral("--connections-per-address takes a whole number above 0.");
            return std::nullopt;
        }
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        *error = QStringLiteral("Give one folder at most.");
        return std::nullopt;
    }
    options.folder = positional.isEmpty() ? velmoraOutputFolder() : positional.front();
    if (options.folder.isEmpty())
        options.folder = QDir::currentPath();
    if (!QDir(options.folder).exists()) {
        *error = QStringLiteral("There is no folder %1.").arg(options.folder);
        return std::nullopt;
    }
    return options;
}

QString velmoraOutputFolder() {
    const QString settings = QSettings(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Kestrand"), QStringLiteral("Velmora"))
                                 .fileName();
    QFile file(settings);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString folder =
        SettingsDocument::parse(file.readAll()).keys.value(QStringLiteral("Output Folder"));
    return !folder.isEmpty() && QDir(folder).exists() ? folder : QString();
}

} // namespace Velmora
