// The results link's tables for spreadsheets, made from the answers when
// asked for.
#include "collector.h"

#include "organiserpages.h"
#include "runtimeerror.h"

#include <QUrl>

namespace Velmora {

SpreadsheetTable Collector::spreadsheetOf(const QString &pageFile) {
    const std::shared_ptr<const Folder> folder = folderNow();
    const auto page = folder->pages.constFind(pageFile);
    if (page == folder->pages.cend())
        throw RuntimeError(QStringLiteral("there is no survey page %1").arg(pageFile));
    return spreadsheetTable(page->page, m_store->latestAnswers(*folder, pageFile));
}

std::optional<HttpResponse> Collector::spreadsheetResponse(const Language &words,
                                                           const QString &name) {
    const bool xlsx = name.endsWith(QLatin1String(" table.xlsx"));
    if (!xlsx && !name.endsWith(QLatin1String(" table.csv")))
        return std::nullopt;
    const QString pageFile =
        name.left(name.lastIndexOf(QLatin1String(" table."))) + QStringLiteral(".htm");
    if (!folderNow()->pages.contains(pageFile))
        return std::nullopt;
    HttpResponse response;
    try {
        const SpreadsheetTable table = spreadsheetOf(pageFile);
        if (xlsx) {
            response.body = spreadsheetXlsx(table);
            response.contentType =
                "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
        } else {
            response.body = spreadsheetCsv(table);
            response.contentType = "text/csv; charset=utf-8";
        }
    } catch (const RuntimeError &error) {
        return tableNotMade(words, error.description());
    }
    response.addHeader("Content-Disposition",
                       "attachment; filename*=UTF-8''" + QUrl::toPercentEncoding(name));
    response.addHeader("Cache-Control", "no-store");
    return response;
}

} // namespace Velmora
