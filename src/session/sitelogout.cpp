#include "session/sitelogout.h"

#include "net/moddata.h"

namespace siteLogout {

bool setsOtherMemberCookie(const QString &header, const QString &password)
{
    // The name as the jar matches it: exactly.
    for (const modData::SetCookie &cookie : modData::setCookiesOf(header)) {
        if (cookie.name == QLatin1String("memberid") && !cookie.value.isEmpty()
            && cookie.value.toUpper() != password.toUpper())
            return true;
    }
    return false;
}

bool isLoginFormPage(const QString &page)
{
    // The inbox page has no password box; the login form has nothing else.
    return page.contains(QStringLiteral("action=\"/login.asp\""), Qt::CaseInsensitive) &&
           page.contains(QStringLiteral("type=\"password\""), Qt::CaseInsensitive) &&
           !page.contains(QStringLiteral("read.asp?mid="));
}

} // namespace siteLogout
