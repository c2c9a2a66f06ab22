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

#include "plainclient.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>



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

    const std::vector<plainClient::Page> pages = plainClient::memberLoginPages();
    std::vector<double> loginMs;
    std::vector<double> plainMs;
    int failures = 0;
    QElapsedTimer t;
    // Alternate the two so that both see the same machine load; one round
    // of each first to warm up.
    for (int i = -1; i < rounds; ++i) {
        session.setLoggedOut();
        t.start();
        session.loginWith(QStringLiteral("kalle"));
        const double a = t.nsecsElapsed() / 1e6;
        if (!session.isLoggedIn())
            ++failures;

        t.restart();
        if (!plainClient::login(port, QStringLiteral("kalle"), pages))
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

    const double a = plainClient::median(loginMs);
    const double b = plainClient::median(plainMs);
    std::printf("bench_login: member login against sandlund-sim on loopback, %d rounds, 7 requests each\n",
                rounds);
    std::printf("  login sequence (Read, cookies, scraping, inbox): median %.3f ms, best %.3f ms\n", a,
                plainClient::best(loginMs));
    std::printf("  same requests, blocking POSIX client:            median %.3f ms, best %.3f ms\n", b,
                plainClient::best(plainMs));
    std::printf("  ratio login / plain: %.2f\n", b > 0 ? a / b : 0.0);
    if (failures)
        std::printf("  failures: %d (figures above are not comparable)\n", failures);
    return failures ? 1 : 0;
}
