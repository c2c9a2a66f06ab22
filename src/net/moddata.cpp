#include "net/moddata.h"

#include "net/site.h"

namespace modData {
namespace {
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

void clearCookieJar(CookieJar &jar)
{
    for (int i = 0; i < kCookieSlots; ++i) {
        jar.cookieNames[i].clear();
        jar.cookieValues[i].clear();
    }
}

QString buildRequest(const QString &path, const QStringList &cookies, const QString &post,
                     const QString &referer)
{
    const bool isPost = !post.isEmpty();
    QString r;
    r.reserve(400 + path.size() + referer.size() + post.size());
    r += isPost ? QStringLiteral("POST") : QStringLiteral("GET");
    r += QLatin1Char(' ') + path + QStringLiteral(" HTTP/1.1") + kCrLf;
    r += QStringLiteral("Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*") + kCrLf;
    if (!referer.isEmpty())
        r += QStringLiteral("Referer: ") + referer + kCrLf;
    r += QStringLiteral("Accept-Language: sv") + kCrLf;
    r += QStringLiteral("Accept-Encoding: deflate") + kCrLf;
    r += QStringLiteral("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows 98)") + kCrLf;
    r += QStringLiteral("Host: ") + site().authority() + kCrLf;
    if (isPost) {
        // Characters, which equal bytes on the wire: every character becomes
        // one Windows-1252 byte.
        r += QStringLiteral("Content-Length:") + QString::number(post.size()) + kCrLf;
        r += QStringLiteral("Content-Type: application/x-www-form-urlencoded") + kCrLf;
        r += QStringLiteral("Cache-Control: no-cache") + kCrLf;
    }
    r += QStringLiteral("Connection: Close");

    QString cookieLine;
    for (const QString &c : cookies) {
        if (c.isEmpty())
            continue;
        if (!cookieLine.isEmpty())
            cookieLine += QStringLiteral("; ");
        cookieLine += c;
    }
    if (!cookieLine.isEmpty())
        r += kCrLf + QStringLiteral("Cookie: ") + cookieLine;

    r += kCrLf + kCrLf;
    if (isPost)
        r += post;
    return r;
}

QStringList cookieList(const CookieJar &jar)
{
    QStringList out;
    out.reserve(kCookieSlots);
    for (int i = 0; i < kCookieSlots; ++i) {
        if (!jar.cookieNames[i].isEmpty())
            out.append(jar.cookieNames[i] + QLatin1Char('=') + jar.cookieValues[i]);
    }
    while (out.size() < kCookieSlots)
        out.append(QString());
    return out;
}

QString cookieValue(const CookieJar &jar, const QString &name)
{
    // "" names a free slot, never a cookie.
    if (name.isEmpty())
        return QString();
    for (int i = 0; i < kCookieSlots; ++i) {
        if (jar.cookieNames[i] == name)
            return jar.cookieValues[i];
    }
    return QString();
}

QList<SetCookie> setCookiesOf(const QString &header)
{
    static const QString kSetCookie = QStringLiteral("Set-Cookie: ");
    QList<SetCookie> cookies;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = header.indexOf(kSetCookie, from);
        if (at < 0)
            return cookies;
        from = at + 1;
        const qsizetype start = at + kSetCookie.size();
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
        if (eq > 0)
            cookies.append({text.left(eq), text.mid(eq + 1)});
    }
}

} // namespace modData
