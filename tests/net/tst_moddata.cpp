// Request text and cookie jar: whole request texts compared byte for byte.
#include "net/moddata.h"
#include "httpanswer.h"
#include "net/clsdata.h"
#include "scriptedserver.h"
#include "net/site.h"
#include "session/session.h"

#include <QtTest>

using CookiePairs = QList<QPair<QString, QString>>;

namespace {
const QString kHead = QStringLiteral("Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n");
const QString kMiddle = QStringLiteral(
    "Accept-Language: sv\r\n"
    "Accept-Encoding: deflate\r\n"
    "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows 98)\r\n");

QStringList elevenOf(const QStringList &first)
{
    QStringList l = first;
    while (l.size() < 11)
        l << QString();
    return l;
}

void fillJar(modData::CookieJar &jar, const CookiePairs &cookies)
{
    modData::clearCookieJar(jar);
    for (int i = 0; i < cookies.size(); ++i) {
        jar.cookieNames[i] = cookies.at(i).first;
        jar.cookieValues[i] = cookies.at(i).second;
    }
}
} // namespace

class TestModData : public QObject
{
    Q_OBJECT
    modData::CookieJar m_jar;

private slots:
    void init() { modData::clearCookieJar(m_jar); }
    void cleanupTestCase() { modData::configureSite(); }

    void buildRequest_data();
    void buildRequest();
    void contentLengthCountsCharacters();

    void cookieList_data();
    void cookieList();
    void cookieValue_data();
    void cookieValue();
    void clearCookieJarEmptiesNamesAndValues();
    void eachSessionHasAJarOfItsOwn();
};

