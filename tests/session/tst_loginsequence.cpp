#include "net/clsdata.h"
#include "net/moddata.h"
#include "net/site.h"
#include "profile/profilerecord.h"
#include "scriptedserver.h"
#include "testsession.h"
#include "session/storedpassword.h"
#include "sessionfixture.h"
#include "settings/modsettings.h"
#include "simsite.h"

#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <stdexcept>

using namespace modGlobal;

namespace {

const QStringList kMemberPages{
    QStringLiteral("/cookie.asp"),
    QStringLiteral("/default.asp"),
    QStringLiteral("/login.asp"),
    QStringLiteral("/default.asp"),
    QStringLiteral("/login/register/visitkort_edit.asp"),
    QStringLiteral("/login/register/visitkort_edit.asp"),
    QStringLiteral("/login/community/main.asp"),
};

const QStringList kGuestPages{
    QStringLiteral("/cookie.asp"),
    QStringLiteral("/default.asp"),
    QStringLiteral("/login.asp"),
    QStringLiteral("/default.asp"),
    QStringLiteral("/login/community/main.asp"),
};

void loginWith(const QString &password)
{
    session().loginWith(password);
}

// The state every ended login leaves, whatever its outcome: the login
// commands no longer act on a running login.
void checkEnded()
{
    QVERIFY(!session().loginInProgress());
    QVERIFY(!session().client());
    QVERIFY(!session().loginRunning());
}

void checkLoggedOut()
{
    QCOMPARE(session().loginState(), Session::LoginState::LoggedOut);
    QCOMPARE(profile().userid, 0);
}

// The last value a signal with one argument gave.
bool lastTold(const QSignalSpy &spy)
{
    return !spy.isEmpty() && spy.last().at(0).toBool();
}

// A site whose answers are scripted connection by connection.
ScriptedServer::Script answer(const QByteArray &body, const QList<QByteArray> &cookies = {})
{
    return {ScriptedServer::send(httpAnswer(body, {.cookies = cookies, .html = true, .length = true})),
            ScriptedServer::close()};
}

QByteArray profilePage(const QByteArray &userid)
{
    return "<html><body><form>\r\n<input type=\"hidden\" name=\"userid\" value=\"" + userid
        + "\">\r\n<input name=\"firstname\" value=\"Test\">\r\n</form></body></html>\r\n";
}

// A main window stand-in that fails at one progress value.
class ThrowingView : public ScriptedView
{
public:
    double throwAt = -1;
    void showLoginProgress(double value) override
    {
        ScriptedView::showLoginProgress(value);
        if (value == throwAt)
            throw std::runtime_error("window gone");
    }
};

} // namespace

class TestLoginSequence : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    // The road through the site.
    void memberLogin();
    void guestLogin_data();
    void guestLogin();
    void rejectedPasswordAsksAgain();
    void rejectedThenCancelled();
    void emptyPasswordSendsNothing();
    void siteVerdict_data();
    void siteVerdict();
    void userIdField_data();
    void userIdField();
    void noSiteFailsQuietly();
    void unexpectedErrorIsAFailure();

    // Cancelling and competing logins.
    void cancelDuringStalledRequest_data();
    void cancelDuringStalledRequest();
    void secondLoginDuringAWaitWins();
    void loginCommandDuringALoginWaitsForIt();

    // Session events and the cookie jar.
    void logoutEventOnceWithTheMembersData();
    void logoutWhileLoggedOutRaisesNothing();
    void firstRequestAfterLogoutCarriesOnlyMemberid();

    // The stored password.
    void storedPassword_data();
    void storedPassword();
    void startLoginAsksFirst();

private:
    std::unique_ptr<SimSite> m_sim;
};

void TestLoginSequence::initTestCase()
{
    isolateUserFolders();
    m_sim = std::make_unique<SimSite>();
    QVERIFY2(m_sim->start(), qPrintable(m_sim->otherOutput()));
    m_sim->useAsSite();
}

