#pragma once

#include "httpclient.h"
#include "processmemory.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

// velmora-collect on a free port of 127.0.0.1.
class CollectorProcess {
public:
    bool start(const QString &folder, const QStringList &options = {}) {
        m_port = freePort();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral(VELMORA_COLLECT_BINARY),
                        QStringList{folder, QStringLiteral("--port"), QString::number(m_port),
                                    QStringLiteral("--local")} +
                            options);
        return waitForOutput("Press Ctrl+C", 10000);
    }
    ~CollectorProcess() {
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }
    quint16 port() const { return m_port; }
    // SIGTERM, as systemd stops the service: the exit code, or -1 when the
    // program did not end by itself (a crash, an abort, a hang).
    int terminate(int ms = 30000) {
        m_process.terminate();
        if (!m_process.waitForFinished(ms)) {
            m_process.kill();
            m_process.waitForFinished(5000);
            return -1;
        }
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    // Ends the program at once, as a crash or the kernel's OOM killer would.
    void kill() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    QByteArray output() {
        m_output += m_process.readAll();
        return m_output;
    }
    // Whether the program printed `text` by now or within `ms` milliseconds.
    bool waitForOutput(const QByteArray &text, int ms = 5000) {
        QElapsedTimer waited;
        waited.start();
        while (!output().contains(text) && waited.elapsed() < ms)
            m_process.waitForReadyRead(100);
        return m_output.contains(text);
    }
    int threads() const {
        return int(QDir(QStringLiteral("/proc/%1/task").arg(m_process.processId()))
                       .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                       .size());
    }
    // The most memory the process has held, in MiB.
    double peakMiB() const {
        return double(processMemoryKiB(m_process.processId(), "VmHWM:")) / 1024.0;
    }

private:
    QProcess m_process;
    QByteArray m_output;
    quint16 m_port = 0;
};
