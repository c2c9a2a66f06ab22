// The inbox on the bus: the round trip of GetIMails with 1,000 rows next to
// a bare round trip to the same program (Peer.Ping, Properties.Get), and the
// time from a changed inbox on the site to IMailsChanged at a client, next
// to a CheckIMails that finds nothing new. Kortvik runs on a private bus
// against the demo site. Prints figures; never fails on them.
#include "imailrow.h"
#include "kortvikonbus.h"
#include "siminbox.h"
#include "siminboxcontrol.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString kService = QStringLiteral("org.kortvik.Kortvik");
const QString kPath = QStringLiteral("/clsMainServer");
const QString kInterface = QStringLiteral("org.kortvik.Kortvik.clsMainServer");

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

// Round trips of one message, in milliseconds; the last answer in *last.
std::vector<double> roundTrips(QDBusConnection &bus, const QDBusMessage &message, int times, QDBusMessage *last)
{
    std::vector<double> ms;
    for (int i = 0; i < times; ++i) {
        QElapsedTimer t;
        t.start();
        const QDBusMessage reply = bus.call(message, QDBus::Block, 30000);
        ms.push_back(t.nsecsElapsed() / 1e6);
        if (last)
            *last = reply;
    }
    return ms;
}

class Listener : public QObject
{
    Q_OBJECT
public:
    int heard = 0;
    qint64 rows = -1;
public slots:
    void changed(const QDBusMessage &m)
    {
        ++heard;
        rows = qdbus_cast<IMailRows>(m.arguments().value(0)).size();
    }
};

int fail(const QString &why)
{
    std::fprintf(stderr, "bench_imailbus: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    imailRow::registerTypes();
    if (qEnvironmentVariableIsEmpty("KORTVIK_BIN_DIR"))
        qputenv("KORTVIK_BIN_DIR", QCoreApplication::applicationDirPath().toLocal8Bit());

    KortvikOnBus k;
    QString why;
    if (!k.start(&why))
        return fail(why);
    if (!k.login(QString::fromLatin1(sandlundSim::kBulkInboxPassword)))
        return fail(QStringLiteral("the 1,000-row member could not log in"));

    QDBusConnection &bus = k.client();
    const QDBusMessage getIMails = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetIMails"));
    QDBusMessage answer;
    QElapsedTimer waited;
    waited.start();
    do {
        answer = bus.call(getIMails, QDBus::Block, 30000);
    } while (answer.arguments().isEmpty() && waited.elapsed() < 30000);

    QDBusMessage ping = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Peer"),
                                                      QStringLiteral("Ping"));
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("Get"));
    get << kInterface << QStringLiteral("IMailCount");
    const int times = 200;
    roundTrips(bus, getIMails, 5, nullptr); // warm up
    const double pingMs = median(roundTrips(bus, ping, times, nullptr));
    const double getMs = median(roundTrips(bus, get, times, nullptr));
    QDBusMessage last;
    const double listMs = median(roundTrips(bus, getIMails, times, &last));
    Listener counter;
    counter.changed(last);
    std::printf("GetIMails round trip (%lld rows, median of %d):\n", static_cast<long long>(counter.rows), times);
    std::printf("  Peer.Ping            %8.3f ms\n", pingMs);
    std::printf("  Properties.Get       %8.3f ms\n", getMs);
    std::printf("  GetIMails            %8.3f ms  (%.1f x Ping, %.1f x Get)\n", listMs, listMs / pingMs, listMs / getMs);

    // A change on the site, then CheckIMails: the time until IMailsChanged
    // reaches this client.
    Listener listener;
    bus.connect(kService, kPath, kInterface, QStringLiteral("IMailsChanged"), &listener, SLOT(changed(QDBusMessage)));
    const QDBusMessage check = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("CheckIMails"));
    std::vector<double> quiet, change;
    const int rounds = 10;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        QDBusPendingCall pending = bus.asyncCall(check, 60000);
        if (!QTest::qWaitFor([&] { return pending.isFinished(); }, 61000))
            return fail(QStringLiteral("CheckIMails did not answer"));
        quiet.push_back(t.nsecsElapsed() / 1e6);
    }
    for (int i = 0; i < rounds; ++i) {
        const int before = listener.heard;
        if (!simInbox::add(k.site->port(), 1004, simInbox::newMail(990000 + i, QStringLiteral("Mätning %1").arg(i))))
            return fail(QStringLiteral("could not change the inbox"));
        QElapsedTimer t;
        t.start();
        QDBusPendingCall pending = bus.asyncCall(check, 60000);
        if (!QTest::qWaitFor([&] { return listener.heard > before && pending.isFinished(); }, 61000))
            return fail(QStringLiteral("no IMailsChanged after a change"));
        change.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("Changed inbox to IMailsChanged at a client (median of %d, %lld rows):\n", rounds,
                static_cast<long long>(listener.rows));
    std::printf("  CheckIMails, no change   %8.3f ms\n", median(quiet));
    std::printf("  change -> IMailsChanged  %8.3f ms  (%.2f x the check without a change)\n", median(change),
                median(change) / median(quiet));

    // Without CheckIMails the program's own 10-second check finds it.
    std::vector<double> timer;
    for (int i = 0; i < 2; ++i) {
        const int before = listener.heard;
        simInbox::add(k.site->port(), 1004, simInbox::newMail(995000 + i, QStringLiteral("Timer %1").arg(i)));
        QElapsedTimer t;
        t.start();
        if (!QTest::qWaitFor([&] { return listener.heard > before; }, 15000))
            return fail(QStringLiteral("the periodic check sent no IMailsChanged"));
        timer.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("  by the periodic check    %8.1f ms and %.1f ms (check every 10 s)\n", timer[0], timer[1]);
    return 0;
}

#include "bench_imailbus.moc"
