#include "settings/logintypeoption.h"

namespace modSettings {

LoginOption loginOptionFor(const QString &loginType)
{
    if (loginType == QStringLiteral("iecookie"))
        return LoginOption::IECookie;
    if (loginType == QStringLiteral("lastlogin"))
        return LoginOption::LastLogin;
    return LoginOption::NoAuto;
}

QString loginTypeFor(LoginOption option)
{
    switch (option) {
    case LoginOption::IECookie:
        return QStringLiteral("iecookie");
    case LoginOption::LastLogin:
        return QStringLiteral("lastlogin");
    case LoginOption::NoAuto:
        break;
    }
    return QString();
}

} // namespace modSettings
