// /healthz, for a monitor or a load balancer: whether an answer could be
// stored now, and if not, why.
#include "collector.h"

#include "answersfile.h"
#include "runtimeerror.h"

#include <QFile>

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace Velmora {

namespace {

// Less free space than this and an answer may not fit: the health check says so.
constexpr qint64 MinFreeSpace = 64 * 1024;

} // namespace

QString Collector::whyAnswersCannotBeStored() const {
    const QByteArray folder = QFile::encodeName(m_folder);
    struct stat info {};
    if (::stat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return QStringLiteral("the survey folder is gone");
    if (m_database)
        return m_database->whyUnavailable();
    if (::access(folder.constData(), W_OK) != 0)
        return QStringLiteral("the survey folder is not writable");
    struct statvfs disk {};
    if (::statvfs(folder.constData(), &disk) == 0 &&
        qint64(disk.f_bavail) * qint64(disk.f_frsize) < MinFreeSpace)
        return QStringLiteral("the disk is full");
    // An answers file that another program holds (a second collector started
    // on the same folder) takes no answer, while the respondents' pages still load.
    std::shared_ptr<const Folder> pages;
    {
        std::lock_guard lock(m_mutex);
        pages = m_pages;
    }
    for (auto page = pages ? pages->pages.cbegin() : decltype(pages->pages.cbegin())();
         pages && page != pages->pages.cend(); ++page) {
        {
            std::lock_guard lock(m_mutex);
            const auto answers = m_answers.find(page.key());
            if (answers != m_answers.end() && answers->second.file)
                continue; // open here, so held by this collector
        }
        try {
            const QString path = AnswersFile::pathFor(
                m_folder, page.key(),
                AnswerSheet(page->page, AnswerSheet::Form::RespondentPage).header());
            if (AnswersFile::heldElsewhere(path))
                return QStringLiteral("another program is writing to %1")
                    .arg(QFileInfo(path).fileName());
        } catch (const RuntimeError &error) {
            return error.description();
        }
    }
    return {};
}

HttpResponse Collector::health() const {
    // For a monitor or a load balancer: plain text, and no survey named.
    const QString why = whyAnswersCannotBeStored();
    HttpResponse response;
    response.status = why.isEmpty() ? 200 : 503;
    response.contentType = "text/plain; charset=utf-8";
    response.body =
        why.isEmpty() ? QByteArray("ok\n") : "answers cannot be stored: " + why.toUtf8() + '\n';
    response.addHeader("Cache-Control", "no-store");
    return response;
}

} // namespace Velmora