void TestLoginSequence::memberLogin()
{
    SessionFixture f;
    QSignalSpy commands(&session(), &Session::memberCommandsShown);
    QSignalSpy running(&session(), &Session::loginRunningShown);
    QSignalSpy attempts(&session(), &Session::loginAttemptStarted);
    const int before = m_sim->requestLog().size();
    loginWith(QStringLiteral("kalle"));

    QVERIFY(isLoggedIn());
    QVERIFY(!session().isGuest());
    checkEnded();
    QCOMPARE(session().name(), QStringLiteral("Kalle Ek"));
    QCOMPARE(session().alias(), QStringLiteral("Kalle & Co"));
    QCOMPARE(profile().userid, 1001);
    QCOMPARE(f.fake.progress, (QList<double>{1.0001, 2.0001, 3.0001, 4.0001, 5.0, 0.0001}));
    QVERIFY(lastTold(commands));
    QVERIFY(session().keepsAlive());
    QCOMPARE(session().imailCount(), 3);
    QCOMPARE(session().newIMailCount(), 1);
    QCOMPARE(f.events, (QList<HeardEvent>{{QStringLiteral("onLogin"), QStringLiteral("kalle"), 1001}}));

    // While logging in the menus offered a cancel.
    QCOMPARE(running.size(), 2);
    QVERIFY(running.first().at(0).toBool());
    QCOMPARE(attempts.size(), 1);

    QVERIFY(m_sim->waitForLogLines(before + kMemberPages.size()));
    QCOMPARE(requestPaths(m_sim->requestLog().mid(before)), kMemberPages);
}

void TestLoginSequence::guestLogin_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("lower") << "bvolk";
    QTest::newRow("upper") << "BVOLK";
    QTest::newRow("mixed") << "bVoLk";
}

void TestLoginSequence::guestLogin()
{
    QFETCH(QString, password);
    SessionFixture f;
    // A guest has no last name, though the member before had one.
    QVERIFY(sessionfixture::logIn(QStringLiteral("kalle")));
    QVERIFY(session().imailCount() > 0);
    // The plug-ins hear the member leave, as when a new login begins; the
    // record is still the member's.
    session().notifyPlugins(false);
    QCOMPARE(profile().lastname, QStringLiteral("Ek"));
    f.events.clear();
    f.fake.progress.clear();
    QSignalSpy commands(&session(), &Session::memberCommandsShown);
    const int before = m_sim->requestLog().size();
    loginWith(password);

    QVERIFY(isLoggedIn());
    QVERIFY(session().isGuest());
    checkEnded();
    QCOMPARE(session().name(), QStringLiteral("Gäst "));
    QCOMPARE(session().alias(), QStringLiteral("Gäst"));
    QCOMPARE(session().memberId(), 0);
    QCOMPARE(commands.size(), 1);
    QVERIFY(!lastTold(commands));
    QCOMPARE(f.fake.progress.mid(0, 5), (QList<double>{1.0001, 2.0001, 3.0001, 4.0001, 5.0}));
    QCOMPARE(f.fake.progress.last(), 0.0001);
    QCOMPARE(f.events, (QList<HeardEvent>{{QStringLiteral("onLogin"), password, 0}}));
    // The guest's start page has no inbox: the member's counts left with the member.
    QCOMPARE(session().imailCount(), 0);

    QVERIFY(m_sim->waitForLogLines(before + kGuestPages.size()));
    const QStringList paths = requestPaths(m_sim->requestLog().mid(before));
    QCOMPARE(paths, kGuestPages);
    QVERIFY(!paths.contains(QStringLiteral("/login/register/visitkort_edit.asp")));
}

void TestLoginSequence::rejectedPasswordAsksAgain()
{
    SessionFixture f;
    f.fake.passwordAnswers = {QStringLiteral("fel99"), QStringLiteral("anna5")};
    const int before = m_sim->requestLog().size();
    loginWith(QStringLiteral("zzzzz"));

    QCOMPARE(f.fake.passwordAsked, 2);
    QVERIFY(isLoggedIn());
    QCOMPARE(session().password(), QStringLiteral("anna5"));
    QCOMPARE(session().memberId(), 1002);
    QCOMPARE(f.events, (QList<HeardEvent>{{QStringLiteral("onLogin"), QStringLiteral("anna5"), 1002}}));
    // Each attempt walks the three pages again with its own password.
    const QStringList log = m_sim->requestLog().mid(before);
    QCOMPARE(requestPaths(log.mid(0, 9)),
             (QStringList{"/cookie.asp", "/default.asp", "/login.asp", "/cookie.asp", "/default.asp",
                          "/login.asp", "/cookie.asp", "/default.asp", "/login.asp"}));
    QVERIFY(requestCookies(log[0]).startsWith(QStringLiteral("memberid=zzzzz")));
    QVERIFY(requestCookies(log[3]).startsWith(QStringLiteral("memberid=fel99")));
    QVERIFY(requestCookies(log[6]).startsWith(QStringLiteral("memberid=anna5")));
}

