// The running program's desktop side, from outside: a copy of kortvik on a
// private session bus with a fake notification service and a fake iMail
// handler, a second private bus standing in for the system bus with a fake
// logind and a fake NetworkManager, and the demo site. Logins go through
// the plug-in interface.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QtTest>

#include "desktop/notificationclient.h"
#include "fakeimailhandler.h"
#include "fakelogind.h"
#include "fakenetworkmanager.h"
#include "fakestatusnotifierwatcher.h"
#include "fakenotificationservice.h"
#include "kortvikonbus.h"
#include "requiredtool.h"
#include "siminboxcontrol.h"
#include "simmembers.h"
#include "session/storedpassword.h"
#include "settings/modsettings.h"
#include "simsite.h"
#include "xvfbserver.h"

namespace {

const QString kService = QStringLiteral("org.kortvik.Kortvik");
const QString kServerPath = QStringLiteral("/clsMainServer");
const QString kServerIface = QStringLiteral("org.kortvik.Kortvik.clsMainServer");
const QString kSiteLogout = QString::fromUtf8("Du har blivit utloggad från Sandlund");
const QString kInbox = QStringLiteral("/login/community/main.asp");

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
    KortvikOnBus k;
    FakeNotificationService notifications;
    FakeLogind logind;
    FakeNetworkManager network;
    QStringList heard;

    // config: the Config.ini to start with ("" for none). networkManager:
    // the fake NetworkManager is on the system bus from the start.
    bool start(const QString &config, FakeNotificationService::Mode mode, QString *why, bool networkManager = false)
    {
        KortvikOnBus::Options options;
        options.config = config.toLatin1();
        options.systemBus = true;
        options.beforeProgram = [this, mode, networkManager](QString *why) {
            notifications.setMode(mode);
            if (notifications.start(k.bus.address()) && logind.start(k.systemBus->address()) &&
                (!networkManager || network.start(k.systemBus->address())))
                return true;
            *why = QStringLiteral("fake services did not start");
            return false;
        };
        if (!k.start(why, options))
            return false;
        k.client().connect(kService, kServerPath, kServerIface, QStringLiteral("onLogout"), this,
                           SLOT(heardLogout(QDBusMessage)));
        return true;
    }

    // Calls a method of the server object and waits for its answer.
    bool call(const QString &method, const QVariantList &args, int ms = 30000)
    {
        QDBusMessage m = QDBusMessage::createMethodCall(kService, kServerPath, kServerIface, method);
        m.setArguments(args);
        QDBusPendingCallWatcher watcher(k.client().asyncCall(m, ms));
        QSignalSpy done(&watcher, &QDBusPendingCallWatcher::finished);
        if (!done.wait(ms))
            return false;
        return !watcher.isError() && (watcher.reply().arguments().isEmpty() ||
                                      watcher.reply().arguments().first().toBool());
    }

    // Paths of the requests the site has had so far, in order.
    QStringList requestPaths()
    {
        return ::requestPaths(k.site->requestLog());
    }

    qsizetype logoutsHeard() const { return heard.size(); }

    // Runs work and waits up to ms for an inbox request after it.
    bool inboxReadAfter(const std::function<void()> &work, int ms = 5000)
    {
        const qsizetype before = requestPaths().size();
        work();
        return QTest::qWaitFor([&] { return requestPaths().mid(before).contains(kInbox); }, ms);
    }

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
    void imailAndSiteLogoutNotifications_data();
    void imailAndSiteLogoutNotifications();
    void noneForTheGuestOrWithNotifyOff_data();
    void noneForTheGuestOrWithNotifyOff();
    void silentServiceHoldsNothingUp();
    void wakeRunsTheChecksAtOnce();
    void networkReturnRunsTheChecksOnce();
    void minimizedAndLaterTray_data();
    void minimizedAndLaterTray();
};

void TestDesktopProcess::imailAndSiteLogoutNotifications_data()
{
    QTest::addColumn<bool>("actions");
    QTest::newRow("service with actions") << true;
    QTest::newRow("service without actions") << false;
}

