#include "session/autologin.h"

#include "firefoxstore.h"
#include "isolatedhome.h"
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
#include <QTemporaryDir>
#include <QTest>

using namespace modGlobal;

namespace {

void setSetting(const char *key, const QString &value)
{
    modSettings::writeSetting(QStringLiteral("autologin"), QLatin1String(key), value);
}

QString setting(const char *key)
{
    return modSettings::readSetting(QStringLiteral("autologin"), QLatin1String(key), QStringLiteral("(saknas)"));
}

// A home folder of the test's own, with or without a browser cookie store.
class TempHome : public IsolatedHome
{
public:
    bool withMemberCookie(const QString &value, const QString &host)
    {
        return firefoxstore::writeProfilesIni(path(), QStringLiteral("[Profile0]\nName=default\nIsRelative=1\n"
                                                                     "Path=p.default\nDefault=1\n"))
            && firefoxstore::writeStore(firefoxstore::firefoxDir(path()) + QStringLiteral("/p.default"),
                                        {{QStringLiteral("memberid"), value, host},
                                         {QStringLiteral("ASPSESSIONIDX"), QStringLiteral("q"), host}});
    }
};

} // namespace

class TestAutoLogin : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void storedPasswordLogsIn();
    void unusableStoredPasswordIsForgotten_data();
    void unusableStoredPasswordIsForgotten();
    void whichLoginRuns_data();
    void whichLoginRuns();

    void keepAliveAsksForHeadersOnly();
    void keepAliveFailureIsIgnored();

private:
    std::unique_ptr<SimSite> m_sim;
};

void TestAutoLogin::initTestCase()
{
    isolateUserFolders();
    m_sim = std::make_unique<SimSite>();
    QVERIFY2(m_sim->start(), qPrintable(m_sim->otherOutput()));
    m_sim->useAsSite();
}

void TestAutoLogin::storedPasswordLogsIn()
{
    SessionFixture f;
    TempHome home;
    setSetting("logintype", QStringLiteral("lastlogin"));
    setSetting("lastlogin", sealPassword(QStringLiteral("kalle")));
    QVERIFY(setting("lastlogin") != QStringLiteral("kalle"));

    loadLogin(session());
    QVERIFY(isLoggedIn());
    QCOMPARE(session().password(), QStringLiteral("kalle"));
    QCOMPARE(session().memberId(), 1001);
    QCOMPARE(session().name(), QStringLiteral("Kalle Ek"));
    QCOMPARE(f.fake.passwordAsked, 0);
    // Stored again after the login, still readable.
    QCOMPARE(unsealPassword(setting("lastlogin")), QStringLiteral("kalle"));
}

void TestAutoLogin::unusableStoredPasswordIsForgotten_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("decrypts to 4 characters") << sealPassword(QStringLiteral("kall"));
    QTest::newRow("decrypts to 6 characters") << sealPassword(QStringLiteral("kalle1"));
    QTest::newRow("decrypts to 1 character") << sealPassword(QStringLiteral("k"));
    // Five characters, but one would break the request's Cookie line.
    QTest::newRow("five characters with CR") << sealPassword(QStringLiteral("kal\rl"));
    QTest::newRow("five characters with LF") << sealPassword(QStringLiteral("\nkall"));
    QTest::newRow("five characters with TAB") << sealPassword(QStringLiteral("ka\tle"));
    QTest::newRow("five characters with NUL") << sealPassword(QString::fromUtf16(u"kall\0", 5));
    QTest::newRow("five characters with DEL") << sealPassword(QStringLiteral("kal\x7Fe"));
}

void TestAutoLogin::unusableStoredPasswordIsForgotten()
{
    QFETCH(QString, stored);
    SessionFixture f;
    TempHome home;
    setSetting("logintype", QStringLiteral("lastlogin"));
    setSetting("lastlogin", stored);
    const int before = m_sim->requestLog().size();

    loadLogin(session());
    QVERIFY(!isLoggedIn());
    QCOMPARE(setting("lastlogin"), QString());
    QCOMPARE(setting("logintype"), QStringLiteral("lastlogin"));
    QTest::qWait(100);
    QCOMPARE(m_sim->requestLog().size(), before);
    QVERIFY(f.fake.progress.isEmpty());
}

