#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace Velmora {

// What the command line asks of velmora-collect.
struct CollectOptions {
    QString folder;
    std::optional<quint16> port; // fixed; without it the first free port from 8080
    bool local = false;
    unsigned connectionsPerAddress = 1000;
    unsigned connections = 10000;
    QStringList trustedProxies;                              // ADDRESS[/BITS]
    QString proxyHeader = QStringLiteral("X-Forwarded-For"); // or "Forwarded"
    double requestsPerSecond = 200;                          // one client's steady rate of requests
    double requestBurst = 2000;                              // requests one client may send at once
    double answersPerSecond = 5;                             // one client's steady rate of answers
    double answerBurst = 600;                                // answers one client may send at once
    unsigned ipv4PrefixBits = 32;                            // IPv4 addresses counted as one client
    double allAnswersPerSecond = 200;                        // everyone's steady rate of answers
    double allAnswerBurst = 6000;                            // answers everyone may send at once
    unsigned answerMegabytesPerDay = 1024;                   // 0: no daily limit
    bool quiet = false;                                      // errors only
    bool list = true;                                        // "/" lists the surveys
    bool groupReadable = false;   // answers files readable by their group too
    bool newResultsToken = false; // replace the secret of the results link
    QString language;             // of the respondent pages; empty: the system's
    QStringList languages;        // offered to respondents besides; "*": all

    // The language of the surveys and the organiser's pages: --lang, or this
    // computer's.
    QString surveyLanguage() const;
    QString tlsCertificate, tlsKey;      // HTTPS: PEM files
    std::optional<quint16> redirectPort; // plain HTTP that only redirects to HTTPS
    std::optional<QByteArray> database;  // libpq's connection string; none: answers files
    QString exportFolder;                // write the database's answers there and end
    bool window = false;  // a window instead of log lines, as the desktop action starts it
    bool summary = false; // write the summaries of the folder and end
    QStringList removeAnswers, restoreAnswers; // answer IDs to take out or bring back, and end
    QStringList required;    // "PAGE.htm:all", "PAGE.htm:1,3", "PAGE.htm:none": set, and end
    QStringList close, open; // "PAGE.htm" (now) or "PAGE.htm@2026-12-18T17:00": set, and end

    // Nothing, with `error` set, when the arguments make no sense.
    static std::optional<CollectOptions> parse(const QStringList &arguments, QString *error);
    // The options of a program's command line; nothing when the program is to
    // end at once (help or version printed, or an error said), with its `exitCode`.
    static std::optional<CollectOptions> fromCommandLine(int argc, char *argv[], int *exitCode);
};

// The folder Velmora's window saves its surveys to ("Output Folder"), when it is one.
QString velmoraOutputFolder();

} // namespace Velmora
