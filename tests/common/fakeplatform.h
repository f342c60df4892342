#pragma once

#include "platform.h"

#include <QList>
#include <QStringList>

#include <functional>

// Records what the program shows and opens, and answers dialogs from a script.
class FakePlatform : public Velmora::Platform {
public:
    struct Message {
        QString caption;
        QString text;
        Icon icon;
    };

    void showMessage(const QString &caption, const QString &text, Icon icon) override {
        if (ended)
            return;
        messages.append({caption, text, icon});
        if (onMessage)
            onMessage();
    }
    bool openUrl(const QUrl &url) override {
        if (ended)
            return false;
        opened.append(url);
        return openSucceeds;
    }
    QDateTime now() override { return clock; }
    double random() override { return randomValue; }
    QString programFolder() override { return programPath; }
    QString desktopFolder() override { return desktopPath; }
    QString openFileName(const QString &title, const QString &filter,
                         const QString &initialFolder) override {
        dialogTitles.append(title);
        initialFolders.append(initialFolder);
        dialogFilters.append(filter);
        return chosenFile;
    }
    QString existingDirectory(const QString &title, const QString &initialFolder) override {
        dialogTitles.append(title);
        initialFolders.append(initialFolder);
        return chosenFolder;
    }

    void endSession() override { ended = true; }

    QStringList messageTexts() const {
        QStringList texts;
        for (const Message &m : messages)
            texts.append(m.text);
        return texts;
    }

    QList<Message> messages;
    QList<QUrl> opened;
    QStringList dialogTitles;
    QStringList dialogFilters;
    QStringList initialFolders;
    std::function<void()> onMessage;
    bool openSucceeds = true;
    bool ended = false;
    QDateTime clock{QDate(2021, 8, 31), QTime(14, 3, 27)};
    double randomValue = 0.5;
    QString programPath = QStringLiteral("/opt/velmora");
    QString desktopPath = QStringLiteral("/home/someone/Desktop");
    QString chosenFile;
    QString chosenFolder;
};