void TestLoginSequence::rejectedThenCancelled()
{
    SessionFixture f;
    f.fake.passwordAnswers = {QString()};
    const int before = m_sim->requestLog().size();
    loginWith(QStringLiteral("fel99"));

    QCOMPARE(f.fake.passwordAsked, 1);
    checkLoggedOut();
    checkEnded();
    QVERIFY(f.events.isEmpty());
    QTest::qWait(100);
    QCOMPARE(requestPaths(m_sim->requestLog().mid(before)),
             (QStringList{"/cookie.asp", "/default.asp", "/login.asp"}));
}

void TestLoginSequence::emptyPasswordSendsNothing()
{
    SessionFixture f;
    const int before = m_sim->requestLog().size();
    loginWith(QString());
    checkLoggedOut();
    checkEnded();
    QTest::qWait(100);
    QCOMPARE(m_sim->requestLog().size(), before);
}

void TestLoginSequence::siteVerdict_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("cookie");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("welcome, same memberid") << QByteArray("<p>Välkommen</p>") << QByteArray("memberid=abcde") << true;
    QTest::newRow("memberid differs only in case") << QByteArray("ok") << QByteArray("memberid=ABCDE") << true;
    QTest::newRow("memberid left as sent") << QByteArray("ok") << QByteArray() << true;
    QTest::newRow("rejection link") << QByteArray("<a href=\"loginrejected.asp\">") << QByteArray() << false;
    QTest::newRow("rejection in mixed case") << QByteArray("url=LoginRejected.ASP") << QByteArray() << false;
    QTest::newRow("site changed memberid") << QByteArray("ok") << QByteArray("memberid=other") << false;
    QTest::newRow("empty body") << QByteArray() << QByteArray("memberid=abcde") << false;
}

void TestLoginSequence::siteVerdict()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, cookie);
    QFETCH(bool, accepted);

    SessionFixture f;
    ScriptedServer site;
    QVERIFY(site.listen());
    site.addScript(answer("", {"ASPSESSIONIDAB=one"}));
    site.addScript(answer(""));
    site.addScript(answer(body, cookie.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{cookie}));
    site.addScript(answer(""));
    // The profile page holds no user id, so even an accepted login stops there.
    site.addScript(answer(profilePage("")));
    site.useAsSite();

    loginWith(QStringLiteral("abcde"));
    m_sim->useAsSite();

    QCOMPARE(f.fake.passwordAsked, accepted ? 0 : 1);
    QCOMPARE(site.connectionCount(), accepted ? 5 : 3);
    checkLoggedOut();
    checkEnded();
    QVERIFY(f.events.isEmpty());
}

void TestLoginSequence::userIdField_data()
{
    QTest::addColumn<QByteArray>("userid");
    QTest::addColumn<bool>("loggedIn");
    QTest::newRow("number") << QByteArray("77") << true;
    QTest::newRow("empty") << QByteArray("") << false;
    QTest::newRow("blank") << QByteArray("   ") << false;
    QTest::newRow("letters") << QByteArray("abc") << false;
    QTest::newRow("trailing letters") << QByteArray("12x") << false;
    QTest::newRow("beyond 32 bits") << QByteArray("4294967296") << false;
}

void TestLoginSequence::userIdField()
{
    QFETCH(QByteArray, userid);
    QFETCH(bool, loggedIn);

    SessionFixture f;
    ScriptedServer site;
    QVERIFY(site.listen());
    site.addScript(answer(""));
    site.addScript(answer(""));
    site.addScript(answer("Välkommen", {"memberid=abcde"}));
    site.addScript(answer(""));
    site.addScript(answer(profilePage(userid)));  // read by the sequence, then by fetchProfile
    site.useAsSite();

    loginWith(QStringLiteral("abcde"));
    m_sim->useAsSite();

    checkEnded();
    QCOMPARE(isLoggedIn(), loggedIn);
    if (loggedIn) {
        QCOMPARE(QString::number(session().memberId()), QString::fromLatin1(userid));
        QCOMPARE(session().name(), QStringLiteral("Test "));
        // Profile page twice, then the inbox.
        QCOMPARE(site.connectionCount(), 7);
    } else {
        checkLoggedOut();
        // No profile fetch after an unreadable user id.
        QCOMPARE(site.connectionCount(), 5);
        QVERIFY(f.events.isEmpty());
    }
}

