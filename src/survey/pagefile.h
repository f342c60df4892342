#pragma once

#include "durablefile.h"

#include <QByteArray>

namespace Velmora {

// The page file on disk. The lines go to a temporary file that takes the place of
// an older page only when the whole new page is on the disk, so a failure never
// leaves a truncated page behind. Failures throw RuntimeError.
class PageFile {
public:
    explicit PageFile(const QString &path);

    void open();
    // Appends the line and its CR LF.
    void appendLine(const QByteArray &line);
    void commit();

private:
    void flush();

    DurableFile m_file;
    QByteArray m_pending;
};

} // namespace Velmora