void TestAutoLogin::whichLoginRuns_data()
{
    QTest::addColumn<QString>("loginType");
    QTest::addColumn<QString>("stored");      // plain password to store sealed, or ""
    QTest::addColumn<QString>("cookie");      // the browser's memberid, or "(ingen)"
    QTest::addColumn<QString>("cookieHost");
    QTest::addColumn<QString>("loggedInAs");  // "" for nobody
    QTest::addColumn<bool>("storedKept");

    const QString site = QStringLiteral("127.0.0.1");
    QTest::newRow("browser cookie") << "iecookie" << "" << "anna5" << site << "anna5" << true;
    QTest::newRow("browser cookie, stored password ignored")
        << "iecookie" << "kalle" << "anna5" << site << "anna5" << true;
    QTest::newRow("stored password preferred to the cookie")
        << "lastlogin" << "kalle" << "anna5" << site << "kalle" << true;
    QTest::newRow("a cookie of 4 characters stops the stored login too")
        << "lastlogin" << "kalle" << "anna" << site << "" << true;
    QTest::newRow("a cookie of 6 characters stops it as well")
        << "lastlogin" << "kalle" << "anna55" << site << "" << true;
    QTest::newRow("site cookies without memberid stop it")
        << "lastlogin" << "kalle" << "" << site << "" << true;
    QTest::newRow("another site's cookie changes nothing")
        << "lastlogin" << "kalle" << "anna" << "www.other.example" << "kalle" << true;
    QTest::newRow("browser cookie of the wrong length")
        << "iecookie" << "" << "anna555" << site << "" << true;
    QTest::newRow("browser cookie with a control character")
        << "iecookie" << "" << "ann\ta" << site << "" << true;
    QTest::newRow("browser cookie outside Windows-1252 stops the stored login")
        << "lastlogin" << "kalle" << QString::fromUtf8("ann\u0100a") << site << "" << true;
    QTest::newRow("iecookie without a store") << "iecookie" << "" << "(ingen)" << site << "" << true;
    QTest::newRow("no login type, both at hand") << "" << "kalle" << "anna5" << site << "" << true;
    QTest::newRow("unknown login type") << "always" << "kalle" << "anna5" << site << "" << true;
    QTest::newRow("stored password without a browser")
        << "lastlogin" << "nisse" << "(ingen)" << site << "nisse" << true;
}

void TestAutoLogin::whichLoginRuns()
{
    QFETCH(QString, loginType);
    QFETCH(QString, stored);
    QFETCH(QString, cookie);
    QFETCH(QString, cookieHost);
    QFETCH(QString, loggedInAs);
    QFETCH(bool, storedKept);

    SessionFixture f;
    TempHome home;
    if (cookie != QLatin1String("(ingen)"))
        QVERIFY(home.withMemberCookie(cookie, cookieHost));
    if (!loginType.isEmpty())
        setSetting("logintype", loginType);
    const QString sealed = stored.isEmpty() ? QString() : sealPassword(stored);
    if (!stored.isEmpty())
        setSetting("lastlogin", sealed);
    const int before = m_sim->requestLog().size();

    loadLogin(session());
    QCOMPARE(isLoggedIn(), !loggedInAs.isEmpty());
    QCOMPARE(f.fake.passwordAsked, 0);
    if (loggedInAs.isEmpty()) {
        QTest::qWait(100);
        QCOMPARE(m_sim->requestLog().size(), before);
    } else {
        QCOMPARE(session().password(), loggedInAs);
        const QStringList log = m_sim->requestLog().mid(before);
        QVERIFY(!log.isEmpty());
        QCOMPARE(requestCookies(log.first()), QStringLiteral("memberid=") + loggedInAs);
    }
    if (storedKept && !stored.isEmpty() && loginType != QLatin1String("lastlogin"))
        QCOMPARE(setting("lastlogin"), sealed);
    if (storedKept && !stored.isEmpty())
        QCOMPARE(unsealPassword(setting("lastlogin")), stored);
}

void TestAutoLogin::keepAliveAsksForHeadersOnly()
{
    SessionFixture f;
    QVERIFY(sessionfixture::logIn(QStringLiteral("kalle")));
    f.events.clear();
    ShownSpies shown(session());
    ScriptedServer site;
    QVERIFY(site.listen());
    // The header, then a body much later: a header-only read does not wait for it.
    site.setScript({ScriptedServer::send("HTTP/1.1 200 OK\r\nSet-Cookie: ASPSESSIONIDKEEP=fresh; path=/\r\n"
                                         "Content-Length: 5\r\n\r\n"),
                    ScriptedServer::delay(3000), ScriptedServer::send("hello"), ScriptedServer::close()});
    site.useAsSite();

    const modData::CookieJar &jar = session().cookies();
    QVERIFY(modData::cookieList(jar).size() >= 2);  // the member's and the site's session
    const QStringList cookiesBefore = modData::cookieList(jar);
    f.fake.clearCalls();

    const QString expected =
        modData::buildRequest(QStringLiteral("/default.asp"), cookiesBefore, QString(), QString());
    keepLogin(session());
    m_sim->useAsSite();

    QCOMPARE(site.connectionCount(), 1);
    QCOMPARE(QString::fromLatin1(site.request(0)), expected);
    // Back before the body was even sent.
    QCOMPARE(site.stepsDone(0), 2);
    // The answer's cookie went into the jar; the display was not touched.
    QCOMPARE(modData::cookieValue(jar, QStringLiteral("ASPSESSIONIDKEEP")), QStringLiteral("fresh"));
    QCOMPARE(modData::cookieValue(jar, QStringLiteral("memberid")), QStringLiteral("kalle"));
    QVERIFY(shown.none());
    QVERIFY(f.events.isEmpty());
    QVERIFY(!session().client());
}

void TestAutoLogin::keepAliveFailureIsIgnored()
{
    SessionFixture f;
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();
    modData::configureSite(QStringLiteral("127.0.0.1:%1").arg(port));
    QVERIFY(sessionfixture::logIn(QStringLiteral("kalle")));
    ShownSpies shown(session());

    keepLogin(session());
    m_sim->useAsSite();
    QVERIFY(isLoggedIn());
    QCOMPARE(modData::cookieValue(session().cookies(), QStringLiteral("memberid")), QStringLiteral("kalle"));
    QVERIFY(shown.none());
}

QTEST_GUILESS_MAIN(TestAutoLogin)
#include "tst_autologin.moc"
