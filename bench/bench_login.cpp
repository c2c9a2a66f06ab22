// What a whole member login costs next to the bare network work: the login
// sequence (seven pages, cookies, profile scraping, inbox) against the demo
// site on loopback, and the same seven requests sent one after another by a
// blocking POSIX client, measured in the same run. Prints figures; never
// fails on them.
#include "net/moddata.h"
#include "net/site.h"
#include "imail/imaillist.h"
#include "session/session.h"
#include "settings/modsettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

struct Page {
    const char *path;
    bool headerOnly;
};

// The pages of a member login, in the order the sequence asks for them.
const Page kPages[] = {
    {"/cookie.asp", true},
    {"/default.asp", true},
    {"/login.asp", false},
    {"/default.asp", true},
    {"/login/register/visitkort_edit.asp", false},
    {"/login/register/visitkort_edit.asp", false},
    {"/login/community/main.asp", false},
};

// One exchange: send, then read up to the end of the header (header only)
// or until the server closes. The answer, or empty on failure.
QByteArray blockingExchange(quint16 port, const QByteArray &request, bool headerOnly)
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

// The same seven requests with a minimal cookie jar of its own.
bool blockingLogin(quint16 port, const QString &password)
{
    std::vector<std::pair<QByteArray, QByteArray>> jar{{"memberid", password.toLatin1()}};
    for (const Page &p : kPages) {
        QStringList cookies;
        for (const auto &c : jar)
            cookies << QString::fromLatin1(c.first + '=' + c.second);
        while (cookies.size() < modData::kCookieSlots)
            cookies << QString();
        const QByteArray request =
            modData::buildRequest(QString::fromLatin1(p.path), cookies, QString(), QString()).toLatin1();
        const QByteArray answer = blockingExchange(port, request, p.headerOnly);
        if (answer.isEmpty())
            return false;
        for (qsizetype at = answer.indexOf("Set-Cookie: "); at >= 0; at = answer.indexOf("Set-Cookie: ", at + 1)) {
            const qsizetype end = answer.indexOf(';', at);
            const QByteArray text = answer.mid(at + 12, end - at - 12);
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

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    // Settings, keys and browser stores of the run's own.
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/share")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    QCoreApplication app(argc, argv);
    modSettings::overrideProgramFolder(home.path());

    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 40;

    QProcess sim;
    sim.setStandardErrorFile(QProcess::nullDevice());
    sim.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("sandlund-sim")),
              {QStringLiteral("--port"), QStringLiteral("0")});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "bench_login: sandlund-sim did not start\n");
        return 1;
    }
    const QByteArray line = sim.readLine().trimmed();
    const quint16 port = line.mid(line.lastIndexOf(' ') + 1).toUShort();
    if (!line.startsWith("listening on ") || port == 0) {
        std::fprintf(stderr, "bench_login: unexpected first line from sandlund-sim: %s\n", line.constData());
        return 1;
    }
    modData::configureSite(QStringLiteral("127.0.0.1:%1").arg(port));

    // As in the program: the login ends with an iMail count.
    modGlobal::Session session;
    new modWebFunctions::IMailWatch(&session);

    std::vector<double> loginMs;
    std::vector<double> plainMs;
    int failures = 0;
    QElapsedTimer t;
    // Alternate the two so that both see the same machine load; one round
    // of each first to warm up.
    for (int i = -1; i < rounds; ++i) {
        session.setLoggedOut();
        session.setPassword(QStringLiteral("kalle"));
        t.start();
        session.loginSequence();
        const double a = t.nsecsElapsed() / 1e6;
        if (!session.isLoggedIn())
            ++failures;

        t.restart();
        if (!blockingLogin(port, QStringLiteral("kalle")))
            ++failures;
        const double b = t.nsecsElapsed() / 1e6;
        if (i >= 0) {
            loginMs.push_back(a);
            plainMs.push_back(b);
        }
    }
    session.setLoggedOut();
    sim.kill();
    sim.waitForFinished(2000);

    const double a = median(loginMs);
    const double b = median(plainMs);
    std::printf("bench_login: member login against sandlund-sim on loopback, %d rounds, 7 requests each\n",
                rounds);
    std::printf("  login sequence (Read, cookies, scraping, inbox): median %.3f ms\n", a);
    std::printf("  same requests, blocking POSIX client:            median %.3f ms\n", b);
    std::printf("  ratio login / plain: %.2f\n", b > 0 ? a / b : 0.0);
    if (failures)
        std::printf("  failures: %d (figures above are not comparable)\n", failures);
    return failures ? 1 : 0;
}