// One notification for the new iMails of a login, with "Visa iMails" when
// the service has actions, which reaches the iMail handler. Withdrawn at
// the member's logout and when nothing is unread; never twice for the same
// rows (new login, wake-up, restart); once more for a new row. The site's
// logout of an idle member: "Utloggad" within one iMail tick, onLogout
// once, and its notification.
void TestDesktopProcess::imailAndSiteLogoutNotifications()
{
    QFETCH(bool, actions);
    Instance k;
    k.notifications.setActions(actions);
    QString why;
    if (!k.start(QString(), FakeNotificationService::Mode::Answer, &why))
        QFAIL(qPrintable(why));
    FakeIMailHandler handler(k.k.bus.address(), FakeIMailHandler::Mode::Answer);
    QVERIFY(handler.start());
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
    auto summary = [](int n) {
        return n == 1 ? QStringLiteral("Du har 1 ny iMail") : QStringLiteral("Du har %1 nya iMails").arg(n);
    };

    // The login's own iMail check tells, well before the 10-second tick.
    QVERIFY(k.call(QStringLiteral("doLogin"), {false, kalle.password}));
    QVERIFY(k.notifications.waitForCalls(1, 3000));
    QTRY_VERIFY(k.notifications.calls().at(0).id != 0);
    const FakeNotificationService::Call first = k.notifications.calls().at(0);
    QCOMPARE(first.summary, summary(newCount));
    QCOMPARE(first.body, NotificationClient::escapeMarkup(newest->senderName + QStringLiteral(": ") +
                                                          newest->subject.simplified()));
    QCOMPARE(first.actions, (actions ? QStringList{"default", "Visa Kortvik", "imails", "Visa iMails"} : QStringList()));
    QCOMPARE(first.hints.value("desktop-entry").toString(), QStringLiteral("org.kortvik.Kortvik"));
    QCOMPARE(first.hints.value("category").toString(), QStringLiteral("email.arrived"));
    QCOMPARE(first.hints.value("urgency").toInt(), 1);

    // "Visa iMails" opens the handler, when it was offered; ids and keys
    // the program never gave, and a flood of closings, do nothing.
    k.notifications.invokeAction(first.id + 1000, QStringLiteral("imails"));
    k.notifications.invokeAction(first.id, QStringLiteral("bogus"));
    for (uint id = 0; id < 300; ++id)
        k.notifications.tellClosed(id);
    k.notifications.invokeAction(first.id, QStringLiteral("imails"));
    if (actions)
        QTRY_COMPARE(handler.openCalls(), 1);
    QTest::qWait(500);
    QCOMPARE(handler.openCalls(), actions ? 1 : 0);

    // A wake-up reads the same rows: nothing new to tell.
    QVERIFY(k.inboxReadAfter([&] {
        k.logind.prepareForSleep(true);
        k.logind.prepareForSleep(false);
    }));
    // The member's own logout withdraws the notification; a new login has
    // nothing new to tell.
    QVERIFY(k.call(QStringLiteral("doLogout"), {}));
    QTRY_COMPARE(k.notifications.closed(), QList<uint>{first.id});
    QVERIFY(k.inboxReadAfter([&] { QVERIFY(k.call(QStringLiteral("doLogin"), {false, kalle.password})); }));
    QTest::qWait(500);
    QCOMPARE(k.notifications.calls().size(), 1);

    // Nor after a restart of the program.
    k.k.program->terminate();
    QVERIFY(k.k.program->waitForFinished(30000));
    QProcess *again = k.k.startAgain();
    QVERIFY(k.k.waitForMainWindow(again));
    QVERIFY(k.inboxReadAfter([&] { QVERIFY(k.call(QStringLiteral("doLogin"), {false, kalle.password})); }));
    QTest::qWait(500);
    QCOMPARE(k.notifications.calls().size(), 1);

    // A new row is news.
    QVERIFY(simInbox::add(k.k.site->port(), kalle.userid, simInbox::newMail(9901, QStringLiteral("Ny rad"))));
    QVERIFY(k.inboxReadAfter([&] { k.logind.prepareForSleep(false); }));
    QVERIFY(k.notifications.waitForCalls(2, 3000));
    QTRY_VERIFY(k.notifications.calls().at(1).id != 0);
    const FakeNotificationService::Call second = k.notifications.calls().at(1);
    QCOMPARE(second.summary, summary(newCount + 1));
    QCOMPARE(second.body, QStringLiteral("Anna Berg: Ny rad"));

    // Everything read elsewhere: the count falls to 0 and the notification goes.
    std::optional<QList<sandlundSim::SimIMail>> inbox = simInbox::get(k.k.site->port(), kalle.userid);
    QVERIFY(inbox);
    for (auto &mail : *inbox) {
        // The site tells a new row by its date's colour.
        mail.isNew = false;
        mail.dateColour = QStringLiteral("000000");
    }
    QVERIFY(simInbox::put(k.k.site->port(), kalle.userid, *inbox));
    QVERIFY(k.inboxReadAfter([&] {
        k.logind.prepareForSleep(true);
        k.logind.prepareForSleep(false);
    }));
    QTRY_COMPARE(k.notifications.closed(), (QList<uint>{first.id, second.id}));

    // The site ends the session while the member is idle.
    QVERIFY(k.k.site->endSession(kalle.password) >= 1);
    QVERIFY(k.notifications.waitForCalls(3, 30000));
    QCOMPARE(k.notifications.calls().at(2).summary, kSiteLogout);
    QCOMPARE(k.notifications.calls().at(2).actions, (actions ? QStringList{"default", "Visa Kortvik"} : QStringList()));
    QTRY_COMPARE(k.logoutsHeard(), 2);
    QTest::qWait(1500);
    QCOMPARE(k.logoutsHeard(), 2);
    QCOMPARE(k.notifications.calls().size(), 3);
    QVERIFY(again->state() == QProcess::Running);
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
        QCOMPARE(k.k.site->endSession(password), 1);
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
// Two wake-ups, each given 3 s for its requests, 1.5 s apart: both fall
// within 10 s, so the 10-second iMail timer can account for at most one of
// them (and the 30-second keep-alive, started at the login, for neither).
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
        while (t.elapsed() < 3000) {
            after = k.requestPaths().mid(before);
            if (after.contains(QStringLiteral("/login/community/main.asp")) &&
                after.contains(QStringLiteral("/default.asp")))
                break;
            QTest::qWait(20);
        }
        QVERIFY2(after.contains(QStringLiteral("/login/community/main.asp")), qPrintable(after.join(' ')));
        QVERIFY2(after.contains(QStringLiteral("/default.asp")), qPrintable(after.join(' ')));
        QTest::qWait(1500);
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

// NetworkManager reports the network gone and back: the iMail check and
// the keep-alive run at once, nobody is logged out meanwhile, and a network
// that flaps 100 times in a second costs no more than two checks.
void TestDesktopProcess::networkReturnRunsTheChecksOnce()
{
    Instance k;
    QString why;
    if (!k.start(QString(), FakeNotificationService::Mode::Answer, &why, true))
        QFAIL(qPrintable(why));
    QVERIFY(k.call(QStringLiteral("doLogin"), {false, QStringLiteral("kalle")}));
    QTest::qWait(300);

    k.network.setOnline(false);
    // Offline for longer than a keep-alive tick: still logged in.
    QTest::qWait(1500);
    QCOMPARE(k.k.property(QStringLiteral("LoggedIn")).toBool(), true);
    const qsizetype before = k.requestPaths().size();
    k.network.setOnline(true);
    QStringList after;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 3000) {
        after = k.requestPaths().mid(before);
        if (after.contains(kInbox) && after.contains(QStringLiteral("/default.asp")))
            break;
        QTest::qWait(20);
    }
    QVERIFY2(after.contains(kInbox), qPrintable(after.join(' ')));
    QVERIFY2(after.contains(QStringLiteral("/default.asp")), qPrintable(after.join(' ')));

    // 100 times offline and online within a second, then the quiet period.
    QString seen;
    const bool bounded = k.k.inboxRequestsDuring(2, [&] {
        for (int i = 0; i < 100; ++i) {
            k.network.setOnline(false);
            k.network.setOnline(true);
            QTest::qWait(10);
        }
        QTest::qWait(6000);
    }, &seen);
    qDebug() << "flapping network:" << seen;
    QVERIFY2(bounded, qPrintable(seen));
    QCOMPARE(k.k.property(QStringLiteral("LoggedIn")).toBool(), true);
}

