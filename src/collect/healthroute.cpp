// /healthz, for a monitor or a load balancer: whether an answer could be
// stored now, and if not, why.
#include "collector.h"

#include <QFile>

#include <sys/stat.h>

namespace Velmora {

QString Collector::whyAnswersCannotBeStored() const {
    const QByteArray folder = QFile::encodeName(m_folder);
    struct stat info {};
    if (::stat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return QStringLiteral("the survey folder is gone");
    std::shared_ptr<const Folder> pages;
    {
        std::lock_guard lock(m_mutex);
        pages = m_pages;
    }
    return m_store->whyCannotStore(*pages);
}

bool Collector::healthRoute(const Incoming &in, const Reply &reply) {
    if (in.request.path != "/healthz" || !in.read)
        return false;
    reply(health());
    return true;
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
