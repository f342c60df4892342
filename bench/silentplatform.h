#pragma once

#include "platform.h"

// A desktop that answers everything at once and shows nothing.
class SilentPlatform : public Velmora::Platform {
public:
    explicit SilentPlatform(QString folder = {})
        : m_folder(std::move(folder)) {}
    void showMessage(const QString &, const QString &, Icon) override {}
    bool openUrl(const QUrl &) override { return true; }
    QDateTime now() override { return QDateTime::currentDateTime(); }
    double random() override { return 0.5; }
    QString programFolder() override { return m_folder; }
    QString desktopFolder() override { return m_folder; }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString existingDirectory(const QString &, const QString &) override { return {}; }
    void endSession() override {}

private:
    QString m_folder;
};
