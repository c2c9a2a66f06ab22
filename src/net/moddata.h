#pragma once
#include <QList>
#include <QString>
#include <QStringList>

#include <array>

// Request composition and the cookie jar of a session.
namespace modData {

constexpr int kCookieSlots = 11;

struct CookieJar {
    std::array<QString, kCookieSlots> cookieNames;
    std::array<QString, kCookieSlots> cookieValues;
};

// Empties all 11 slots, names and values.
void clearCookieJar(CookieJar &jar);

// One "Set-Cookie: " of a response header: the text up to its ";" or its
// line, split at the first "=". Entries without a name are left out.
struct SetCookie {
    QString name;
    QString value;
};
QList<SetCookie> setCookiesOf(const QString &header);

QString buildRequest(const QString &path, const QStringList &cookies, const QString &post,
                     const QString &referer);
// Exactly 11 entries, "name=value" for each used slot, then empty entries.
QStringList cookieList(const CookieJar &jar);
// Value of the first slot whose name equals name exactly; "" when none.
QString cookieValue(const CookieJar &jar, const QString &name);

} // namespace modData
