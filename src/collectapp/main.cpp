#include "answerexport.h"
#include "collectoptions.h"
#include "collectsession.h"
#include "organiserpages.h"
#include "postgresanswers.h"
#include "runtimeerror.h"
#include "terminationsignals.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <unistd.h>

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
    collector.setLanguages(Languages(options.surveyLanguage()));
    if (!collector.writeSummaries(true)) {
        std::fprintf(stderr, "Not every summary could be written in %s.\n",
                     qPrintable(collector.folder()));
        return 1;
    }
    say(QStringLiteral("Summaries written in %1").arg(collector.folder()));
    return 0;
}

// The collector of a one-off command, on the folder and, where collecting
// keeps them there, the answers in the database.
std::unique_ptr<Collector> commandCollector(const CollectOptions &options) {
    auto collector = std::make_unique<Collector>(
        options.folder, [] { return QDateTime::currentDateTime(); }, say);
    if (options.database)
        collector->setDatabase(std::make_shared<PostgresAnswers>(*options.database, say, 1));
    return collector;
}

// Test answers taken out of the answers files, or brought back, while no
// collector runs on the folder (one that runs does it from the results link).
int moveAnswers(const CollectOptions &options) {
    const std::unique_ptr<Collector> command = commandCollector(options);
    Collector &collector = *command;
    const bool restore = options.removeAnswers.isEmpty();
    const QStringList &ids = restore ? options.restoreAnswers : options.removeAnswers;
    qsizetype moved = 0;
    try {
        for (const Collector::Survey &survey : collector.surveys()) {
            const qsizetype here = collector.moveAnswers(
                survey.fileName, QSet<QString>(ids.cbegin(), ids.cend()), restore);
            if (here > 0)
                say(QStringLiteral("%1: %2 answers %3")
                        .arg(survey.title)
                        .arg(here)
                        .arg(restore ? QStringLiteral("brought back") : QStringLiteral("removed")));
            moved += here;
        }
    } catch (const RuntimeError &error) {
        std::fprintf(stderr, "Nothing more was changed: %s\n", qPrintable(error.description()));
        return 1;
    }
    if (moved < ids.size()) {
        std::fprintf(stderr, "%lld of the %lld answer IDs were found in no answers file of %s.\n",
                     qlonglong(ids.size() - moved), qlonglong(ids.size()),
                     qPrintable(collector.folder()));
        return 1;
    }
    return 0;
}

// The questions respondents must answer, set while no collector runs on the
// folder (one that runs does it from the results link).
int setRequired(const CollectOptions &options) {
    Collector collector(
        options.folder, [] { return QDateTime::currentDateTime(); }, say);
    const QMap<QString, QStringList> questions = collector.questions();
    for (const QString &setting : options.required) {
        const qsizetype colon = setting.lastIndexOf(u':');
        const QString page = setting.left(colon);
        const QString which = setting.mid(colon + 1).trimmed();
        if (colon < 0 || !questions.contains(page)) {
            std::fprintf(stderr, "--required %s: there is no survey page \"%s\" in %s.\n",
                         qPrintable(setting), qPrintable(page), qPrintable(collector.folder()));
            return 1;
        }
        RequiredAnswers required;
        required.everyQuestion = which == QLatin1String("all");
        if (!required.everyQuestion && which != QLatin1String("none")) {
            for (const QString &number : which.split(u',')) {
                bool ok = false;
                const qsizetype at = number.trimmed().toLongLong(&ok) - 1;
                if (!ok || at < 0 || at >= questions[page].size()) {
                    std::fprintf(stderr,
                                 "--required %s: \"%s\" is none of the page's questions, 1 to "
                                 "%lld; or say all or none.\n",
                                 qPrintable(setting), qPrintable(number),
                                 qlonglong(questions[page].size()));
                    return 1;
                }
                required.questions.append(questions[page][at]);
            }
        }
        try {
            collector.setRequired(page, required);
        } catch (const RuntimeError &error) {
            std::fprintf(stderr, "Nothing more was changed: %s\n", qPrintable(error.description()));
            return 1;
        }
        say(QStringLiteral("%1: %2").arg(
            page, required.everyQuestion ? QStringLiteral("every question must be answered")
                  : required.questions.isEmpty()
                      ? QStringLiteral("no question must be answered")
                      : QStringLiteral("these must be answered: ") +
                            required.questions.join(QStringLiteral("; "))));
    }
    return 0;
}

