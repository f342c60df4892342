#include "desktopplatform.h"

#include "messagebox.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QRandomGenerator>
#include <QScreen>
#include <QStandardPaths>
#include <QTreeView>

namespace Velmora {

namespace {

QString existingFolderOrHome(QStandardPaths::StandardLocation location) {
    const QString path = QStandardPaths::writableLocation(location);
    return !path.isEmpty() && QFileInfo(path).isDir() ? path : QDir::homePath();
}

// Qt's own dialog opens too small for its columns: sizes, types and dates were
// cut to "PN...ge" and "8 Dec ...:10". It gets room, and the columns after the
// name fit what they show once the folder is read.
void fitColumns(QFileDialog &dialog) {
    QSize size(860, 520);
    if (const QScreen *screen = dialog.screen())
        size = size.boundedTo(screen->availableSize() * 9 / 10);
    dialog.resize(size);
    auto *details = dialog.findChild<QTreeView *>(QStringLiteral("treeView"));
    auto *files = dialog.findChild<QFileSystemModel *>();
    if (!details || !files)
        return; // the desktop's own dialog lays itself out
    QHeaderView *header = details->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count(); ++column)
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
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
    fitColumns(dialog);
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
    fitColumns(dialog);
    if (m_ending || dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace Velmora
