// Waking from sleep, as logind tells it on the system bus; here a fake
// logind on a bus of the test's own stands in for both. And the network's
// return, from the reachability Qt reports.
#include "desktop/networkwatcher.h"
#include "desktop/sleepwatcher.h"
#include "fakelogind.h"
#include "privatesessionbus.h"
#include "requiredtool.h"

#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

class TestSleepWatcher : public QObject
{
    Q_OBJECT
    int m_heard = 0;
public slots:
    void heard(bool) { ++m_heard; }
private slots:
    void wakeIsTold();
    void systemBusAddressIsHonoured();
    void noSystemBusStaysSilent();
    void networkReturnIsToldOncePerQuietPeriod_data();
    void networkReturnIsToldOncePerQuietPeriod();
};

void TestSleepWatcher::wakeIsTold()
{
    PrivateSessionBus bus;
    QString why;
    if (!bus.start(&why))
        KORTVIK_SKIP_WITHOUT_TOOL(why);
    FakeLogind logind;
    QVERIFY(logind.start(bus.address()));
    QDBusConnection connection = QDBusConnection::connectToBus(bus.address(), QStringLiteral("watcher"));
    SleepWatcher watcher(connection);
    QVERIFY(watcher.isWatching());
    QSignalSpy resumed(&watcher, &SleepWatcher::resumed);

    logind.prepareForSleep(true);
    QTest::qWait(300);
    QCOMPARE(resumed.size(), 0); // going to sleep is no wake-up
    logind.prepareForSleep(false);
    QVERIFY(resumed.wait(3000));
    logind.prepareForSleep(true);
    logind.prepareForSleep(false);
    QVERIFY(resumed.wait(3000));
    QCOMPARE(resumed.size(), 2);

    // Repeats without a new sleep are that same wake-up, however many. Heard
    // here after the watcher on the same connection, so once this count is
    // complete the watcher has had them all.
    m_heard = 0;
    QVERIFY(connection.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                               QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                               this, SLOT(heard(bool))));
    for (int i = 0; i < 1000; ++i)
        logind.prepareForSleep(false);
    logind.prepareForSleep(true);
    logind.prepareForSleep(false);
    QTRY_COMPARE_WITH_TIMEOUT(m_heard, 1002, 10000);
    QCOMPARE(resumed.size(), 3);
}

// The default constructor takes the system bus from DBUS_SYSTEM_BUS_ADDRESS;
// checked in a child process so this one's bus connections stay as they are.
void TestSleepWatcher::systemBusAddressIsHonoured()
{
    if (qEnvironmentVariableIsSet("SLEEPWATCHER_CHILD")) {
        SleepWatcher watcher;
        QSignalSpy resumed(&watcher, &SleepWatcher::resumed);
        std::printf("watching %d\n", watcher.isWatching() ? 1 : 0);
        std::fflush(stdout);
        if (qEnvironmentVariableIsSet("SLEEPWATCHER_WAIT") && resumed.wait(5000))
            std::printf("resumed\n");
        return;
    }
    PrivateSessionBus bus;
    QString why;
    if (!bus.start(&why))
        KORTVIK_SKIP_WITHOUT_TOOL(why);
    FakeLogind logind;
    QVERIFY(logind.start(bus.address()));

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SLEEPWATCHER_CHILD"), QStringLiteral("1"));
    env.insert(QStringLiteral("SLEEPWATCHER_WAIT"), QStringLiteral("1"));
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), bus.address());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("systemBusAddressIsHonoured")});
    QVERIFY(child.waitForStarted());
    QByteArray out;
    while (!out.contains("watching") && child.waitForReadyRead(5000))
        out += child.readAllStandardOutput();
    QVERIFY2(out.contains("watching 1"), out.constData());
    // The child's match rule is in place once it says it watches; give the
    // bus a moment to route it.
    QTest::qWait(200);
    logind.prepareForSleep(false);
    QVERIFY(child.waitForFinished(10000));
    out += child.readAllStandardOutput();
    QVERIFY2(out.contains("resumed"), out.constData());
}

void TestSleepWatcher::noSystemBusStaysSilent()
{
    if (qEnvironmentVariableIsSet("SLEEPWATCHER_CHILD"))
        return;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SLEEPWATCHER_CHILD"), QStringLiteral("1"));
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/kortvik-test-bus"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("systemBusAddressIsHonoured")});
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitCode(), 0);
    const QByteArray out = child.readAllStandardOutput();
    QVERIFY2(out.contains("watching 0\n"), out.constData());
    // Nothing but QTest's own lines.
    const QByteArray err = child.readAllStandardError();
    QVERIFY2(err.isEmpty(), err.constData());
}

void TestSleepWatcher::networkReturnIsToldOncePerQuietPeriod_data()
{
    QTest::addColumn<QString>("steps"); // off on local site unknown, "|" lets the quiet period end
    QTest::addColumn<int>("returns");
    QTest::addColumn<bool>("disconnected");
    QTest::newRow("back online") << "off on" << 1 << false;
    QTest::newRow("online from the start is no return") << "unknown on on" << 0 << false;
    QTest::newRow("unknown is not lost") << "on unknown on" << 0 << false;
    QTest::newRow("through local and site") << "off local site on" << 1 << false;
    QTest::newRow("local is not online yet") << "off local" << 0 << false;
    QTest::newRow("still disconnected") << "on off" << 0 << true;
    QTest::newRow("flapping: at once, then once more at the end")
        << QStringLiteral("off on ").repeated(100) + QStringLiteral("|") << 2 << false;
    QTest::newRow("offline at the end of the quiet period owes nothing")
        << "off on off on off |" << 1 << true;
    QTest::newRow("after the quiet period at once again") << "off on | off on" << 2 << false;
}

void TestSleepWatcher::networkReturnIsToldOncePerQuietPeriod()
{
    using R = QNetworkInformation::Reachability;
    QFETCH(QString, steps);
    QFETCH(int, returns);
    QFETCH(bool, disconnected);
    NetworkWatcher watcher(false, nullptr, 200);
    QVERIFY(!watcher.isWatching());
    QSignalSpy told(&watcher, &NetworkWatcher::reconnected);
    QSignalSpy changed(&watcher, &NetworkWatcher::disconnectedChanged);
    const QHash<QString, R> states{{"off", R::Disconnected}, {"on", R::Online}, {"local", R::Local},
                                   {"site", R::Site}, {"unknown", R::Unknown}};
    for (const QString &step : steps.split(u' ', Qt::SkipEmptyParts)) {
        if (step == QLatin1String("|")) {
            // Past the quiet period: well beyond its 200 ms.
            QTest::qWait(1000);
            continue;
        }
        watcher.setReachability(states.value(step));
    }
    QCOMPARE(told.size(), returns);
    QCOMPARE(watcher.isDisconnected(), disconnected);
    // Told on each change only, and the last told is the state.
    if (!changed.isEmpty())
        QCOMPARE(changed.last().at(0).toBool(), disconnected);
}

QTEST_GUILESS_MAIN(TestSleepWatcher)
#include "tst_sleepwatcher.moc"