void TestModData::buildRequest_data()
{
    QTest::addColumn<QString>("site");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("cookies");
    QTest::addColumn<QString>("post");
    QTest::addColumn<QString>("referer");
    QTest::addColumn<QString>("expected");

    const QString host = QStringLiteral("Host: www.sandlund.example\r\n");

    QTest::newRow("plain GET, no cookies")
        << "www.sandlund.example" << "/cookie.asp" << elevenOf({}) << "" << ""
        << QString(QStringLiteral("GET /cookie.asp HTTP/1.1\r\n") + kHead + kMiddle + host
                   + QStringLiteral("Connection: Close\r\n\r\n"));

    QTest::newRow("GET with an empty cookie list (no entries at all)")
        << "www.sandlund.example" << "/default.asp" << QStringList() << "" << ""
        << QString(QStringLiteral("GET /default.asp HTTP/1.1\r\n") + kHead + kMiddle + host
                   + QStringLiteral("Connection: Close\r\n\r\n"));

    QTest::newRow("GET with referer goes between Accept and Accept-Language")
        << "www.sandlund.example" << "/login/community/main.asp?x=1" << elevenOf({}) << ""
        << "http://www.sandlund.example/default.asp"
        << QString(QStringLiteral("GET /login/community/main.asp?x=1 HTTP/1.1\r\n") + kHead
                   + QStringLiteral("Referer: http://www.sandlund.example/default.asp\r\n") + kMiddle + host
                   + QStringLiteral("Connection: Close\r\n\r\n"));

    QTest::newRow("one cookie")
        << "www.sandlund.example" << "/login.asp" << elevenOf({"memberid=abcde"}) << "" << ""
        << QString(QStringLiteral("GET /login.asp HTTP/1.1\r\n") + kHead + kMiddle + host
                   + QStringLiteral("Connection: Close\r\nCookie: memberid=abcde\r\n\r\n"));

    QTest::newRow("two cookies joined by semicolon and blank")
        << "www.sandlund.example" << "/login.asp"
        << elevenOf({"memberid=abcde", "ASPSESSIONIDQQ=XYZ"}) << "" << ""
        << QString(QStringLiteral("GET /login.asp HTTP/1.1\r\n") + kHead + kMiddle + host
                   + QStringLiteral("Connection: Close\r\nCookie: memberid=abcde; ASPSESSIONIDQQ=XYZ\r\n\r\n"));

    QTest::newRow("empty entries between cookies are skipped")
        << "www.sandlund.example" << "/x.asp"
        << QStringList{"", "a=1", "", "", "b=2", "", "c=", "", "", "", ""} << "" << ""
        << QString(QStringLiteral("GET /x.asp HTTP/1.1\r\n") + kHead + kMiddle + host
                   + QStringLiteral("Connection: Close\r\nCookie: a=1; b=2; c=\r\n\r\n"));

    QTest::newRow("all eleven entries empty: no Cookie line")
        << "www.sandlund.example" << "/x.asp" << QStringList(11, QString()) << "" << ""
        << QString(QStringLiteral("GET /x.asp HTTP/1.1\r\n") + kHead + kMiddle + host
                   + QStringLiteral("Connection: Close\r\n\r\n"));

    const QString body27 = QStringLiteral("strBirthday=&firstname=Anna");
    QTest::newRow("POST of 27 characters")
        << "www.sandlund.example" << "/login/register/visitkort_edit.asp" << elevenOf({}) << body27 << ""
        << QString(QStringLiteral("POST /login/register/visitkort_edit.asp HTTP/1.1\r\n") + kHead + kMiddle
                   + host
                   + QStringLiteral("Content-Length:27\r\n"
                                    "Content-Type: application/x-www-form-urlencoded\r\n"
                                    "Cache-Control: no-cache\r\n"
                                    "Connection: Close\r\n\r\n")
                   + body27);

    QTest::newRow("POST with referer and cookies: every header in its place")
        << "www.sandlund.example" << "/login/register/visitkort_edit.asp"
        << elevenOf({"memberid=abcde", "ASPSESSIONIDAB=Q"}) << "a=1"
        << "http://www.sandlund.example/login/community/visitkort.asp?uid=7"
        << QString(QStringLiteral("POST /login/register/visitkort_edit.asp HTTP/1.1\r\n") + kHead
                   + QStringLiteral("Referer: http://www.sandlund.example/login/community/visitkort.asp?uid=7\r\n")
                   + kMiddle + host
                   + QStringLiteral("Content-Length:3\r\n"
                                    "Content-Type: application/x-www-form-urlencoded\r\n"
                                    "Cache-Control: no-cache\r\n"
                                    "Connection: Close\r\n"
                                    "Cookie: memberid=abcde; ASPSESSIONIDAB=Q\r\n\r\na=1"));

    QTest::newRow("site on another port: Host carries it")
        << "127.0.0.1:8080" << "/default.asp" << elevenOf({}) << "" << ""
        << QString(QStringLiteral("GET /default.asp HTTP/1.1\r\n") + kHead + kMiddle
                   + QStringLiteral("Host: 127.0.0.1:8080\r\nConnection: Close\r\n\r\n"));

    QTest::newRow("site on port 80 given explicitly: Host without port")
        << "demo.example:80" << "/default.asp" << elevenOf({}) << "" << ""
        << QString(QStringLiteral("GET /default.asp HTTP/1.1\r\n") + kHead + kMiddle
                   + QStringLiteral("Host: demo.example\r\nConnection: Close\r\n\r\n"));
}

void TestModData::buildRequest()
{
    QFETCH(QString, site);
    QFETCH(QString, path);
    QFETCH(QStringList, cookies);
    QFETCH(QString, post);
    QFETCH(QString, referer);
    QFETCH(QString, expected);
    modData::configureSite(site);
    QCOMPARE(modData::buildRequest(path, cookies, post, referer), expected);
}

void TestModData::contentLengthCountsCharacters()
{
    modData::configureSite(QStringLiteral("www.sandlund.example"));
    // Each character becomes one byte on the wire, so characters are counted.
    const QString body = QStringLiteral("sign=") + QString(1000, QLatin1Char('x'));
    const QString r = modData::buildRequest(QStringLiteral("/p"), {}, body, {});
    QVERIFY(r.contains(QStringLiteral("\r\nContent-Length:1005\r\n")));
    QVERIFY(r.endsWith(QStringLiteral("Connection: Close\r\n\r\n") + body));
}

