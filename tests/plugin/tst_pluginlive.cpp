// Live state and the inbox on the bus, as a plug-in meets them: kortvik on a
// private bus against the demo site. Properties and PropertiesChanged through
// a member login, new iMails, a guest login and a logout; GetIMails against
// the site's inbox; CheckIMails as exactly one inbox request; IMailsChanged
// only for a changed list; 50 callers at once during a login. And the
// plug-in interface's calls and events as plug-ins meet them, with the two
// examples.
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QtTest>

#include "imailrow.h"
#include "kortvikonbus.h"
#include "requiredtool.h"
#include "simmembers.h"
#include "siminbox.h"
#include "siminboxcontrol.h"
#include "sitetime.h"

namespace {

const QString kService = QStringLiteral("org.kortvik.Kortvik");
const QString kPath = QStringLiteral("/clsMainServer");
const QString kInterface = QStringLiteral("org.kortvik.Kortvik.clsMainServer");
const QString kInbox = QStringLiteral("/login/community/main.asp");

QString describe(const QVariantMap &changed)
{
    QStringList parts;
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        parts << it.key() + QLatin1Char('=') + it.value().toString();
    return parts.join(QLatin1Char(' '));
}

IMailRows rowsOf(const QList<sandlundSim::SimIMail> &inbox)
{
    IMailRows rows;
    for (const sandlundSim::SimIMail &m : inbox)
        rows.append(IMailRow{m.mid, m.subject, siteTime::toSecsSinceEpoch(m.sentAt.date(), m.sentAt.time()), m.isNew,
                             m.senderUid, m.senderName});
    return rows;
}

const sandlundSim::SimMember &member(int index)
{
    static const QList<sandlundSim::SimMember> members = sandlundSim::defaultMembers();
    return members.at(index);
}

// The program with its own bus and site, and what its client heard.
class Instance : public QObject
{
    Q_OBJECT
public:
    KortvikOnBus k;
    QStringList heard;  // events and replies in the order the client got them

    bool start(const QStringList &siteArgs, QString *why)
    {
        KortvikOnBus::Options options;
        options.siteArgs = siteArgs;
        if (!k.start(why, options))
            return false;
        for (const char *event : {"onLogin", "onLogout"})
            k.client().connect(kService, kPath, kInterface, QString::fromLatin1(event), this,
                               SLOT(heardEvent(QDBusMessage)));
        return true;
    }

    QDBusPendingCall call(const QString &method, const QVariantList &args, const QString &tag)
    {
        QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
        m.setArguments(args);
        QDBusPendingCall pending = k.client().asyncCall(m, 60000);
        auto *watcher = new QDBusPendingCallWatcher(pending, this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, tag](QDBusPendingCallWatcher *w) {
            const QDBusMessage r = w->reply();
            if (r.type() == QDBusMessage::ErrorMessage)
                heard << tag + QStringLiteral(" error ") + r.errorName();
            else if (r.arguments().isEmpty())
                heard << tag + QStringLiteral(" done");
            else
                heard << tag + (r.arguments().first().toBool() ? QStringLiteral(" true") : QStringLiteral(" false"));
            w->deleteLater();
        });
        return pending;
    }

    QStringList events() const { return heard.filter(QRegularExpression(QStringLiteral("^on"))); }

public slots:
    void heardEvent(const QDBusMessage &m)
    {
        heard << QStringLiteral("%1 %2 %3").arg(m.member(), m.arguments().value(0).toString(),
                                               QString::number(m.arguments().value(1).toInt()));
    }
};

} // namespace

