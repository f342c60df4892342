#include "collectoptions.h"

#include "buildconfig.h"
#include "language.h"
#include "pgconnection.h"
#include "settingsfile.h"
#include "trustedproxies.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QSettings>

#include <cstdio>
#include <limits>
#include <type_traits>

namespace Velmora {

namespace {

// Reads a numeric option into `value` when it is set; false, with `error` saying
// what the option takes, when it is no number from `least` to `most`.
template <typename Number, typename Target>
bool readNumber(const QCommandLineParser &parser, const QCommandLineOption &option, Number least,
                Number most, const QString &takes, Target *value, QString *error) {
    if (!parser.isSet(option))
        return true;
    bool ok = false;
    Number number{};
    if constexpr (std::is_floating_point_v<Number>)
        number = Number(parser.value(option).toDouble(&ok));
    else {
        const qulonglong whole = parser.value(option).toULongLong(&ok);
        ok = ok && whole <= qulonglong(most);
        number = Number(whole);
    }
    if (!ok || number < least || number > most) {
        *error = QStringLiteral("--%1 takes %2.").arg(option.names().first(), takes);
        return false;
    }
    *value = number;
    return true;
}

} // namespace

std::optional<CollectOptions> CollectOptions::parse(const QStringList &arguments, QString *error) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves the Velmora surveys of FOLDER to respondents and saves their "
                       "answers beside each page, one CSV file per survey, or in PostgreSQL."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("FOLDER"),
        QStringLiteral("Where the survey pages are (default: Velmora's output folder, else the "
                       "working folder)."),
        QStringLiteral("[FOLDER]"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Listen on this port only (default: 8080, or the "
                                                 "next free one)."),
                                  QStringLiteral("N"));
    const QCommandLineOption local(
        QStringLiteral("local"),
        QStringLiteral("Listen on this computer only (127.0.0.1 and ::1)."));
    const QCommandLineOption perAddress(
        QStringLiteral("connections-per-address"),
        QStringLiteral("Connections one address may hold at once before it is told \"busy\" "
                       "(default 1000: a school's phones share one address)."),
        QStringLiteral("N"));
    const QCommandLineOption connections(
        QStringLiteral("max-connections"),
        QStringLiteral("Connections held at once before new requests are told \"busy\" "
                       "(default 10000; an idle one costs a few kilobytes, not a thread)."),
        QStringLiteral("N"));
    const QCommandLineOption trustedProxy(
        QStringLiteral("trusted-proxy"),
        QStringLiteral("A reverse proxy (ADDRESS or ADDRESS/BITS, repeatable) whose header "
                       "(--proxy-header) names the real client; limits and logs then apply to "
                       "that client. Such headers from anyone else are ignored."),
        QStringLiteral("ADDRESS[/BITS]"));
    const QCommandLineOption proxyHeader(
        QStringLiteral("proxy-header"),
        QStringLiteral("The header the trusted proxies set to name the client: X-Forwarded-For "
                       "(the default, with X-Forwarded-Proto) or Forwarded. Only that one is "
                       "read: a proxy passes on what a client sent in the other."),
        QStringLiteral("NAME"));
    const QCommandLineOption requestRate(
        QStringLiteral("requests-per-second"),
        QStringLiteral("Requests one client may send a second once its burst is used up "
                       "(default 200)."),
        QStringLiteral("N"));
    const QCommandLineOption requestBurst(
        QStringLiteral("request-burst"),
        QStringLiteral("Requests one client may send at once (default 2000: 300 phones "
                       "loading a page, its picture and its icon)."),
        QStringLiteral("N"));
    const QCommandLineOption answerRate(
        QStringLiteral("answers-per-second"),
        QStringLiteral("Answers one client may send a second once its burst is used up "
                       "(default 5: a class answering together, not a script)."),
        QStringLiteral("N"));
    const QCommandLineOption answerBurst(
        QStringLiteral("answer-burst"),
        QStringLiteral("Answers one client may send at once (default 600: a school's phones "
                       "behind one address)."),
        QStringLiteral("N"));
    const QCommandLineOption ipv4Prefix(
        QStringLiteral("ipv4-prefix"),
        QStringLiteral("How many leading bits of an IPv4 address make one client for the "
                       "limits (default 32: each address; 24 counts a /24 as one, against "
                       "someone who sends from many addresses of one network). An IPv6 client "
                       "is always its /64."),
        QStringLiteral("BITS"));
    const QCommandLineOption allAnswerRate(
        QStringLiteral("all-answers-per-second"),
        QStringLiteral("Answers all clients together may send a second once their burst is used "
                       "up (default 200)."),
        QStringLiteral("N"));
    const QCommandLineOption allAnswerBurst(
        QStringLiteral("all-answer-burst"),
        QStringLiteral("Answers all clients together may send at once (default 6000)."),
        QStringLiteral("N"));
    const QCommandLineOption dailyMegabytes(
        QStringLiteral("answer-megabytes-per-day"),
        QStringLiteral("Megabytes of answers taken in a day, all clients together (default "
                       "1024; 0: no limit). Past it, answers are refused with a page that says "
                       "to come back later, until the day's budget comes back."),
        QStringLiteral("N"));
    const QCommandLineOption noList(
        QStringLiteral("no-list"),
        QStringLiteral("Do not list the surveys at \"/\"; each survey's address still works."));
    const QCommandLineOption newToken(
        QStringLiteral("new-results-token"),
        QStringLiteral("Replace the secret of the results link: the old link stops working."));
    const QCommandLineOption tlsCertificate(
        QStringLiteral("tls-cert"),
        QStringLiteral("Serve HTTPS with this certificate chain (PEM), with --tls-key. Read "
                       "again on SIGHUP, as after a renewal."),
        QStringLiteral("FILE"));
    const QCommandLineOption tlsKey(QStringLiteral("tls-key"),
                                    QStringLiteral("The certificate's private key (PEM)."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption redirect(
        QStringLiteral("http-redirect-port"),
        QStringLiteral("With HTTPS: also listen for plain HTTP on this port, only to send "
                       "browsers to HTTPS (for example 80)."),
        QStringLiteral("N"));
    const QCommandLineOption language(
        QStringLiteral("lang"),
        QStringLiteral("The language the survey pages are in, for screen readers and "
                       "translation (default: this computer's, such as \"en\")."),
        QStringLiteral("TAG"));
    const QCommandLineOption languages(
        QStringLiteral("languages"),
        QStringLiteral("Other languages the collector's own pages (thank you, busy, closed, "
                       "errors, the list) may be in for respondents, as their browser asks: "
                       "a list such as de,fr,ar, or all (%1). Default: the --lang language "
                       "only.")
            .arg(Language::translated().join(QLatin1Char(','))),
        QStringLiteral("LIST"));
    const QCommandLineOption groupReadable(
        QStringLiteral("group-readable"),
        QStringLiteral("Make new answers files, summaries and the results secret readable by "
                       "their group too (0640), not by their owner alone (0600)."));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Log errors only, not every answer."));
    const QCommandLineOption window(QStringLiteral("window"),
                                    QStringLiteral("Show a window instead of log lines."));
    const QCommandLineOption summary(
        QStringLiteral("summary"),
        QStringLiteral("Write the summaries of the answers in FOLDER, then end."));
    const QCommandLineOption removeAnswer(
        QStringLiteral("remove-answer"),
        QStringLiteral("Take the answer with this answer ID (the last column of the answers file) "
                       "out of its answers file into the file of removed answers beside it, then "
                       "end; repeatable. The summary counts it no more. The results link does the "
                       "same while collecting."),
        QStringLiteral("ID"));
    const QCommandLineOption restoreAnswer(
        QStringLiteral("restore-answer"),
        QStringLiteral("Bring a removed answer back into its answers file, then end; repeatable."),
        QStringLiteral("ID"));
    const QCommandLineOption required(
        QStringLiteral("required"),
        QStringLiteral("Which questions of a page respondents must answer, then end: "
                       "\"PAGE.htm:all\", \"PAGE.htm:1,3\" (the questions by their place on the "
                       "page) or \"PAGE.htm:none\"; repeatable. The results link does the same "
                       "while collecting."),
        QStringLiteral("PAGE:QUESTIONS"));
    const QCommandLineOption close(
        QStringLiteral("close"),
        QStringLiteral("Close a survey now (\"PAGE.htm\") or at a time in this computer's time "
                       "(\"PAGE.htm@2026-12-18T17:00\"), then end; repeatable. Its page then says "
                       "since when it is closed."),
        QStringLiteral("PAGE[@TIME]"));
    const QCommandLineOption open(
        QStringLiteral("open"),
        QStringLiteral("Open a closed survey again, now or at a time, then end; repeatable."),
        QStringLiteral("PAGE[@TIME]"));
    const QCommandLineOption database(
        QStringLiteral("database"),
        QStringLiteral("Keep the answers in PostgreSQL instead of CSV files beside the pages, so "
                       "that several collectors share them. CONNINFO is what libpq takes: "
                       "\"host=db.example dbname=surveys user=velmora\", a postgresql:// URI or "
                       "\"service=NAME\". The password comes from ~/.pgpass, the service file "
                       "or PGPASSWORD, never from the command line, which every user can read."),
        QStringLiteral("CONNINFO"));
    const QCommandLineOption exportTo(
        QStringLiteral("export"),
        QStringLiteral("With --database: write the answers in the database into FOLDER as the "
                       "answers files and summaries collecting there would have made, and each "
                       "as a table for spreadsheets (NAME table.csv, NAME table.xlsx), then end."),
        QStringLiteral("FOLDER"));
    parser.addOptions({port,         local,          perAddress,     connections,    trustedProxy,
                       proxyHeader,  requestRate,    requestBurst,   answerRate,     answerBurst,
                       ipv4Prefix,   allAnswerRate,  allAnswerBurst, dailyMegabytes, noList,
                       newToken,     tlsCertificate, tlsKey,         redirect,       language,
                       languages,    groupReadable,  quiet,          window,         summary,
                       removeAnswer, restoreAnswer,  required,       close,          open,
                       database,     exportTo});
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    // Asked before any application object exists, which is where Qt would take
    // the program's name and version from.
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        *error = parser.helpText().replace(QLatin1String("<executable_name>"),
                                           QLatin1String("velmora-collect"));
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        *error = QStringLiteral("velmora-collect %1").arg(QLatin1String(BuildConfig::Version));
        return std::nullopt;
    }

    CollectOptions options;
    options.local = parser.isSet(local);
    options.window = parser.isSet(window);
    options.summary = parser.isSet(summary);
    options.removeAnswers = parser.values(removeAnswer);
    options.restoreAnswers = parser.values(restoreAnswer);
    options.required = parser.values(required);
    options.close = parser.values(close);
    options.open = parser.values(open);
    std::optional<quint16> fixedPort;
    if (!readNumber(parser, port, quint16(1), quint16(65535),
                    QStringLiteral("a number from 1 to 65535"), &fixedPort, error))
        return std::nullopt;
    options.port = fixedPort;
    for (const auto &[option, value] : {std::pair{&perAddress, &options.connectionsPerAddress},
                                        std::pair{&connections, &options.connections}})
        if (!readNumber(parser, *option, 1u, std::numeric_limits<unsigned>::max(),
                        QStringLiteral("a whole number above 0"), value, error))
            return std::nullopt;
    for (const auto &[option, value] : {std::pair{&requestRate, &options.requestsPerSecond},
                                        std::pair{&requestBurst, &options.requestBurst},
                                        std::pair{&answerRate, &options.answersPerSecond},
                                        std::pair{&answerBurst, &options.answerBurst},
                                        std::pair{&allAnswerRate, &options.allAnswersPerSecond},
                                        std::pair{&allAnswerBurst, &options.allAnswerBurst}})
        if (!readNumber(parser, *option, std::numeric_limits<double>::min(),
                        std::numeric_limits<double>::max(), QStringLiteral("a number above 0"),
                        value, error))
            return std::nullopt;
    if (!readNumber(parser, ipv4Prefix, 8u, 32u, QStringLiteral("a number from 8 to 32"),
                    &options.ipv4PrefixBits, error) ||
        !readNumber(parser, dailyMegabytes, 0u, 1u << 30, QStringLiteral("a whole number"),
                    &options.answerMegabytesPerDay, error))
        return std::nullopt;
    options.trustedProxies = parser.values(trustedProxy);
    if (!TrustedProxies::parse(options.trustedProxies, error))
        return std::nullopt;
    if (parser.isSet(proxyHeader)) {
        options.proxyHeader = parser.value(proxyHeader);
        if (!TrustedProxies::headerNamed(options.proxyHeader)) {
            *error = QStringLiteral("--proxy-header takes X-Forwarded-For or Forwarded, not "
                                    "\"%1\".")
                         .arg(options.proxyHeader);
            return std::nullopt;
        }
    }
    options.quiet = parser.isSet(quiet);
    options.list = !parser.isSet(noList);
    options.groupReadable = parser.isSet(groupReadable);
    options.newResultsToken = parser.isSet(newToken);
    options.language = parser.value(language);
    static const QRegularExpression languageTag(
        QStringLiteral("^[A-Za-z]{2,8}(-[A-Za-z0-9]{1,8})*$"));
    if (!options.language.isEmpty() && !languageTag.match(options.language).hasMatch()) {
        *error = QStringLiteral("--lang takes a language tag such as en, de or pt-BR.");
        return std::nullopt;
    }
    for (const QString &tag : parser.value(languages).split(u',', Qt::SkipEmptyParts)) {
        const QString trimmed = tag.trimmed();
        if (trimmed == QLatin1String("all")) {
            options.languages.append(QStringLiteral("*"));
        } else if (!languageTag.match(trimmed).hasMatch()) {
            *error = QStringLiteral("--languages takes language tags such as de,fr,ar, or all.");
            return std::nullopt;
        } else {
            options.languages.append(trimmed);
        }
    }
    if (parser.isSet(database))
        options.database = parser.value(database).toUtf8();
    options.exportFolder = parser.value(exportTo);
    QString conninfoError;
    if (parser.isSet(database) && PgConnection::holdsPassword(*options.database, &conninfoError)) {
        *error = QStringLiteral("--database: put the password in ~/.pgpass, a service file or "
                                "PGPASSWORD, not on the command line, where every user of this "
                                "computer can read it.");
        return std::nullopt;
    }
    if (!conninfoError.isEmpty()) {
        *error = QStringLiteral("--database: %1").arg(conninfoError);
        return std::nullopt;
    }
    if (parser.isSet(exportTo) && !parser.isSet(database)) {
        *error = QStringLiteral("--export needs --database.");
        return std::nullopt;
    }
    if (options.summary && options.database) {
        *error = QStringLiteral("--summary reads answers files; with --database, --export writes "
                                "the summaries.");
        return std::nullopt;
    }
    options.tlsCertificate = parser.value(tlsCertificate);
    options.tlsKey = parser.value(tlsKey);
    if (options.tlsCertificate.isEmpty() != options.tlsKey.isEmpty()) {
        *error = QStringLiteral("--tls-cert and --tls-key go together.");
        return std::nullopt;
    }
    const QString redirectTakes =
        QStringLiteral("a port from 1 to 65535, and needs --tls-cert and --tls-key");
    if (!readNumber(parser, redirect, quint16(1), quint16(65535), redirectTakes,
                    &options.redirectPort, error))
        return std::nullopt;
    if (options.redirectPort && options.tlsCertificate.isEmpty()) {
        *error = QStringLiteral("--http-redirect-port takes %1.").arg(redirectTakes);
        return std::nullopt;
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

std::optional<CollectOptions> CollectOptions::fromCommandLine(int argc, char *argv[],
                                                              int *exitCode) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QString error;
    std::optional<CollectOptions> options = parse(arguments, &error);
    if (!options) {
        const bool asked = error.startsWith(QLatin1String("Usage:")) ||
                           error.startsWith(QLatin1String("velmora-collect "));
        std::fprintf(asked ? stdout : stderr, "%s\n", qPrintable(error));
        *exitCode = asked ? 0 : 2;
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

QString CollectOptions::surveyLanguage() const {
    if (!language.isEmpty())
        return language;
    const QString system = QLocale::system().bcp47Name();
    return system.isEmpty() || system == QLatin1String("C") ? QStringLiteral("en") : system;
}

} // namespace Velmora
