// The running program's desktop side, from outside: a copy of kortvik on a
// private session bus with a fake notification service, a second private
// bus standing in for the system bus with a fake logind, and the demo site.
// Logins go through the plug-in interface.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QtTest>

#include "desktop/notificationclient.h"
#include "fakelogind.h"
#include "fakenotificationservice.h"
#include "kortviksandbox.h"
#include "privatesessionbus.h"
#include "requiredtool.h"
#include "simmembers.h"
#include "simsite.h"

namespace {

const QString kService = QStringLiteral("org.kortvik.Kortvik");
const QString kServerPath = QStringLiteral("/clsMainServer");
const QString kServerIface = QStringLiteral("org.kortvik.Kortvik.clsMainServer");
const QString kSiteLogout = QString::fromUtf8("Du har blivit utloggad från Sandlund");

const sandlundSim::SimMember &memberNamed(const QString &password)
{
    static const QList<sandlundSim::SimMember> members = sandlundSim::defaultMembers();
    for (const auto &m : members) {
        if (m.password == password)
            return m;
    }
    return members.first();
}

class Instance : public QObject
{
    Q_OBJECT
public:
    PrivateSessionBus bus;
    PrivateSessionBus systemBus;
    SimSite site;
    KortvikSandbox sandbox;
    FakeNotificationService notifications;
    FakeLogind logind;
    QProcess *program = nullptr;
    std::unique_ptr<QDBusConnection> client;
    QStringList heard;

    // config: the Config.ini to start with ("" for none).
    bool start(const QString &config, FakeNotificationService::Mode mode, QString *why)
    {
        if (!bus.start(why) || !systemBus.start(why))
            return false;
        if (!site.start()) {
            *why = QStringLiteral("demo site did not start");
            return false;
        }
        notifications.setMode(mode);
        if (!notifications.start(bus.address()) || !logind.start(systemBus.address())) {
            *why = QStringLiteral("fake services did not start");
            return false;
        }
        if (!sandbox.prepare(why))
            return false;
        if (!config.isEmpty()) {
            QFile f(sandbox.settingsPath());
            if (!f.open(QIODevice::WriteOnly) || f.write(config.toLatin1()) < 0)
                return false;
        }
        sandbox.useBus(bus.address());
        sandbox.environment().insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), systemBus.address());
        sandbox.environment().insert(QStringLiteral("KORTVIK_SITE"), site.authority());
        program = sandbox.start();
        client = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(bus.address(), QStringLiteral("client%1").arg(quintptr(this))));
        QElapsedTimer waited;
        waited.start();
        while (!client->interface()->isServiceRegistered(kService)) {
            if (!program || program->state() == QProcess::NotRunning || waited.elapsed() > 30000) {
                *why = QStringLiteral("kortvik did not take its bus name");
                return false;
            }
            QTest::qWait(50);
        }
        client->connect(kService, kServerPath, kServerIface, QStringLiteral("onLogout"), this,
                        SLOT(heardLogout(QDBusMessage)));
        return true;
    }

    ~Instance() override
    {
        if (client) {
            const QString name = client->name();
            client.reset();
            QDBusConnection::disconnectFromBus(name);
        }
    }

    // Calls a method of the server object and waits for its answer.
    bool call(const QString &method, const QVariantList &args, int ms = 30000)
    {
        QDBusMessage m = QDBusMessage::createMethodCall(kService, kServerPath, kServerIface, method);
        m.setArguments(args);
        QDBusPendingCallWatcher watcher(client->asyncCall(m, ms));
        QSignalSpy done(&watcher, &QDBusPendingCallWatcher::finished);
        if (!done.wait(ms))
            return false;
        return !watcher.isError() && (watcher.reply().arguments().isEmpty() ||
                                      watcher.reply().arguments().first().toBool());
    }

    // Paths of the requests the site has had so far, in order.
    QStringList requestPaths()
    {
        QStringList paths;
        for (const QString &line : site.requestLog())
            paths << line.section(QLatin1Char(' '), 1, 1);
        return paths;
    }

    qsizetype logoutsHeard() const { return heard.size(); }

public slots:
    void heardLogout(const QDBusMessage &m) { heard << m.arguments().value(0).toString(); }
};

} // namespace

class TestDesktopProcess : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        PrivateSessionBus probe;
        QString why;
        if (!probe.start(&why))
            KORTVIK_SKIP_WITHOUT_TOOL(why);
    }
    void imailAndSiteLogoutNotifications();
    void noneForTheGuestOrWithNotifyOff_data();
    void noneForTheGuestOrWithNotifyOff();
    void silentServiceHoldsNothingUp();
    void wakeRunsTheChecksAtOnce();
};

