// The running program's desktop side, from outside: a copy of kortvik on a
// private session bus with a fake notification service, a second private
// bus standing in for the system bus with a fake logind, and the demo site.
// Logins go through the plug-in interface.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QtTest>

#include "desktop/notificationclient.h"
#include "fakelogind.h"
#include "fakestatusnotifierwatcher.h"
#include "fakenotificationservice.h"
#include "kortvikonbus.h"
#include "requiredtool.h"
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
    QStringList heard;

    // config: the Config.ini to start with ("" for none).
    bool start(const QString &config, FakeNotificationService::Mode mode, QString *why)
    {
        KortvikOnBus::Options options;
        options.config = config.toLatin1();
        options.systemBus = true;
        options.beforeProgram = [this, mode](QString *why) {
            notifications.setMode(mode);
            if (notifications.start(k.bus.address()) && logind.start(k.systemBus->address()))
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
    void minimizedAndLaterTray_data();
    void minimizedAndLaterTray();
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
    QCOMPARE(k.k.site->endSession(kalle.password), 2);
    QVERIFY(k.notifications.waitForCalls(3, 30000));
    QCOMPARE(k.notifications.calls().at(2).summary, kSiteLogout);
    QTRY_COMPARE(k.logoutsHeard(), 2);
    QTest::qWait(1500);
    QCOMPARE(k.logoutsHeard(), 2);
    QCOMPARE(k.notifications.calls().size(), 3);
    QVERIFY(k.k.program->state() == QProcess::Running);
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