void TestLoginSequence::noSiteFailsQuietly()
{
    SessionFixture f;
    // A port that nothing listens on any more: the connection is refused.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    modData::configureSite(QStringLiteral("127.0.0.1:%1").arg(port));

    loginWith(QStringLiteral("kalle"));
    m_sim->useAsSite();
    checkLoggedOut();
    checkEnded();
    QCOMPARE(f.fake.passwordAsked, 0);
    QCOMPARE(f.fake.progress.first(), 1.0001);
    QVERIFY(!f.fake.progress.contains(2.0001));
}

void TestLoginSequence::unexpectedErrorIsAFailure()
{
    ThrowingView view;
    view.throwAt = 3.0001;
    SessionFixture f(&view);
    const int before = m_sim->requestLog().size();
    loginWith(QStringLiteral("kalle"));

    QVERIFY(!isLoggedIn());
    checkLoggedOut();
    checkEnded();
    QVERIFY(f.events.isEmpty());
    QTest::qWait(100);
    QCOMPARE(requestPaths(m_sim->requestLog().mid(before)), (QStringList{"/cookie.asp", "/default.asp"}));
}

void TestLoginSequence::cancelDuringStalledRequest_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("stalled");
    // The double click only clears the flag and forces the exchange to fail;
    // the menu, Ctrl+U and a plug-in's doLogout also log out at once.
    QTest::newRow("flag and forced close, /login.asp") << "close" << "/login.asp";
    QTest::newRow("log out, /login.asp") << "logout" << "/login.asp";
    QTest::newRow("log out, /cookie.asp") << "logout" << "/cookie.asp";
    QTest::newRow("flag and forced close, profile page") << "close" << "/login/register/visitkort_edit.asp";
}

void TestLoginSequence::cancelDuringStalledRequest()
{
    QFETCH(QString, how);
    QFETCH(QString, stalled);

    SimSite stalling({QStringLiteral("--stall"), stalled});
    QVERIFY(stalling.start());
    stalling.useAsSite();
    SessionFixture f;

    // Cancel once the stalled request has reached the site.
    bool cancelled = false;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, [&] {
        const QStringList log = stalling.requestLog();
        if (cancelled || log.isEmpty() || requestPaths(log).last() != stalled)
            return;
        cancelled = true;
        if (how == QLatin1String("logout")) {
            setLoggedOut();
        } else {
            session().cancelLogin();
        }
    });
    poll.start();
    loginWith(QStringLiteral("kalle"));
    poll.stop();
    m_sim->useAsSite();

    QVERIFY(cancelled);
    checkLoggedOut();
    checkEnded();
    QCOMPARE(f.fake.passwordAsked, 0);
    QVERIFY(f.events.isEmpty());
    // Nothing was requested after the stalled page.
    QTest::qWait(150);
    const QStringList paths = requestPaths(stalling.requestLog());
    QCOMPARE(paths.last(), stalled);
    QCOMPARE(paths.count(stalled), 1);
}

void TestLoginSequence::secondLoginDuringAWaitWins()
{
    SessionFixture f;
    // Another sequence starts while the first waits for its first page; the
    // newer one runs to its end inside that wait.
    bool started = false;
    QTimer::singleShot(0, [&] {
        started = true;
        loginWith(QStringLiteral("anna5"));
    });
    loginWith(QStringLiteral("kalle"));

    QVERIFY(started);
    QVERIFY(isLoggedIn());
    QCOMPARE(session().password(), QStringLiteral("anna5"));
    QCOMPARE(profile().userid, 1002);
    checkEnded();
    // The older login did not log the newer one out.
    QCOMPARE(f.events, (QList<HeardEvent>{{QStringLiteral("onLogin"), QStringLiteral("anna5"), 1002}}));
}

void TestLoginSequence::loginCommandDuringALoginWaitsForIt()
{
    SessionFixture f;
    // Ctrl+I pressed three times while a login waits for its first page: the
    // waiting login gives way, and one new login starts after it has ended,
    // never inside its wait.
    int depth = 0;
    int deepest = 0;
    QObject::connect(&session(), &Session::loginStarted, [&] { deepest = qMax(deepest, ++depth); });
    QObject::connect(&session(), &Session::loginFinished, [&] { --depth; });
    QTimer::singleShot(0, [] {
        for (int i = 0; i < 3; ++i)
            startLogin();
    });
    f.fake.passwordAnswers = {QStringLiteral("anna5")};
    loginWith(QStringLiteral("kalle"));
    QVERIFY(!isLoggedIn());
    QCOMPARE(f.fake.passwordAsked, 0);

    QTRY_VERIFY(isLoggedIn());
    QCOMPARE(deepest, 1);
    QCOMPARE(f.fake.passwordAsked, 1);
    QCOMPARE(profile().userid, 1002);
    checkEnded();
}