class TestPluginLive : public QObject
{
    Q_OBJECT
    KortvikOnBus k;
    QStringList heard;           // signals in arrival order
    QList<IMailRows> lists;      // IMailsChanged payloads
    // A second program for the calls and events, logged out before each test.
    std::unique_ptr<Instance> m_kortvik;

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Run runExample(const QString &program, const QStringList &args, const QString &busAddress)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        p.setProcessEnvironment(env);
        p.start(program, args);
        Run r;
        if (!p.waitForFinished(90000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
        r.err = QString::fromLocal8Bit(p.readAllStandardError());
        return r;
    }

    static QString exampleClient()
    {
        return qEnvironmentVariable("KORTVIK_BIN_DIR") + QStringLiteral("/kortvik-plugin-example");
    }


public slots:
    void onProperties(const QString &interface, const QVariantMap &changed, const QStringList &invalidated)
    {
        heard << interface.section(QLatin1Char('.'), -1) + QStringLiteral(": ") + describe(changed)
                + (invalidated.isEmpty() ? QString() : QStringLiteral(" invalidated ") + invalidated.join(QLatin1Char(',')));
    }
    void onIMailsChanged(const QDBusMessage &m)
    {
        lists << qdbus_cast<IMailRows>(m.arguments().value(0));
        heard << QStringLiteral("IMailsChanged %1").arg(lists.last().size());
    }
    void onLogin(const QString &password, int uid) { heard << QStringLiteral("onLogin %1 %2").arg(password).arg(uid); }
    void onLogout(const QString &password, int uid) { heard << QStringLiteral("onLogout %1 %2").arg(password).arg(uid); }

private slots:
    void initTestCase();
    void startsLoggedOut();
    void memberLogin();
    void getIMailsMatchesTheSite();
    void checkIMailsIsOneRequest();
    void unchangedListNoSignal();
    void logoutThenGuest();
    void thousandRowsIntact();
    void fiftyCallersDuringALogin();

    void init()
    {
        // Logged out, and nothing heard yet.
        m_kortvik->call(QStringLiteral("doLogout"), {}, QStringLiteral("reset"));
        QTRY_VERIFY(m_kortvik->heard.contains(QStringLiteral("reset done")));
        m_kortvik->heard.clear();
    }

    void busNameIsOwnedByTheProgram()
    {
        QDBusConnectionInterface *bus = m_kortvik->k.client().interface();
        const QDBusReply<uint> pid = bus->servicePid(kService);
        QVERIFY(pid.isValid());
        QCOMPARE(qint64(pid.value()), m_kortvik->k.program->processId());
    }

    void wrongLengthIsFalseWithoutRequest_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("four") << QStringLiteral("kall");
        QTest::newRow("six") << QStringLiteral("kallee");
    }
    void wrongLengthIsFalseWithoutRequest()
    {
        QFETCH(QString, password);
        const int before = m_kortvik->k.siteLogSettled().size();
        m_kortvik->call(QStringLiteral("doLogin"), {false, password}, QStringLiteral("reply"));
        QTRY_COMPARE(m_kortvik->heard, QStringList{QStringLiteral("reply false")});
        // Only the test's own marker came after.
        QCOMPARE(requestPaths(m_kortvik->k.siteLogSettled().mid(before)), QStringList{QStringLiteral("/settled")});
    }

    void guestLogin()
    {
        m_kortvik->call(QStringLiteral("doLogin"), {false, QStringLiteral("bvolk")}, QStringLiteral("reply"));
        QTRY_VERIFY_WITH_TIMEOUT(m_kortvik->heard.contains(QStringLiteral("reply true")), 30000);
        QTRY_COMPARE(m_kortvik->events(), QStringList{QStringLiteral("onLogin bvolk 0")});
    }

    void memberLoginThenLogout()
    {
        const sandlundSim::SimMember &m = member(1);
        m_kortvik->call(QStringLiteral("doLogin"), {false, m.password}, QStringLiteral("login"));
        QTRY_VERIFY_WITH_TIMEOUT(m_kortvik->heard.contains(QStringLiteral("login true")), 30000);
        m_kortvik->call(QStringLiteral("doLogout"), {}, QStringLiteral("logout"));
        QTRY_VERIFY(m_kortvik->heard.contains(QStringLiteral("logout done")));
        const QString who = QStringLiteral("%1 %2").arg(m.password).arg(m.userid);
        QTRY_COMPARE(m_kortvik->events(),
                     (QStringList{QStringLiteral("onLogin ") + who, QStringLiteral("onLogout ") + who}));
    }

