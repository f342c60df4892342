#pragma once

#include "collectoptions.h"
#include "collector.h"
#include "httpserver.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace Velmora {

// One run of collecting: the collector on its folder, the HTTP server, the
// folder looked at again as soon as it changes, and the summaries brought up to
// date about once a second while answers arrive and once more at the end. The command line and the
// window are two faces of it.
class CollectSession : public QObject {
    Q_OBJECT

public:
    explicit CollectSession(const CollectOptions &options, QObject *parent = nullptr);
    ~CollectSession() override;

    // Listens on the first free port from 8080 on, or exactly on the one asked
    // for. False, with `error` set, when that cannot be done.
    bool start(QString *error);
    // Finishes the requests in flight, then writes the summaries once more.
    void stop();
    // Reads the HTTPS certificate and key again (after a renewal); the old ones
    // stay in use when the new ones cannot be read.
    void reloadCertificates();

    // The addresses to give respondents.
    QStringList addresses() const;
    quint16 port() const { return m_server ? m_server->port() : 0; }
    // The organiser's results link on this computer: the summaries and answers
    // files, behind a secret made at the first start and kept beside the answers.
    QString resultsAddress() const;
    // The collector's address on this computer, ending in "/".
    QString localAddress() const;
    static constexpr quint16 DefaultPort = 8080;
    QList<Collector::Survey> surveys() { return m_collector.surveys(); }
    // Closes the survey now, or opens it now; false, with `error`, when the
    // choice could not be kept.
    bool closeOrOpenNow(const QString &pageFile, bool close, QString *error);
    QString folder() const { return m_collector.folder(); }
    // Why answers cannot be stored now (a full disk, an answers file another
    // program holds), as last looked at, about once a second; empty when they can.
    QString whyAnswersCannotBeStored();

signals:
    // A line for the log, on this object's thread.
    void logLine(const QString &line);

private:
    static constexpr std::chrono::seconds RefusalPeriod{10};
    static constexpr int ResultsTokenBytes = 16;

    void summaryLoop();
    void logRefusals();
    // The secret of the results link, read from its file or made anew.
    bool loadResultsToken(QString *error);
    bool startRedirect(QString *error);
    bool tls() const { return !m_options.tlsCertificate.isEmpty(); }
    // Any thread; the line reaches logLine() on this object's thread, stamped.
    void log(const QString &line);

    CollectOptions m_options;
    Collector m_collector;
    std::unique_ptr<HttpServer> m_server;
    std::unique_ptr<HttpServer> m_redirect; // plain HTTP to HTTPS
    QFileSystemWatcher m_watcher;
    QByteArray m_resultsToken;
    std::atomic<bool> m_folderChanged = false;
    std::thread m_summaries;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    QString m_cannotStore; // under m_mutex
};

} // namespace Velmora