void TestLoginSequence::logoutEventOnceWithTheMembersData()
{
    SessionFixture f;
    loginWith(QStringLiteral("nisse"));
    QVERIFY(isLoggedIn());
    setLoggedOut();
    setLoggedOut();
    QCOMPARE(f.events, (QList<HeardEvent>{{QStringLiteral("onLogin"), QStringLiteral("nisse"), 1003},
                                         {QStringLiteral("onLogout"), QStringLiteral("nisse"), 1003}}));
    // The event's fields are back to empty afterwards.
    checkLoggedOut();
    QVERIFY(!session().keepsAlive());
}

void TestLoginSequence::logoutWhileLoggedOutRaisesNothing()
{
    SessionFixture f;
    QSignalSpy shown(&session(), &Session::loggedOutShown);
    setLoggedOut();
    QVERIFY(f.events.isEmpty());
    // Shown logged out all the same, with no login to cancel.
    QCOMPARE(shown.size(), 1);
    QVERIFY(!lastTold(shown));
    QCOMPARE(f.fake.progress.last(), 0.0001);
}

void TestLoginSequence::firstRequestAfterLogoutCarriesOnlyMemberid()
{
    SessionFixture f;
    loginWith(QStringLiteral("kalle"));
    QVERIFY(isLoggedIn());
    // The site's session cookies are in the jar now.
    QVERIFY(modData::cookieList(session().cookies()).count(QString()) < 10);

    setLoggedOut();
    QCOMPARE(modData::cookieList(session().cookies()), QStringList(11, QString()));
    const int before = m_sim->requestLog().size();
    loginWith(QStringLiteral("anna5"));
    QVERIFY(isLoggedIn());
    const QStringList log = m_sim->requestLog().mid(before);
    QVERIFY(!log.isEmpty());
    QCOMPARE(requestCookies(log.first()), QStringLiteral("memberid=anna5"));
    // Later requests carry the session cookie the site set meanwhile.
    QVERIFY(requestCookies(log.last()).contains(QStringLiteral("ASPSESSIONID")));
}

void TestLoginSequence::storedPassword_data()
{
    QTest::addColumn<QString>("loginType");
    QTest::addColumn<bool>("stored");
    QTest::newRow("lastlogin") << "lastlogin" << true;
    QTest::newRow("iecookie") << "iecookie" << false;
    QTest::newRow("none") << "" << false;
    QTest::newRow("case matters") << "LastLogin" << false;
}

void TestLoginSequence::storedPassword()
{
    QFETCH(QString, loginType);
    QFETCH(bool, stored);

    SessionFixture f;
    modSettings::writeSetting(QStringLiteral("autologin"), QStringLiteral("logintype"), loginType);
    loginWith(QStringLiteral("anna5"));
    QVERIFY(isLoggedIn());

    const QString value =
        modSettings::readSetting(QStringLiteral("autologin"), QStringLiteral("lastlogin"), QStringLiteral("(saknas)"));
    if (stored) {
        QVERIFY(value != QStringLiteral("(saknas)"));
        QVERIFY(value != QStringLiteral("anna5"));  // never in the clear
        QCOMPARE(unsealPassword(value), QStringLiteral("anna5"));
    } else {
        QCOMPARE(value, QStringLiteral("(saknas)"));
        QVERIFY(!f.settingsText().contains(QStringLiteral("lastlogin")));
    }
}

void TestLoginSequence::startLoginAsksFirst()
{
    SessionFixture f;
    loginWith(QStringLiteral("kalle"));
    QVERIFY(isLoggedIn());

    // startLogin logs out before it asks; a cancelled prompt sends nothing.
    const int before = m_sim->requestLog().size();
    startLogin();
    QCOMPARE(f.fake.passwordAsked, 1);
    QVERIFY(!isLoggedIn());
    QCOMPARE(f.events.last().kind, QStringLiteral("onLogout"));
    QTest::qWait(100);
    QCOMPARE(m_sim->requestLog().size(), before);

    f.fake.passwordAnswers = {QStringLiteral("BVOLK")};
    startLogin();
    QVERIFY(isLoggedIn());
    QVERIFY(session().isGuest());
    QCOMPARE(f.events.last(), (HeardEvent{QStringLiteral("onLogin"), QStringLiteral("BVOLK"), 0}));
}

QTEST_GUILESS_MAIN(TestLoginSequence)
#include "tst_loginsequence.moc"