    void logoutWhileLoggedOutRaisesNothing()
    {
        m_kortvik->call(QStringLiteral("doLogout"), {}, QStringLiteral("logout"));
        QTRY_VERIFY(m_kortvik->heard.contains(QStringLiteral("logout done")));
        // Events come in the order raised: the first one after the logout
        // must be the next login's.
        m_kortvik->call(QStringLiteral("doLogin"), {false, QStringLiteral("bvolk")}, QStringLiteral("login"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_kortvik->events().isEmpty(), 30000);
        QCOMPARE(m_kortvik->events().first(), QStringLiteral("onLogin bvolk 0"));
    }

    void logoutCancelsStalledLogin()
    {
        Instance stalled;
        QString why;
        if (!stalled.start({QStringLiteral("--stall"), QStringLiteral("/login.asp")}, &why))
            QFAIL(qPrintable(why));
        const sandlundSim::SimMember &m = member(0);
        stalled.call(QStringLiteral("doLogin"), {false, m.password}, QStringLiteral("login"));
        QTRY_VERIFY_WITH_TIMEOUT(requestPaths(stalled.k.site->requestLog()).contains(QStringLiteral("/login.asp")), 20000);
        QVERIFY(stalled.heard.isEmpty());  // still waiting for the site

        stalled.call(QStringLiteral("doLogout"), {}, QStringLiteral("logout"));
        // Both are answered, the login with false. Left to the exchange's
        // watchdog instead, the login would have read an empty page and asked
        // for the password again, never answering.
        QTRY_COMPARE_WITH_TIMEOUT(stalled.heard.size(), 2, 20000);
        QStringList answers = stalled.heard;
        answers.sort();
        QCOMPARE(answers, (QStringList{QStringLiteral("login false"), QStringLiteral("logout done")}));
        // No request after the stalled one.
        const QStringList paths = requestPaths(stalled.k.siteLogSettled());
        QCOMPARE(paths.mid(paths.indexOf(QStringLiteral("/login.asp"))),
                 (QStringList{QStringLiteral("/login.asp"), QStringLiteral("/settled")}));
    }

    void shellExample_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        const sandlundSim::SimMember &m = member(0);
        QTest::newRow("member") << m.password << 0
                                << QStringLiteral("doLogin: true\nonLogin %1 %2\nonLogout %1 %2\n").arg(m.password).arg(m.userid);
        QTest::newRow("guest") << QStringLiteral("bvolk") << 0
                               << QStringLiteral("doLogin: true\nonLogin bvolk 0\nonLogout bvolk 0\n");
        QTest::newRow("too short") << QStringLiteral("kal") << 1 << QStringLiteral("doLogin: false\n");
    }
    void shellExample()
    {
        QFETCH(QString, password);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        const Run r = runExample(QStringLiteral("/bin/sh"), {QStringLiteral(PLUGIN_EXAMPLE_SCRIPT), password},
                                 m_kortvik->k.bus.address());
        QVERIFY2(r.exitCode == exitCode, qPrintable(r.err));
        QCOMPARE(r.out, output);
    }

    void cppExample_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("output");
        const sandlundSim::SimMember &m = member(2);
        const QString who = QStringLiteral("%1 %2").arg(m.password).arg(m.userid);
        QTest::newRow("member") << m.password << 0
                                << QStringList{QStringLiteral("doLogin: true"), QStringLiteral("onLogin ") + who,
                                               QStringLiteral("onLogout ") + who};
        QTest::newRow("too long") << QStringLiteral("bvolkk") << 1 << QStringList{QStringLiteral("doLogin: false")};
    }
    void cppExample()
    {
        QFETCH(QString, password);
        QFETCH(int, exitCode);
        QFETCH(QStringList, output);
        const Run r = runExample(exampleClient(), {password}, m_kortvik->k.bus.address());
        QVERIFY2(r.exitCode == exitCode, qPrintable(r.err));
        QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        // The reply and the login event may be printed in either order; the
        // events themselves come in the order raised.
        QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^on"))), output.filter(QRegularExpression(QStringLiteral("^on"))));
        lines.sort();
        output.sort();
        QCOMPARE(lines, output);
    }

    void examplesWithoutProgram()
    {
        PrivateSessionBus empty;
        QString why;
        QVERIFY2(empty.start(&why), qPrintable(why));
        Run r = runExample(exampleClient(), {QStringLiteral("bvolk")}, empty.address());
        QVERIFY2(r.exitCode == 2, qPrintable(QStringLiteral("exit %1: %2%3").arg(r.exitCode).arg(r.out, r.err)));
        QVERIFY(r.err.startsWith(QLatin1String("Kortvik does not answer")));
        r = runExample(QStringLiteral("/bin/sh"), {QStringLiteral(PLUGIN_EXAMPLE_SCRIPT), QStringLiteral("bvolk")},
                       empty.address());
        QVERIFY2(r.exitCode == 2, qPrintable(QStringLiteral("exit %1: %2%3").arg(r.exitCode).arg(r.out, r.err)));
        QVERIFY(r.err.startsWith(QLatin1String("Kortvik does not answer")));
    }

