#include "choosers.h"

#include "browseforfolder.h"
#include "errortrap.h"
#include "fileroutines.h"

#include <QFileInfo>

namespace Velmora {

QString pictureFilter() {
    // Linux names are case-sensitive and cameras write "IMG_0001.JPG": the
    // bracket patterns let Qt's dialog and the desktop's own match any case.
    return QStringLiteral("Picture Files (*.[bB][mM][pP] *.[jJ][pP][gG] *.[jJ][pP][eE][gG] "
                          "*.[gG][iI][fF] *.[pP][nN][gG])");
}

void chooseBackgroundPicture(Platform &platform, const QString &currentPicture,
                             const SetFieldText &setBackground, const SetMousePointer &setPointer) {
    ErrorTrap trap(platform, QStringLiteral("PushButton2_Click"));
    QString fileName;
    trap.step(106, [&] {
        // The dialog opens where the current picture is, when it is anywhere.
        fileName = platform.openFileName(QStringLiteral("Select single file"), pictureFilter(),
                                         QFileInfo(currentPicture).absolutePath());
    });
    if (trap.test(108, [&] { return fileName.isEmpty(); }))
        return;
    trap.step(110, [&] { setPointer(MousePointer::Wait); });
    trap.step(112, [&] { setBackground(fileName); });
    trap.step(114, [&] { setPointer(MousePointer::Default); });
}

void chooseOutputFolder(Platform &platform, const std::function<QString()> &lastFolderDot,
                        const SetFieldText &setOutputFolder, const SetMousePointer &setPointer) {
    ErrorTrap trap(platform, QStringLiteral("PushButton3_Click"));
    // A setting that cannot be read is reported, and the dialog still opens,
    // with nothing preselected.
    QString preselected;
    trap.step(100, [&] { preselected = lastFolderDot(); });
    QString folder;
    trap.step(100, [&] {
        folder = browseForFolder(platform, QStringLiteral("Please select folder:"), preselected);
    });
    if (trap.test(102, [&] { return folder.isEmpty(); }))
        return;
    trap.step(104, [&] { setPointer(MousePointer::Wait); });
    if (trap.test(106, [&] { return folder.endsWith(QLatin1Char('/')); }))
        trap.step(108, [&] { setOutputFolder(normalizePath(folder)); });
    else
        trap.step(110, [&] { setOutputFolder(normalizePath(folder) + QLatin1Char('/')); });
    trap.step(112, [&] { setPointer(MousePointer::Default); });
}

} // namespace Velmora
