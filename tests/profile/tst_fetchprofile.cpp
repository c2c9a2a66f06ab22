#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <algorithm>

#include "net/clsdata.h"
#include "net/site.h"
#include "profilepage.h"
#include "scriptedserver.h"
#include "sessionfixture.h"
#include "simmembers.h"
#include "simsite.h"

using namespace modGlobal;

class TstFetchProfile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void membersOfTheDemoSite_data();
    void membersOfTheDemoSite();
    void expiredSessionLogsOut();
    void cookieCheck_data();
    void cookieCheck();
    void failedExchangeChangesNothing();
    void lendsAnExchangeOnlyWhenNoneIsThere();

private:
    ScriptedView m_view;
    SimSite *m_sim = nullptr;
};

void TstFetchProfile::initTestCase()
{
    m_sim = new SimSite;
    QVERIFY2(m_sim->start(), qPrintable(m_sim->otherOutput()));
}

void TstFetchProfile::init()
{
    m_view = ScriptedView{};
    sessionfixture::reset(&m_view);
    m_sim->useAsSite();
}

void TstFetchProfile::cleanupTestCase()
{
    delete m_sim;
    resetSession();
}

void TstFetchProfile::membersOfTheDemoSite_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("cookie");
    for (const sandlundSim::SimMember &m : sandlundSim::defaultMembers()) {
        QTest::addRow("%s", qPrintable(m.password)) << m.password << m.password;
        // The site confirms with its own spelling of the cookie.
        QTest::addRow("%s upper-case cookie", qPrintable(m.password)) << m.password << m.password.toUpper();
    }
}

void TstFetchProfile::membersOfTheDemoSite()
{
    QFETCH(QString, password);
    QFETCH(QString, cookie);
    sandlundSim::SimMember member;
    for (const sandlundSim::SimMember &m : sandlundSim::defaultMembers()) {
        if (m.password == password)
            member = m;
    }
    // The site sets the cookie in its own spelling.
    member.password = cookie;
    QVERIFY(sessionfixture::logIn(password, member));
    session().notifyPlugins(false);
    const int logBefore = m_sim->requestLog().size();
    ShownSpies shown(session());

    QVERIFY(fetchProfile());

    const ProfileRecord &p = profile();
    QCOMPARE(p.firstname, member.firstname);
    QCOMPARE(p.lastname, member.lastname);
    QCOMPARE(p.sign, member.sign);
    QCOMPARE(p.strBirthday, member.strBirthday);
    QCOMPARE(p.chatWelcomeEnabled, member.greetingEnabled);
    QCOMPARE(p.homecity, member.homecity);
    QCOMPARE(p.strabout, member.strabout);
    QCOMPARE(p.userid, member.userid);
    // The logged-in display, once the record is whole.
    QCOMPARE(shown.member.size(), 1);
    QVERIFY(shown.loggedOut.isEmpty());
    QCOMPARE(session().name(), member.firstname + u' ' + member.lastname);
    QVERIFY(!session().client());

    QVERIFY(m_sim->waitForLogLines(logBefore + 1));
    const QStringList log = m_sim->requestLog().mid(logBefore);
    QCOMPARE(log.size(), 1);
    QVERIFY2(log.first().startsWith(QStringLiteral("GET /login/register/visitkort_edit.asp HTTP/1.1 | Cookie: "))
                 && log.first().contains(QStringLiteral("memberid=") + cookie),
             qPrintable(log.first()));
}

void TstFetchProfile::expiredSessionLogsOut()
{
    // The demo site has ended the member's session since the login: it
    // resets the cookie and answers its login page.
    session().loginWith(QStringLiteral("kalle"));
    QVERIFY(isLoggedIn());
    const ProfileRecord &p = profile();
    QCOMPARE(p.towns[3], QStringLiteral("Umeå"));
    QCOMPARE(p.strBirthday, QStringLiteral("1975-03-21"));
    QCOMPARE(m_sim->endSession(QStringLiteral("kalle")), 1);
    ShownSpies shown(session());

    QVERIFY(!fetchProfile());

    QVERIFY(!isLoggedIn());
    QCOMPARE(shown.loggedOut.size(), 1);
    QVERIFY(shown.member.isEmpty());
    QCOMPARE(p.userid, 0);
    QCOMPARE(p.firstname, QString());
    QCOMPARE(p.strBirthday, QString());  // the page has none, so the scrape emptied it
    QCOMPARE(p.age, 5);
    QCOMPARE(p.relation, 3);
    QCOMPARE(p.homecity, 3);
    QVERIFY(!p.chk1);
    QCOMPARE(p.towns[3], QString());
    // The logged-out state empties the jar.
    QCOMPARE(modData::cookieValue(session().cookies(), QStringLiteral("memberid")), QString());
    QVERIFY(!session().client());
}