// One notification for the new iMails of a login, none for the member's own
// logout, the same notification replaced in place at the next login, and
// the site's logout of an idle member: "Utloggad" within one iMail tick,
// onLogout once, and its notification.
void TestDesktopProcess::imailAndSiteLogoutNotifications()
{
    Instance k;
    QString why;
    if (!k.start(QString(), FakeNotificationService::Mode::Answer, &why))
        QFAIL(qPrintable(why));
    const sandlundSim::SimMember &kalle = memberNamed(QStringLiteral("kalle"));
    int newCount = 0;
    const sandlundSim::SimIMail *newest = nullptr;
    for (const auto &mail : kalle.inbox) {
        if (mail.isNew) {
            ++newCount;
            if (!newest || mail.sentAt > newest->sentAt)
                newest = &mail;
        }
    }
    QVERIFY2(newCount > 0 && newest, "the demo member needs new iMails");

    // The login's own iMail check tells, well before the 10-second tick.
    QVERIFY(k.call(QStringLiteral("doLogin"), {false, kalle.password}));
    QVERIFY(k.notifications.waitForCalls(1, 3000));
    FakeNotificationService::Call first = k.notifications.calls().at(0);
    QCOMPARE(first.summary, QStringLiteral("Du har %1 nya iMails").arg(newCount));
    QCOMPARE(first.body, NotificationClient::escapeMarkup(newest->senderName + QStringLiteral(": ") +
                                                          newest->subject.simplified()));

    // The member's own logout is quiet.
    QVERIFY(k.call(QStringLiteral("doLogout"), {}));
    QTRY_COMPARE(k.logoutsHeard(), 1);
    QVERIFY(k.call(QStringLiteral("doLogin"), {false, kalle.password}));
    QVERIFY(k.notifications.waitForCalls(2, 3000));
    QCOMPARE(k.notifications.calls().at(1).summary, first.summary);
    QCOMPARE(k.notifications.calls().at(1).replacesId, first.id);

    // The site ends the session while the member is idle.
    // Both logins count as sessions to the site.
    QCOMPARE(k.site.endSession(kalle.password), 2);
    QVERIFY(k.notifications.waitForCalls(3, 15000));
    QCOMPARE(k.notifications.calls().at(2).summary, kSiteLogout);
    QTRY_COMPARE(k.logoutsHeard(), 2);
    QTest::qWait(1500);
    QCOMPARE(k.logoutsHeard(), 2);
    QCOMPARE(k.notifications.calls().size(), 3);
    QVERIFY(k.program->state() == QProcess::Running);
}

void TestDesktopProcess::noneForTheGuestOrWithNotifyOff_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<QString>("password");
    QTest::newRow("guest") << QString() << QStringLiteral("bvolk");
    QTest::newRow("notify=0") << QStringLiteral("[Kortvik]\r\nnotify=0\r\n") << QStringLiteral("kalle");
}

void TestDesktopProcess::noneForTheGuestOrWithNotifyOff()
{
    QFETCH(QString, config);
    QFETCH(QString, password);
    Instance k;
    QString why;
    if (!k.start(config, FakeNotificationService::Mode::Answer, &why))
        QFAIL(qPrintable(why));
    QVERIFY(k.call(QStringLiteral("doLogin"), {false, password}));
    // The login ends with an iMail check; give its counts time to travel.
    QTest::qWait(1500);
    if (password != QLatin1String("bvolk"))
        QCOMPARE(k.site.endSession(password), 1);
    QTRY_VERIFY_WITH_TIMEOUT(password == QLatin1String("bvolk") || k.logoutsHeard() == 1, 15000);
    QTest::qWait(500);
    QCOMPARE(k.notifications.calls().size(), 0);
}

void TestDesktopProcess::silentServiceHoldsNothingUp()
{
    Instance k;
    QString why;
    if (!k.start(QString(), FakeNotificationService::Mode::Silent, &why))
        QFAIL(qPrintable(why));
    QVERIFY(k.call(QStringLiteral("doLogin"), {false, QStringLiteral("kalle")}));
    QVERIFY(k.notifications.waitForCalls(1, 15000));
    // The program answers, logs out and in while its call waits.
    QElapsedTimer t;
    t.start();
    QVERIFY(k.call(QStringLiteral("doLogout"), {}, 5000));
    QVERIFY(k.call(QStringLiteral("doLogin"), {false, QStringLiteral("anna5")}, 10000));
    QVERIFY(k.call(QStringLiteral("doLogout"), {}, 5000));
    qDebug() << "logout, login and logout took" << t.elapsed() << "ms with the service silent";
    QTRY_COMPARE(k.logoutsHeard(), 2);
}

// PrepareForSleep(false) runs the iMail check and the keep-alive at once.
// Two wake-ups three seconds apart: the 10-second iMail timer can account
// for at most one of them.
void TestDesktopProcess::wakeRunsTheChecksAtOnce()
{
    Instance k;
    QString why;
    if (!k.start(QString(), FakeNotificationService::Mode::Answer, &why))
        QFAIL(qPrintable(why));
    QVERIFY(k.call(QStringLiteral("doLogin"), {false, QStringLiteral("kalle")}));
    QTest::qWait(300);
    for (int round = 0; round < 2; ++round) {
        const qsizetype before = k.requestPaths().size();
        k.logind.prepareForSleep(true);
        k.logind.prepareForSleep(false);
        QElapsedTimer t;
        t.start();
        QStringList after;
        while (t.elapsed() < 1000) {
            after = k.requestPaths().mid(before);
            if (after.contains(QStringLiteral("/login/community/main.asp")) &&
                after.contains(QStringLiteral("/default.asp")))
                break;
            QTest::qWait(20);
        }
        QVERIFY2(after.contains(QStringLiteral("/login/community/main.asp")), qPrintable(after.join(' ')));
        QVERIFY2(after.contains(QStringLiteral("/default.asp")), qPrintable(after.join(' ')));
        QTest::qWait(3000);
    }

    // Logged out, a wake-up sends nothing: the iMail check asks nothing of
    // the site then, and there is no keep-alive.
    QVERIFY(k.call(QStringLiteral("doLogout"), {}));
    QTest::qWait(300);
    const qsizetype before = k.requestPaths().size();
    k.logind.prepareForSleep(false);
    QTest::qWait(800);
    QCOMPARE(k.requestPaths().mid(before), QStringList());
}

QTEST_GUILESS_MAIN(TestDesktopProcess)
#include "tst_desktopprocess.moc"
