#pragma once

#include "platform.h"

#include <QPointer>
#include <QWidget>

namespace Velmora {

// The real desktop: Qt's message boxes and file dialogs, the desktop's handlers
// for files and web addresses, the clock and the folders of this machine.
class DesktopPlatform : public Platform {
public:
    // Dialogs and message boxes are modal to this window.
    void setDialogParent(QWidget *parent) { m_parent = parent; }
    // Qt's own dialogs instead of the desktop's; tests drive those.
    void setUseNativeDialogs(bool useNative) { m_useNativeDialogs = useNative; }
    // The open message box or dialog is closed too.
    void endSession() override;

    void showMessage(const QString &caption, const QString &text, Icon icon) override;
    bool openUrl(const QUrl &url) override;
    QDateTime now() override;
    double random() override;
    QString programFolder() override;
    QString desktopFolder() override;
    QString openFileName(const QString &title, const QString &filter,
                         const QString &initialFolder) override;
    QString existingDirectory(const QString &title, const QString &initialFolder) override;

private:
    QPointer<QWidget> m_parent;
    bool m_useNativeDialogs = true;
    bool m_ending = false;
};

} // namespace Velmora