private:
    // One line per signal, so a failure shows the whole order.
    QString takeHeard()
    {
        QTest::qWait(300); // late signals of the step
        return std::exchange(heard, {}).join(QLatin1Char('\n'));
    }
    QDBusMessage check() { return k.call(QStringLiteral("CheckIMails")); }
    IMailRows getIMails()
    {
        return qdbus_cast<IMailRows>(k.call(QStringLiteral("GetIMails")).arguments().value(0));
    }
};

void TestPluginLive::initTestCase()
{
    imailRow::registerTypes();
    QString why;
    if (!k.start(&why))
        KORTVIK_SKIP_WITHOUT_TOOL(why);
    m_kortvik = std::make_unique<Instance>();
    if (!m_kortvik->start({}, &why))
        QFAIL(qPrintable(why));
    QDBusConnection &c = k.client();
    QVERIFY(c.connect(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                      QStringLiteral("PropertiesChanged"), this,
                      SLOT(onProperties(QString, QVariantMap, QStringList))));
    QVERIFY(c.connect(kService, kPath, kInterface, QStringLiteral("IMailsChanged"), this,
                      SLOT(onIMailsChanged(QDBusMessage))));
    QVERIFY(c.connect(kService, kPath, kInterface, QStringLiteral("onLogin"), this, SLOT(onLogin(QString, int))));
    QVERIFY(c.connect(kService, kPath, kInterface, QStringLiteral("onLogout"), this, SLOT(onLogout(QString, int))));
}

void TestPluginLive::startsLoggedOut()
{
    const QVariantMap all = k.allProperties();
    QCOMPARE(describe(all), QStringLiteral("Alias= Guest=false IMailCount=0 LoggedIn=false LoggingIn=false "
                                           "NewIMailCount=0 UserID=0"));
    QCOMPARE(all.value("UserID").userType(), QMetaType::Int);
    QCOMPARE(all.value("Alias").userType(), QMetaType::QString);
    QVERIFY(getIMails().isEmpty());
    // Logged out, a check asks nothing of the site.
    QCOMPARE(check().type(), QDBusMessage::ReplyMessage);
    QCOMPARE(k.siteRequests(kInbox), 0);
    QCOMPARE(takeHeard(), QString());
}

void TestPluginLive::memberLogin()
{
    QVERIFY(k.login(QStringLiteral("kalle")));
    QTRY_VERIFY(heard.contains(QStringLiteral("IMailsChanged 3")));
    QCOMPARE(takeHeard(), (QStringList{
        "clsMainServer: LoggingIn=true",
        "onLogin kalle 1001",
        "clsMainServer: Alias=Kalle & Co LoggedIn=true UserID=1001",
        "clsMainServer: IMailCount=3 NewIMailCount=1",
        "IMailsChanged 3",
        "clsMainServer: LoggingIn=false",
    }).join(QLatin1Char('\n')));
    QCOMPARE(describe(k.allProperties()), QStringLiteral("Alias=Kalle & Co Guest=false IMailCount=3 LoggedIn=true "
                                                         "LoggingIn=false NewIMailCount=1 UserID=1001"));
    QCOMPARE(k.property(QStringLiteral("Alias")).toString(), QStringLiteral("Kalle & Co"));
}

