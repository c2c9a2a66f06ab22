// The demo site ending a member's session on its own: the session's next
// request gets the "memberid" cookie reset and the login form, the member
// can log in again, and other members' sessions go on.
#include "net/clsdata.h"
#include "net/moddata.h"
#include "net/site.h"
#include "simsite.h"

#include <QtTest>

namespace {

// The cookies the site has given this test process.
modData::CookieJar g_jar;

QString get(const QString &path, bool onlyHeader = false)
{
    auto c = clsData::create(&g_jar);
    return c->Read(path, modData::cookieList(g_jar), QString(), QString(), onlyHeader);
}

// The client's login requests, with the jar as a login leaves it.
bool login(const QString &password)
{
    modData::clearCookieJar(g_jar);
    g_jar.cookieNames[0] = QStringLiteral("memberid");
    g_jar.cookieValues[0] = password;
    get(QStringLiteral("/cookie.asp"));
    get(QStringLiteral("/default.asp"), true);
    const QString page = get(QStringLiteral("/login.asp"));
    return !page.contains(QStringLiteral("loginrejected.asp")) &&
           modData::cookieValue(g_jar, QStringLiteral("memberid")).compare(password, Qt::CaseInsensitive) == 0;
}

bool showsInbox(const QString &page)
{
    return page.contains(QStringLiteral("read.asp?mid="));
}

bool isLoginForm(const QString &page)
{
    return page.contains(QStringLiteral("action=\"/login.asp\"")) && !showsInbox(page);
}

} // namespace

class TestSimEndSession : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void endedSessionGetsCookieResetAndLoginForm();
    void otherSessionsGoOn();

private:
    SimSite m_site;
};

void TestSimEndSession::initTestCase()
{
    QVERIFY(m_site.start());
    m_site.useAsSite();
}

void TestSimEndSession::cleanupTestCase()
{
    modData::configureSite();
}

void TestSimEndSession::endedSessionGetsCookieResetAndLoginForm()
{
    QCOMPARE(m_site.endSession(QStringLiteral("kalle")), 0); // nobody logged in yet
    QVERIFY(login(QStringLiteral("kalle")));
    QVERIFY(showsInbox(get(QStringLiteral("/login/community/main.asp"))));
    const QString sessionBefore = modData::cookieList(g_jar).join(QLatin1Char(';'));

    QCOMPARE(m_site.endSession(QStringLiteral("KALLE")), 1);
    // The keep-alive's header-only request already carries the reset.
    QCOMPARE(get(QStringLiteral("/default.asp"), true), QString());
    QCOMPARE(modData::cookieValue(g_jar, QStringLiteral("memberid")), QStringLiteral("0"));
    QVERIFY(modData::cookieList(g_jar).join(QLatin1Char(';')) != sessionBefore);
    QVERIFY(isLoginForm(get(QStringLiteral("/login/community/main.asp"))));

    // A new login works as before.
    QVERIFY(login(QStringLiteral("kalle")));
    QVERIFY(showsInbox(get(QStringLiteral("/login/community/main.asp"))));
    QCOMPARE(modData::cookieValue(g_jar, QStringLiteral("memberid")), QStringLiteral("kalle"));
}

void TestSimEndSession::otherSessionsGoOn()
{
    QVERIFY(login(QStringLiteral("anna5")));
    QVERIFY(showsInbox(get(QStringLiteral("/login/community/main.asp"))));
    QCOMPARE(m_site.endSession(QStringLiteral("nisse")), 0);
    const QString page = get(QStringLiteral("/login/community/main.asp"));
    QVERIFY(showsInbox(page));
    QCOMPARE(modData::cookieValue(g_jar, QStringLiteral("memberid")), QStringLiteral("anna5"));
}

QTEST_GUILESS_MAIN(TestSimEndSession)
#include "tst_simendsession.moc"