void TestModData::cookieList_data()
{
    QTest::addColumn<CookiePairs>("jar");
    QTest::addColumn<QStringList>("expected");

    using J = CookiePairs;
    QTest::newRow("empty jar: eleven empty entries") << J{} << elevenOf({});
    QTest::newRow("three cookies in order")
        << J{{"memberid", "abcde"}, {"ASPSESSIONIDX", "V1"}, {"lang", ""}}
        << elevenOf({"memberid=abcde", "ASPSESSIONIDX=V1", "lang="});
    J full;
    QStringList fullExpected;
    for (int i = 0; i < 11; ++i) {
        full << qMakePair(QStringLiteral("c%1").arg(i), QStringLiteral("v%1").arg(i));
        fullExpected << QStringLiteral("c%1=v%1").arg(i);
    }
    QTest::newRow("full jar") << full << fullExpected;
    QTest::newRow("a free slot between cookies is not an entry")
        << J{{"a", "1"}, {"", ""}, {"b", "2"}} << elevenOf({"a=1", "b=2"});
}

void TestModData::cookieList()
{
    QFETCH(CookiePairs, jar);
    QFETCH(QStringList, expected);
    fillJar(m_jar, jar);
    const QStringList got = modData::cookieList(m_jar);
    QCOMPARE(got.size(), 11);
    QCOMPARE(got, expected);
}

void TestModData::cookieValue_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("exact name") << "memberid" << "abcde";
    QTest::newRow("name differing in case only") << "MemberID" << "";
    QTest::newRow("absent name") << "nosuch" << "";
    QTest::newRow("name stored twice yields the lower slot") << "dup" << "first";
    QTest::newRow("empty name is no cookie") << "" << "";
    QTest::newRow("prefix of a stored name") << "member" << "";
}

void TestModData::cookieValue()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    fillJar(m_jar, {{"memberid", "abcde"}, {"dup", "first"}, {"x", "1"}, {"dup", "second"}});
    QCOMPARE(modData::cookieValue(m_jar, name), expected);
}

void TestModData::clearCookieJarEmptiesNamesAndValues()
{
    fillJar(m_jar, {{"memberid", "abcde"}, {"b", "2"}});
    m_jar.cookieValues[10] = QStringLiteral("stray");
    modData::clearCookieJar(m_jar);
    for (int i = 0; i < modData::kCookieSlots; ++i) {
        QVERIFY(m_jar.cookieNames[i].isEmpty());
        QVERIFY(m_jar.cookieValues[i].isEmpty());
    }
    QCOMPARE(modData::cookieList(m_jar), elevenOf({}));
}

void TestModData::eachSessionHasAJarOfItsOwn()
{
    // What each session's exchanges are told goes into its own jar.
    ScriptedServer site;
    QVERIFY(site.listen());
    site.addScript(ScriptedServer::chunks({httpAnswer({}, {.cookies = {"memberid=abcde"}})}));
    site.addScript(ScriptedServer::chunks({httpAnswer({}, {.cookies = {"memberid=other", "lang=sv"}})}));
    const QString before = modData::site().authority();
    site.useAsSite();
    modGlobal::Session first;
    modGlobal::Session second;
    for (modGlobal::Session *s : {&first, &second})
        s->newExchange()->Read(QStringLiteral("/"), modData::cookieList(s->cookies()), QString(), QString(), true);
    modData::configureSite(before);
    QCOMPARE(modData::cookieList(second.cookies()), elevenOf({"memberid=other", "lang=sv"}));
    QCOMPARE(modData::cookieValue(first.cookies(), QStringLiteral("memberid")), QStringLiteral("abcde"));
    // A logout empties the jar of its own session only.
    second.setLoggedOut();
    QCOMPARE(modData::cookieList(second.cookies()), elevenOf({}));
    QCOMPARE(modData::cookieList(first.cookies()), elevenOf({"memberid=abcde"}));
}

QTEST_GUILESS_MAIN(TestModData)
#include "tst_moddata.moc"