void TestPluginLive::getIMailsMatchesTheSite()
{
    const auto site = simInbox::get(k.site->port(), 1001);
    QVERIFY(site);
    const IMailRows rows = getIMails();
    QCOMPARE(rows, rowsOf(*site));
    QCOMPARE(lists.last(), rows);
    QCOMPARE(rows.at(1).subject, QStringLiteral("Rad 1\r\nRad 2"));
}

void TestPluginLive::checkIMailsIsOneRequest()
{
    QVERIFY(simInbox::add(k.site->port(), 1001, simInbox::newMail(601, QStringLiteral("Ny: åäö € \"&\" <b>"))));
    // Three checks, so that a tick of the program's own timer (which may
    // join a check, or send one between two) cannot pass for a check that
    // sends nothing, or hide one that sends two.
    QString seen;
    QVERIFY2(k.inboxRequestsDuring(3, [this] {
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(check().type(), QDBusMessage::ReplyMessage);
            // The counts are up to date when the call returns.
            QCOMPARE(k.property(QStringLiteral("IMailCount")).toInt(), 4);
        }
    }, &seen), qPrintable(seen));
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(takeHeard(), (QStringList{"clsMainServer: IMailCount=4 NewIMailCount=2", "IMailsChanged 4"}).join(QLatin1Char('\n')));
    QCOMPARE(getIMails(), rowsOf(*simInbox::get(k.site->port(), 1001)));
    QCOMPARE(getIMails().first().subject, QStringLiteral("Ny: åäö € \"&\" <b>"));
}

void TestPluginLive::unchangedListNoSignal()
{
    QString seen;
    QVERIFY2(k.inboxRequestsDuring(3, [this] {
        for (int i = 0; i < 3; ++i)
            QCOMPARE(check().type(), QDBusMessage::ReplyMessage);
    }, &seen), qPrintable(seen));
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(takeHeard(), QString());

    // Same count, other content (a message read): the list changed, the
    // counts partly.
    auto inbox = *simInbox::get(k.site->port(), 1001);
    inbox[0].isNew = false;
    inbox[0].dateColour = QStringLiteral("000000");
    QVERIFY(simInbox::put(k.site->port(), 1001, inbox));
    QCOMPARE(check().type(), QDBusMessage::ReplyMessage);
    QCOMPARE(takeHeard(), (QStringList{"clsMainServer: NewIMailCount=1", "IMailsChanged 4"}).join(QLatin1Char('\n')));
}

void TestPluginLive::logoutThenGuest()
{
    QCOMPARE(k.call(QStringLiteral("doLogout")).type(), QDBusMessage::ReplyMessage);
    QTRY_VERIFY(heard.contains(QStringLiteral("onLogout kalle 1001")));
    const QStringList logout = takeHeard().split(QLatin1Char('\n'));
    // The menu bar keeps its counts after a logout; so do the properties.
    QCOMPARE(logout, (QStringList{"onLogout kalle 1001", "clsMainServer: Alias= LoggedIn=false UserID=0",
                                  "IMailsChanged 0"}));
    QVERIFY(getIMails().isEmpty());

    QVERIFY(k.login(QStringLiteral("bvolk")));
    QTRY_VERIFY(heard.contains(QStringLiteral("onLogin bvolk 0")));
    // The guest has no inbox: the menu bar shows "0 iMails (0 nya)".
    QCOMPARE(takeHeard(), (QStringList{"clsMainServer: LoggingIn=true", "onLogin bvolk 0",
                                       "clsMainServer: Alias=Gäst Guest=true LoggedIn=true",
                                       "clsMainServer: IMailCount=0 NewIMailCount=0", "clsMainServer: LoggingIn=false"})
                              .join(QLatin1Char('\n')));
    QCOMPARE(k.property(QStringLiteral("Guest")).toBool(), true);
    QCOMPARE(k.property(QStringLiteral("UserID")).toInt(), 0);
    QVERIFY(getIMails().isEmpty());

    QCOMPARE(k.call(QStringLiteral("doLogout")).type(), QDBusMessage::ReplyMessage);
    QTRY_VERIFY(heard.contains(QStringLiteral("onLogout bvolk 0")));
    // The list was empty already: no IMailsChanged.
    QCOMPARE(takeHeard(), QStringLiteral("onLogout bvolk 0\nclsMainServer: Alias= Guest=false LoggedIn=false"));
}

