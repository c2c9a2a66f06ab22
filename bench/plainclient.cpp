#include "plainclient.h"

#include "net/moddata.h"

#include <algorithm>
#include <utility>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace plainClient {

std::vector<Page> memberLoginPages()
{
    return pagesOf({QStringLiteral("/cookie.asp"), QStringLiteral("/default.asp"), QStringLiteral("/login.asp"),
                    QStringLiteral("/default.asp"), QStringLiteral("/login/register/visitkort_edit.asp"),
                    QStringLiteral("/login/register/visitkort_edit.asp"),
                    QStringLiteral("/login/community/main.asp")});
}

std::vector<Page> pagesOf(const QStringList &paths)
{
    std::vector<Page> pages;
    for (const QString &p : paths)
        pages.push_back({p, p == QLatin1String("/cookie.asp") || p == QLatin1String("/default.asp")});
    return pages;
}

QByteArray exchange(quint16 port, const QByteArray &request, bool headerOnly)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return {};
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QByteArray answer;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0
        && ::send(fd, request.constData(), request.size(), MSG_NOSIGNAL) == request.size()) {
        char buf[65536];
        for (;;) {
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            answer.append(buf, n);
            if (headerOnly && answer.contains("\r\n\r\n"))
                break;
        }
    }
    ::close(fd);
    return answer;
}

bool login(quint16 port, const QString &password, const std::vector<Page> &pages)
{
    std::vector<std::pair<QByteArray, QByteArray>> jar{{"memberid", password.toLatin1()}};
    for (const Page &p : pages) {
        QStringList cookies;
        for (const auto &c : jar)
            cookies << QString::fromLatin1(c.first + '=' + c.second);
        while (cookies.size() < modData::kCookieSlots)
            cookies << QString();
        const QByteArray request = modData::buildRequest(p.path, cookies, QString(), QString()).toLatin1();
        const QByteArray answer = exchange(port, request, p.headerOnly);
        if (answer.isEmpty())
            return false;
        const qsizetype headerEnd = answer.indexOf("\r\n\r\n");
        const QByteArray header = headerEnd < 0 ? answer : answer.left(headerEnd);
        for (qsizetype at = header.indexOf("Set-Cookie: "); at >= 0; at = header.indexOf("Set-Cookie: ", at + 1)) {
            const qsizetype end = header.indexOf(';', at);
            const QByteArray text = header.mid(at + 12, end < 0 ? -1 : end - at - 12);
            const qsizetype eq = text.indexOf('=');
            if (eq <= 0)
                continue;
            const QByteArray name = text.left(eq);
            auto it = std::find_if(jar.begin(), jar.end(), [&](const auto &c) { return c.first == name; });
            if (it == jar.end())
                jar.emplace_back(name, text.mid(eq + 1));
            else
                it->second = text.mid(eq + 1);
        }
    }
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

double best(const std::vector<double> &v)
{
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

} // namespace plainClient
