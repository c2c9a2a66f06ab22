// A 12 MB inbox page: a member with 12,500 rows on the demo site, a logged-in
// kortvik on a private bus, three iMail checks (the login's own and two asked
// for with CheckIMails). A second client asks Properties.Get every 10 ms
// (bench_biginbox [ROWS [INTERVAL_MS]] chooses other figures); the
// worst answer time is the longest the program's loop stood still. RSS and its
// peak from /proc before the login and after the checks. Prints figures;
// never fails on them. KORTVIK_BIN_DIR chooses the kortvik build to measure.
#include "kortvikonbus.h"
#include "siminboxcontrol.h"
#include "simpages.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

const QString kService = QStringLiteral("org.kortvik.Kortvik");
const QString kPath = QStringLiteral("/clsMainServer");
const QString kInbox = QStringLiteral("/login/community/main.asp");

int fail(const QString &why)
{
    std::fprintf(stderr, "bench_biginbox: %s\n", qPrintable(why));
    return 1;
}

// CPU time the process's main thread has used, in milliseconds.
double mainThreadCpuMs(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/task/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = f.readAll();
    // Fields after the command name in parentheses; utime and stime are 14 and 15.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// "VmRSS" or "VmHWM" of a process, in MiB.
double memoryMiB(qint64 pid, const char *field)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field) + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("KORTVIK_BIN_DIR"))
        qputenv("KORTVIK_BIN_DIR", QCoreApplication::applicationDirPath().toLocal8Bit());
    // The site's rows carry about 950 bytes of fixed markup, so 12,500 rows
    // make a page of about 12 MB, under the 16 MiB an exchange takes.
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 12500;
    const int intervalMs = argc > 2 ? qMax(1, QByteArray(argv[2]).toInt()) : 10;

    KortvikOnBus k;
    QString why;
    if (!k.start(&why))
        return fail(why);
    QList<sandlundSim::SimIMail> inbox;
    for (int i = 0; i < rows; ++i) {
        sandlundSim::SimIMail m = simInbox::newMail(100000 + i, QStringLiteral("Ämne %1").arg(i), 1002,
                                                    QStringLiteral("Anna Berg %1").arg(i % 97));
        m.sentAt = m.sentAt.addSecs(-60LL * i);
        m.isNew = i % 50 == 0;
        m.dateColour = m.isNew ? QStringLiteral("FF0000") : QStringLiteral("000000");
        inbox.append(m);
    }
    if (!simInbox::put(k.site->port(), 1001, inbox))
        return fail(QStringLiteral("could not put the inbox"));
    sandlundSim::SimMember member = sandlundSim::defaultMembers().first();
    member.inbox = inbox;
    const qsizetype pageBytes = sandlundSim::memberMainPage(member).size();

    const qint64 pid = k.program->processId();
    QTest::qWait(2000);
    const double rssBefore = memoryMiB(pid, "VmRSS:");

    QDBusConnection prober = QDBusConnection::connectToBus(k.bus.address(), QStringLiteral("prober"));
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("Get"));
    get << QStringLiteral("org.kortvik.Kortvik.clsMainServer") << QStringLiteral("IMailCount");
    qint64 worstMs = 0;
    int over50 = 0;
    QTimer probe;
    probe.setInterval(intervalMs);
    // Get runs on the program's own thread (Ping may be answered by the bus
    // library's thread), so its answer time is the loop's stall.
    QObject::connect(&probe, &QTimer::timeout, [&] {
        QElapsedTimer t;
        t.start();
        auto *w = new QDBusPendingCallWatcher(prober.asyncCall(get, 25000), &app);
        QObject::connect(w, &QDBusPendingCallWatcher::finished, [&, w, t] {
            const qint64 ms = t.elapsed();
            worstMs = qMax(worstMs, ms);
            over50 += ms > 50 ? 1 : 0;
            w->deleteLater();
        });
    });
    probe.start();
    // The same sampling before the login: the baseline of this machine now.
    QTest::qWait(5000);
    const qint64 baselineMs = worstMs;
    const int baselineOver50 = over50;
    worstMs = 0;
    over50 = 0;
    const double cpuBefore = mainThreadCpuMs(pid);

    QElapsedTimer clock;
    clock.start();
    if (!k.login(QStringLiteral("kalle")))
        return fail(QStringLiteral("kalle could not log in"));
    const qint64 loginMs = clock.elapsed();
    const qint64 worstLoginMs = worstMs;
    // Two more checks; each call returns when its check has ended, its
    // memory handed back. The 10-second timer may add one of its own.
    for (int i = 0; i < 2; ++i) {
        if (k.call(QStringLiteral("CheckIMails")).type() != QDBusMessage::ReplyMessage)
            return fail(QStringLiteral("CheckIMails did not answer"));
    }
    const auto inboxRequests = [&k] {
        return static_cast<int>(k.site->requestLog().filter(QLatin1Char(' ') + kInbox + QLatin1Char(' ')).size());
    };
    probe.stop();
    const double cpuChecks = mainThreadCpuMs(pid) - cpuBefore;
    QTest::qWait(500);
    const int count = k.property(QStringLiteral("IMailCount")).toInt();
    const double rssAfter = memoryMiB(pid, "VmRSS:");
    const double peak = memoryMiB(pid, "VmHWM:");

    std::printf("big inbox: %d rows, a page of %.1f MB\n", rows, pageBytes / 1e6);
    std::printf("  %d inbox checks in %lld ms (login %lld ms); IMailCount %d\n",
                inboxRequests(), static_cast<long long>(clock.elapsed()), static_cast<long long>(loginMs), count);
    std::printf("  worst Properties.Get (asked every %d ms): %lld ms; %d answers over 50 ms\n", intervalMs,
                static_cast<long long>(worstMs), over50);
    std::printf("  worst during the login alone: %lld ms\n", static_cast<long long>(worstLoginMs));
    std::printf("  the same 5 s before the login: worst %lld ms; %d answers over 50 ms (worst %.1f x the baseline)\n",
                static_cast<long long>(baselineMs), baselineOver50, baselineMs > 0 ? double(worstMs) / baselineMs : 0.0);
    std::printf("  main thread CPU for the login and the checks: %.0f ms\n", cpuChecks);
    std::printf("  RSS before login %.1f MiB, after the checks %.1f MiB (%.2f x), peak %.1f MiB\n", rssBefore, rssAfter,
                rssAfter / rssBefore, peak);
    QDBusConnection::disconnectFromBus(QStringLiteral("prober"));
    return 0;
}