// The main window on the test's display, seen as a member would: mapped
// windows by title, through xdotool.
bool mainWindowVisible(const QString &display)
{
    QProcess xdo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    xdo.setProcessEnvironment(env);
    xdo.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                          QStringLiteral("--name"), QStringLiteral("^Kortvik - Interface till ")});
    xdo.waitForFinished(10000);
    return !xdo.readAllStandardOutput().trimmed().isEmpty();
}

void TestDesktopProcess::minimizedAndLaterTray_data()
{
    QTest::addColumn<bool>("trayAtStart");
    QTest::addColumn<bool>("minimized");
    QTest::newRow("--minimized with a tray: icon only") << true << true;
    QTest::newRow("--minimized without a tray: the window") << false << true;
    QTest::newRow("a tray that comes later gets the icon") << false << false;
}

// Under Xvfb with a fake panel (a StatusNotifierWatcher with its host): the
// start-up login runs with the window hidden or shown, and an icon appears
// when the panel does, also when the panel restarts.
void TestDesktopProcess::minimizedAndLaterTray()
{
    QFETCH(bool, trayAtStart);
    QFETCH(bool, minimized);
    if (!XvfbServer::available() || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        KORTVIK_SKIP_WITHOUT_TOOL(QStringLiteral("Xvfb and xdotool are needed"));
    XvfbServer x;
    QString why;
    if (!x.start(&why))
        KORTVIK_SKIP_WITHOUT_TOOL(why);

    KortvikOnBus k;
    FakeStatusNotifierWatcher panel;
    KortvikOnBus::Options options;
    options.display = x.display();
    if (minimized)
        options.args = {QStringLiteral("--minimized")};
    options.beforeProgram = [&](QString *why) {
        modSettings::overrideProgramFolder(k.sandbox.folder());
        modSettings::writeSetting(QStringLiteral("autologin"), QStringLiteral("logintype"), QStringLiteral("lastlogin"));
        modSettings::writeSetting(QStringLiteral("autologin"), QStringLiteral("lastlogin"),
                                  modGlobal::sealPassword(QStringLiteral("kalle")));
        modSettings::overrideProgramFolder(QString());
        if (trayAtStart && !panel.start(k.bus.address())) {
            *why = QStringLiteral("the fake panel did not start");
            return false;
        }
        return true;
    };
    QVERIFY2(k.start(&why, options), qPrintable(why));

    // The icon first: the program asks the panel at start, and the panel
    // lives in this thread, which must not be waiting on the program then.
    if (trayAtStart)
        QTRY_COMPARE_WITH_TIMEOUT(panel.registrations().size(), 1, 10000);
    // The start-up login runs, window or not.
    QTRY_VERIFY_WITH_TIMEOUT(k.property(QStringLiteral("LoggedIn")).toBool(), 30000);
    const bool hidden = minimized && trayAtStart;
    if (!hidden)
        QTRY_VERIFY_WITH_TIMEOUT(mainWindowVisible(x.display()), 10000);
    QCOMPARE(mainWindowVisible(x.display()), !hidden);

    if (hidden) {
        // A left click on the icon brings the window.
        const QString item = panel.registrations().first();
        QDBusMessage click = QDBusMessage::createMethodCall(item.section(QLatin1Char('/'), 0, 0),
                                                            QStringLiteral("/StatusNotifierItem"),
                                                            QStringLiteral("org.kde.StatusNotifierItem"),
                                                            QStringLiteral("Activate"));
        click << 10 << 10;
        QCOMPARE(k.client().call(click, QDBus::Block, 10000).type(), QDBusMessage::ReplyMessage);
        QTRY_VERIFY_WITH_TIMEOUT(mainWindowVisible(x.display()), 10000);
    }
    if (!trayAtStart) {
        // The panel starts after the program, goes away and comes back.
        QVERIFY(panel.start(k.bus.address()));
        QTRY_COMPARE_WITH_TIMEOUT(panel.registrations().size(), 1, 10000);
        panel.leave();
        QVERIFY(panel.start(k.bus.address()));
        QTRY_COMPARE_WITH_TIMEOUT(panel.registrations().size(), 2, 10000);
    }
    QVERIFY(k.program->state() == QProcess::Running);
}

QTEST_GUILESS_MAIN(TestDesktopProcess)
#include "tst_desktopprocess.moc"
