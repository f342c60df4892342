// The collector's own pages that are no survey's: the list of surveys at
// "/", the style and the icon, and 405 for the methods it does not take.
#include "collector.h"

#include "collectorpages.h"

#include <QUrl>

namespace Velmora {

bool Collector::otherMethodsRoute(const Incoming &in, const Reply &reply) {
    if (in.read || in.post)
        return false;
    reply(methodNotAllowed(in.words, "GET, HEAD, POST", false));
    return true;
}

bool Collector::ownPagesRoute(const Incoming &in, const Reply &reply) {
    const QByteArray &path = in.request.path;
    if (path == "/" && m_listed) {
        reply(in.post ? methodNotAllowed(in.words, "GET, HEAD", true) : index(in));
        return true;
    }
    if (path == "/favicon.ico" && in.read) {
        reply(favicon());
        return true;
    }
    if (path == "/velmora.css" && in.read) {
        reply(style());
        return true;
    }
    return false;
}

HttpResponse Collector::index(const Incoming &in) {
    QList<std::pair<QString, QString>> open;
    const QDateTime now = m_clock();
    for (auto it = in.folder->pages.cbegin(); it != in.folder->pages.cend(); ++it)
        if (!it->schedule.isClosed(now))
            open.append({QString::fromLatin1(QUrl::toPercentEncoding(it.key())),
                         it->page.title.isEmpty() ? it.key() : it->page.title});
    return surveyList(in.words, open);
}

} // namespace Velmora