void TstFetchProfile::cookieCheck_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("setCookie");  // null: the answer sets none
    QTest::addColumn<bool>("loggedIn");

    QTest::newRow("equal") << QStringLiteral("abcde") << QStringLiteral("abcde") << true;
    QTest::newRow("equal but for letter case") << QStringLiteral("abcde") << QStringLiteral("AbCdE") << true;
    QTest::newRow("Swedish letters, other case") << QStringLiteral("åäö12") << QStringLiteral("ÅÄÖ12") << true;
    QTest::newRow("different") << QStringLiteral("abcde") << QStringLiteral("abcdf") << false;
    QTest::newRow("no cookie at all") << QStringLiteral("abcde") << QString() << false;
    QTest::newRow("no cookie and no password") << QString() << QString() << false;
    QTest::newRow("emptied by the answer") << QStringLiteral("abcde") << QStringLiteral("") << true;
}

void TstFetchProfile::cookieCheck()
{
    QFETCH(QString, password);
    QFETCH(QString, setCookie);
    QFETCH(bool, loggedIn);

    ScriptedServer server;
    QVERIFY(server.listen());
    server.useAsSite();
    server.setScript(ScriptedServer::chunks({sessionfixture::response(profilepage::fullPage(), setCookie)}));
    // A session that was logged in stays so only when the cookie confirms
    // it; an empty value in the answer keeps what the jar holds.
    if (!password.isEmpty()) {
        QVERIFY(sessionfixture::logIn(password, sessionfixture::member(password, 5)));
        // With no cookie anywhere: the member has logged out since, which
        // empties the jar and keeps the password.
        if (setCookie.isNull())
            session().setLoggedOut();
    }

    ShownSpies shown(session());
    QCOMPARE(fetchProfile(), loggedIn);
    QCOMPARE(isLoggedIn(), loggedIn);
    QCOMPARE(server.connectionCount(), 1);
    QCOMPARE(shown.member.size(), loggedIn ? 1 : 0);
    QCOMPARE(shown.loggedOut.size(), loggedIn ? 0 : 1);
    if (loggedIn) {
        QCOMPARE(profile().firstname, QStringLiteral("Anna"));
        QCOMPARE(profile().homecityName, QStringLiteral("Luleå"));
    } else {
        // Logged out: the text fields are cleared again.
        QCOMPARE(profile().firstname, QString());
        QCOMPARE(profile().age, 3);  // scraped, and kept by the logged-out state
    }
}

void TstFetchProfile::failedExchangeChangesNothing()
{
    // A port that refuses: take one, then give it up.
    quint16 port;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    modData::configureSite(QStringLiteral("127.0.0.1:%1").arg(port));

    QVERIFY(sessionfixture::logIn(QStringLiteral("kalle")));
    m_view.clearCalls();
    const ProfileRecord before = profile();
    QCOMPARE(before.firstname, QStringLiteral("Kalle"));
    ShownSpies shown(session());
    const modData::CookieJar jarBefore = session().cookies();

    QVERIFY(!fetchProfile());

    QCOMPARE(sessionfixture::dump(profile()), sessionfixture::dump(before));
    QVERIFY(isLoggedIn());
    QCOMPARE(session().password(), QStringLiteral("kalle"));
    QVERIFY(shown.none());
    QVERIFY(m_view.calls.isEmpty());
    QVERIFY(session().cookies().cookieNames == jarBefore.cookieNames);
    QVERIFY(session().cookies().cookieValues == jarBefore.cookieValues);
    QVERIFY(!session().client());
}

void TstFetchProfile::lendsAnExchangeOnlyWhenNoneIsThere()
{
    // A login's own exchange object is used and left in place: the login
    // fetches the profile on it and lends none.
    QSignalSpy loans(&session(), &Session::lentClientReturned);
    QList<std::shared_ptr<clsData>> holders;
    const auto watch = connect(&session(), &Session::profileChanged, &session(),
                               [&holders] { holders << session().client(); });
    QVERIFY(sessionfixture::logIn(QStringLiteral("anna5")));
    disconnect(watch);
    QCOMPARE(profile().firstname, QStringLiteral("Anna"));
    QVERIFY(loans.isEmpty());
    QVERIFY(!holders.isEmpty());
    QVERIFY(holders.first());
    QVERIFY(std::all_of(holders.cbegin(), holders.cend(), [&holders](const auto &c) { return c == holders.first(); }));

    // Without one, the loan ends with the call.
    QVERIFY(!session().client());
    QVERIFY(fetchProfile());
    QVERIFY(!session().client());
    QCOMPARE(loans.size(), 1);
}

QTEST_GUILESS_MAIN(TstFetchProfile)
#include "tst_fetchprofile.moc"