// Surveys closed or opened, now or at a time, while no collector runs on the
// folder (one that runs does it from the results link).
int setSchedules(const CollectOptions &options) {
    const std::unique_ptr<Collector> command = commandCollector(options);
    Collector &collector = *command;
    const QMap<QString, QStringList> pages = collector.questions();
    for (const bool closing : {true, false}) {
        for (const QString &setting : closing ? options.close : options.open) {
            const qsizetype at = setting.lastIndexOf(u'@');
            const QDateTime now = QDateTime::currentDateTime();
            QString page = setting;
            QDateTime time = now;
            if (at > 0 && !pages.contains(setting)) {
                page = setting.left(at);
                time = QDateTime::fromString(setting.mid(at + 1), Qt::ISODate);
            }
            if (!pages.contains(page) || !time.isValid()) {
                std::fprintf(stderr,
                             "--%s %s: say a survey page of %s, and a time such as "
                             "2026-12-18T17:00 if not now.\n",
                             closing ? "close" : "open", qPrintable(setting),
                             qPrintable(collector.folder()));
                return 1;
            }
            const SurveySchedule schedule =
                closing ? SurveySchedule::closing(time, now)
                        : SurveySchedule::opening(collector.schedule(page), time, now);
            try {
                collector.setSchedule(page, schedule);
            } catch (const RuntimeError &error) {
                std::fprintf(stderr, "Nothing more was changed: %s\n",
                             qPrintable(error.description()));
                return 1;
            }
            say(QStringLiteral("%1: %2").arg(page, scheduleState(Language(), schedule, now)));
        }
    }
    return 0;
}

int exportFromDatabase(const CollectOptions &options) {
    QString error;
    if (!exportAnswers(*options.database, options.exportFolder,
                       options.groupReadable ? AnswersFile::GroupMode : AnswersFile::PrivateMode,
                       Language(options.surveyLanguage()), say, &error)) {
        std::fprintf(stderr, "Cannot export the answers: %s\n", qPrintable(error));
        return 1;
    }
    say(QStringLiteral("Answers written in %1").arg(options.exportFolder));
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
    for (const Collector::Survey &survey : surveys) {
        say(QStringLiteral("  %1: %2 answers so far").arg(survey.title).arg(survey.answers));
        // Answers to earlier versions of the page stay where they are, in reach.
        if (!survey.earlierAnswersFiles.isEmpty())
            say(QStringLiteral("    and %1 answers to earlier versions of the page, in %2")
                    .arg(survey.earlierAnswers)
                    .arg(survey.earlierAnswersFiles.join(QStringLiteral(", "))));
    }
    if (!options.port && session.port() != CollectSession::DefaultPort)
        say(QStringLiteral("Port %1 is taken, so this collector listens on port %2.")
                .arg(CollectSession::DefaultPort)
                .arg(session.port()));
    say(QStringLiteral("Give respondents this address:"));
    for (const QString &address : session.addresses())
        say(QStringLiteral("  ") + address);
    say(QStringLiteral("Your results (keep this link to yourself; it works on this computer, "
                       "or over HTTPS with this computer's name):"));
    say(QStringLiteral("  ") + session.resultsAddress());
    say(QStringLiteral("Press Ctrl+C to stop."));

    onTerminationSignals(&app, [&] {
        session.stop();
        say(QStringLiteral("Stopped."));
        QCoreApplication::quit();
    });
    // As servers do: SIGHUP after a certificate renewal, not an end.
    onSignals(&app, {SIGHUP}, [&] { session.reloadCertificates(); });
    return app.exec();
}

// The window is a program of its own, so that this one needs no display and no
// graphics libraries: `--window`, as earlier desktop entries start it, hands
// over to it.
int showWindow(char *argv[]) {
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QByteArray window = QFile::encodeName(QFileInfo(self).absolutePath() +
                                                QStringLiteral("/velmora-collect-window"));
    argv[0] = const_cast<char *>(window.constData());
    ::execv(window.constData(), argv);
    std::fprintf(stderr,
                 "Cannot show the collector window (%s): it comes with the velmora package.\n",
                 std::strerror(errno));
    return 2;
}

} // namespace

int main(int argc, char *argv[]) {
    int exitCode = 0;
    const std::optional<CollectOptions> options =
        CollectOptions::fromCommandLine(argc, argv, &exitCode);
    if (!options)
        return exitCode;
    if (options->window)
        return showWindow(argv);
    reportWritesPastFileSizeLimit();
    QCoreApplication app(argc, argv);
    if (options->summary)
        return writeSummaries(*options);
    if (!options->removeAnswers.isEmpty() || !options->restoreAnswers.isEmpty())
        return moveAnswers(*options);
    if (!options->required.isEmpty())
        return setRequired(*options);
    if (!options->close.isEmpty() || !options->open.isEmpty())
        return setSchedules(*options);
    if (!options->exportFolder.isEmpty())
        return exportFromDatabase(*options);
    return collectInTerminal(app, *options);
}
