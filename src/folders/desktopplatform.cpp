#include "desktopplatform.h"

#include "messagebox.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

namespace Velmora {

namespace {

QString existingFolderOrHome(QStandardPaths::StandardLocation location) {
    const QString path = QStandardPaths::writableLocation(location);
    return !path.isEmpty() && QFileInfo(path).isDir() ? path : QDir::homePath();
}

} // namespace

void DesktopPlatform::endSession() {
    m_ending = true;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QDialog *>(window); dialog && dialog->isVisible())
            dialog->reject();
    }
}

void DesktopPlatform::showMessage(const QString &caption, const QString &text, Icon icon) {
    if (m_ending)
        return;
    MessageBox box(caption, text, icon, m_parent);
    box.exec();
}

bool DesktopPlatform::openUrl(const QUrl &url) {
    return !m_ending && QDesktopServices::openUrl(url);
}

QDateTime DesktopPlatform::now() {
    return QDateTime::currentDateTime();
}

double DesktopPlatform::random() {
    return QRandomGenerator::global()->generateDouble();
}

QString DesktopPlatform::programFolder() {
    return QCoreApplication::applicationDirPath();
}

QString DesktopPlatform::desktopFolder() {
    // Many Linux desktops have no Desktop folder: the home folder is where
    // people then look for what a program saved "on the desktop".
    return existingFolderOrHome(QStandardPaths::DesktopLocation);
}

QString DesktopPlatform::openFileName(const QString &title, const QString &filter,
                                      const QString &initialFolder) {
    QFileDialog dialog(m_parent, title,
                       !initialFolder.isEmpty() && QFileInfo(initialFolder).isDir()
                           ? initialFolder
                           : existingFolderOrHome(QStandardPaths::PicturesLocation),
                       filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontUseNativeDialog, !m_useNativeDialogs);
    if (m_ending || dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString DesktopPlatform::existingDirectory(const QString &title, const QString &initialFolder) {
    QFileDialog dialog(m_parent, title);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::DontUseNativeDialog, !m_useNativeDialogs);
    // Without a folder to start in, the home folder: the working folder of a
    // program started from a menu means nothing to the person.
    dialog.setDirectory(!initialFolder.isEmpty() && QFileInfo(initialFolder).isDir()
                            ? initialFolder
                            : QDir::homePath());
    if (m_ending || dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace Velmora
