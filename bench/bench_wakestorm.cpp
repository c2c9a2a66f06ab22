// A wake-up storm: a logged-in kortvik on a private bus, a fake logind on a
// second private bus standing in for the system bus, and a demo site that
// answers "/default.asp" after 0.5 s. The peer sends PrepareForSleep(true)
// and then PrepareForSleep(false) as fast as it can; meanwhile a second
// client asks Properties.Get every 100 ms. Prints the site's requests, the
// worst Get latency and whether the program survived. Prints figures; never
// fails on them. Arguments: the number of (false) signals (default 5000).
// KORTVIK_BIN_DIR chooses the kortvik build to measure.
#include "fakelogind.h"
#include "kortvikonbus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

const QString kService = QStringLiteral("org.kortvik.Kortvik");
const QString kPath = QStringLiteral("/clsMainServer");
const QString kInterface = QStringLiteral("org.kortvik.Kortvik.clsMainServer");

int fail(const QString &why)
{
    std::fprintf(stderr, "bench_wakestorm: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("KORTVIK_BIN_DIR"))
        qputenv("KORTVIK_BIN_DIR", QCoreApplication::applicationDirPath().toLocal8Bit());
    const int signalsToSend = argc > 1 ? QByteArray(argv[1]).toInt() : 5000;

    FakeLogind logind;
    KortvikOnBus k;
    KortvikOnBus::Options options;
    options.siteArgs = {QStringLiteral("--delay"), QStringLiteral("/default.asp=500")};
    options.systemBus = true;
    options.beforeProgram = [&](QString *why) {
        if (logind.start(k.systemBus->address()))
            return true;
        *why = QStringLiteral("no fake logind");
        return false;
    };
    QString why;
    if (!k.start(&why, options))
        return fail(why);
    if (!k.login(QStringLiteral("kalle")))
        return fail(QStringLiteral("kalle could not log in"));
    QTest::qWait(1500); // the login's own iMail check, answered
    const int inboxBefore = k.siteRequests(QStringLiteral("/login/community/main.asp"));
    const int keepBefore = k.siteRequests(QStringLiteral("/default.asp"));

    QDBusConnection prober = QDBusConnection::connectToBus(k.bus.address(), QStringLiteral("prober"));
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("Get"));
    get << kInterface << QStringLiteral("IMailCount");
    qint64 worstMs = 0;
    int sent = 0;
    int answered = 0;
    int failed = 0;
    QTimer probe;
    probe.setInterval(100);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        QElapsedTimer t;
        t.start();
        auto *w = new QDBusPendingCallWatcher(prober.asyncCall(get, 25000), &app);
        ++sent;
        QObject::connect(w, &QDBusPendingCallWatcher::finished, [&, w, t] {
            if (w->isError())
                ++failed;
            else
                ++answered;
            worstMs = qMax(worstMs, t.elapsed());
            w->deleteLater();
        });
    });
    probe.start();
    // The same sampling without a storm first: the baseline.
    QTest::qWait(3000);
    const qint64 baselineMs = worstMs;
    const int baselineSent = sent;
    worstMs = 0;

    QElapsedTimer storm;
    storm.start();
    logind.prepareForSleep(true);
    for (int i = 0; i < signalsToSend; ++i)
        logind.prepareForSleep(false);
    const qint64 sendMs = storm.elapsed();

    // Until the site has had no request for 5 s (at most 3 minutes), or the
    // program has gone.
    int lastCount = -1;
    QElapsedTimer quiet;
    quiet.start();
    while (storm.elapsed() < 180000 && k.program->state() == QProcess::Running) {
        QTest::qWait(250);
        const int n = static_cast<int>(k.site->requestLog().size());
        if (n != lastCount) {
            lastCount = n;
            quiet.restart();
        } else if (quiet.elapsed() > 5000) {
            break;
        }
    }
    probe.stop();
    const bool running = k.program->state() == QProcess::Running;
    QTest::qWait(1000);
    QStringList paths;
    for (const QString &line : k.site->requestLog())
        paths << line.section(QLatin1Char(' '), 1, 1);
    const auto count = [&paths](const QString &p, int before) {
        return static_cast<int>(paths.count(p)) - before;
    };

    std::printf("wake-up storm: PrepareForSleep(true), then %d x PrepareForSleep(false) (sent in %lld ms)\n",
                signalsToSend, static_cast<long long>(sendMs));
    std::printf("  site answers /default.asp after 500 ms; the program's own timers (iMail check every 10 s,\n"
                "  keep-alive every 30 s) add their requests to these counts\n");
    std::printf("  inbox requests (/login/community/main.asp)  %d\n", count(QStringLiteral("/login/community/main.asp"), inboxBefore));
    std::printf("  keep-alive requests (/default.asp)         %d\n", count(QStringLiteral("/default.asp"), keepBefore));
    std::printf("  Properties.Get every 100 ms: %d sent, %d answered, %d failed\n", sent, answered, failed);
    std::printf("  worst Properties.Get: %lld ms during the storm, %lld ms in the %d samples before it (%.1f x)\n",
                static_cast<long long>(worstMs), static_cast<long long>(baselineMs), baselineSent,
                baselineMs > 0 ? double(worstMs) / double(baselineMs) : 0.0);
    if (running) {
        std::printf("  program: running after %lld ms\n", static_cast<long long>(storm.elapsed()));
    } else {
        std::printf("  program: ended (%s, exit code %d) after %lld ms\n",
                    k.program->exitStatus() == QProcess::CrashExit ? "crashed" : "exited", k.program->exitCode(),
                    static_cast<long long>(storm.elapsed()));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("prober"));
    return 0;
}