void TestPluginLive::thousandRowsIntact()
{
    QVERIFY(k.login(QString::fromLatin1(sandlundSim::kBulkInboxPassword)));
    QTRY_VERIFY(heard.contains(QStringLiteral("IMailsChanged 1000")));
    const IMailRows rows = getIMails();
    const IMailRows expected = rowsOf(*simInbox::get(k.site->port(), 1004));
    QCOMPARE(rows.size(), 1000);
    QCOMPARE(rows, expected);
    takeHeard();
    QCOMPARE(k.call(QStringLiteral("doLogout")).type(), QDBusMessage::ReplyMessage);
    QTRY_VERIFY(!heard.isEmpty());
    takeHeard();
}

void TestPluginLive::fiftyCallersDuringALogin()
{
    // A program of its own whose site never answers the inbox page: the
    // login's iMail check hangs until the exchange gives up, and everything
    // that arrives meanwhile must wait for that one check.
    KortvikOnBus slow;
    QString why;
    if (!slow.start(&why, {.siteArgs = {QStringLiteral("--stall"), kInbox}}))
        KORTVIK_SKIP_WITHOUT_TOOL(why);
    QList<QDBusConnection> clients;
    for (int i = 0; i < 50; ++i)
        clients << QDBusConnection::connectToBus(slow.bus.address(), QStringLiteral("caller%1").arg(i));

    QDBusMessage login = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("doLogin"));
    login << false << QStringLiteral("kalle");
    QDBusPendingCall loginCall = slow.client().asyncCall(login, 60000);
    QTRY_VERIFY_WITH_TIMEOUT(slow.site->requestLog().filter(kInbox).size() == 1, 10000);

    QList<QDBusPendingCall> lists, checks, after;
    auto getIMails = [] {
        return QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetIMails"));
    };
    for (QDBusConnection &c : clients) {
        lists << c.asyncCall(getIMails());
        checks << c.asyncCall(QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("CheckIMails")),
                              60000);
        // Calls on one connection are taken in order: its answer shows that
        // the check before it has been taken in.
        after << c.asyncCall(getIMails());
    }
    // The list and a ping come back while the check still waits.
    QDBusMessage ping = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Peer"),
                                                      QStringLiteral("Ping"));
    QDBusPendingCall pong = slow.client().asyncCall(ping, 5000);
    auto finished = [](const QList<QDBusPendingCall> &calls) {
        return std::all_of(calls.cbegin(), calls.cend(), [](const QDBusPendingCall &c) { return c.isFinished(); });
    };
    QVERIFY(QTest::qWaitFor([&] { return pong.isFinished() && finished(lists) && finished(after); }, 5000));
    QCOMPARE(pong.reply().type(), QDBusMessage::ReplyMessage);
    for (const QDBusPendingCall &c : lists + after)
        QVERIFY(qdbus_cast<IMailRows>(c.reply().arguments().value(0)).isEmpty());
    // Every caller has asked and waits; the site has seen one inbox request
    // for all of them. Counted now, while the check still hangs: once it has
    // given up, the program's own 10 s iMail timer may start the next check
    // at any moment.
    QCOMPARE(slow.siteRequests(kInbox), 1);
    QVERIFY(!loginCall.isFinished());
    QVERIFY(std::none_of(checks.cbegin(), checks.cend(), [](const QDBusPendingCall &c) { return c.isFinished(); }));

    // The exchange gives up; every check is answered.
    QVERIFY(QTest::qWaitFor([&] { return finished(checks) && loginCall.isFinished(); }, 40000));
    for (const QDBusPendingCall &c : checks)
        QCOMPARE(c.reply().type(), QDBusMessage::ReplyMessage);
    for (int i = 0; i < 50; ++i)
        QDBusConnection::disconnectFromBus(QStringLiteral("caller%1").arg(i));
}

QTEST_GUILESS_MAIN(TestPluginLive)
#include "tst_pluginlive.moc"
