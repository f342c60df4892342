#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>

namespace Velmora {

// Everything that leaves the process or waits for a person. The program fills it
// with the real desktop services; tests fill it with fakes.
class Platform {
public:
    enum class Icon { None, Warning };

    virtual ~Platform() = default;

    // Modal; returns when the person has closed the box.
    virtual void showMessage(const QString &caption, const QString &text, Icon icon) = 0;
    // Hands a file or a web address to the desktop; false when nothing took it.
    virtual bool openUrl(const QUrl &url) = 0;
    virtual QDateTime now() = 0;
    // Uniform in [0, 1).
    virtual double random() = 0;
    // The folder that holds the program, without a trailing separator unless it is the root.
    virtual QString programFolder() = 0;
    // The person's desktop folder without a trailing separator; empty when it cannot be resolved.
    virtual QString desktopFolder() = 0;
    // Both dialogs return the empty text when the person cancels. An initial
    // folder that does not exist leaves the choice to the dialog.
    virtual QString openFileName(const QString &title, const QString &filter,
                                 const QString &initialFolder) = 0;
    virtual QString existingDirectory(const QString &title, const QString &initialFolder) = 0;
    // The program is ending (its window closed, a termination signal): a
    // command still running finishes its files, but no box or dialog opens any
    // more and nothing is handed to the desktop.
    virtual void endSession() = 0;
};

} // namespace Velmora
