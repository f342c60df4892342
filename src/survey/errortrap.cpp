#include "errortrap.h"

#include "buildconfig.h"

namespace Velmora {

ErrorTrap::ErrorTrap(Platform &platform, QString procedure)
    : m_platform(platform)
    , m_procedure(std::move(procedure)) {}

void ErrorTrap::report(int label, const QString &description) {
    m_platform.showMessage(caption(), reportText(m_procedure, label, description),
                           Platform::Icon::Warning);
}

QString ErrorTrap::caption() {
    return QStringLiteral("Application Error");
}

QString ErrorTrap::reportText(const QString &procedure, int label, const QString &description) {
    // The location keeps the module name and date of the build people have been
    // sending screenshots of for years; support looks reports up by it.
    return description + QStringLiteral("\r\nin Tarvolin2021/08/31.Form1.") + procedure +
           QStringLiteral(" at line ") + QString::number(label) +
           QStringLiteral("\r\rPlease email screenshot of this message to ") +
           QLatin1String(BuildConfig::SupportEmail);
}

} // namespace Velmora
