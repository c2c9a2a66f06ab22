#include "session/sitelogout.h"

namespace siteLogout {

bool setsOtherMemberCookie(const QString &header, const QString &password)
{
    static const QString kSetCookie = QStringLiteral("Set-Cookie: ");
    static const QString kName = QStringLiteral("memberid");
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = header.indexOf(kSetCookie, from);
        if (at < 0)
            return false;
        from = at + 1;
        const qsizetype start = at + kSetCookie.size();
        // The cookie text ends at its ";" or its line, as in the jar.
        qsizetype end = header.size();
        for (qsizetype i = start; i < header.size(); ++i) {
            const QChar c = header.at(i);
            if (c == QLatin1Char(';') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                end = i;
                break;
            }
        }
        const QString text = header.mid(start, end - start);
        const qsizetype eq = text.indexOf(QLatin1Char('='));
        if (eq < 0 || text.left(eq) != kName)
            continue;
        const QString value = text.mid(eq + 1);
        if (!value.isEmpty() && value.toUpper() != password.toUpper())
            return true;
    }
}

bool isLoginFormPage(const QString &page)
{
    // The inbox page has no password box; the login form has nothing else.
    return page.contains(QStringLiteral("action=\"/login.asp\""), Qt::CaseInsensitive) &&
           page.contains(QStringLiteral("type=\"password\""), Qt::CaseInsensitive) &&
           !page.contains(QStringLiteral("read.asp?mid="));
}

} // namespace siteLogout
