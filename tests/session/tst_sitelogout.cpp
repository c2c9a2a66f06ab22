// Telling the site's end of a session from the answers of the site.
#include "session/sitelogout.h"
#include "simpages.h"
#include "simmembers.h"

#include <QtTest>

class TestSiteLogout : public QObject
{
    Q_OBJECT
private slots:
    void memberCookie_data();
    void memberCookie();
    void loginForm_data();
    void loginForm();
};

void TestSiteLogout::memberCookie_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<bool>("ended");
    const QString head = QStringLiteral("HTTP/1.1 200 OK\r\nServer: x\r\n");
    QTest::newRow("no cookie") << head << false;
    QTest::newRow("same password") << head + QStringLiteral("Set-Cookie: memberid=kalle; path=/") << false;
    QTest::newRow("same in other case") << head + QStringLiteral("Set-Cookie: memberid=KALLE; path=/") << false;
    QTest::newRow("reset to 0") << head + QStringLiteral("Set-Cookie: memberid=0; path=/") << true;
    QTest::newRow("another member") << head + QStringLiteral("Set-Cookie: memberid=anna5\r\nX: y") << true;
    QTest::newRow("empty value: the jar keeps the old one")
        << head + QStringLiteral("Set-Cookie: memberid=; expires=Thu, 01 Jan 1970 00:00:00 GMT") << false;
    QTest::newRow("other cookie only") << head + QStringLiteral("Set-Cookie: ASPSESSIONIDQ=ABC; path=/") << false;
    QTest::newRow("name in other case is another cookie")
        << head + QStringLiteral("Set-Cookie: MemberID=0; path=/") << false;
    QTest::newRow("longer name is another cookie") << head + QStringLiteral("Set-Cookie: memberid2=0") << false;
    QTest::newRow("second of two") << head + QStringLiteral("Set-Cookie: a=1\r\nSet-Cookie: memberid=x1234; path=/")
                                   << true;
    QTest::newRow("lower-case header name is not taken by the jar")
        << head + QStringLiteral("set-cookie: memberid=0") << false;
}

void TestSiteLogout::memberCookie()
{
    QFETCH(QString, header);
    QFETCH(bool, ended);
    QCOMPARE(siteLogout::setsOtherMemberCookie(header, QStringLiteral("kalle")), ended);
}

void TestSiteLogout::loginForm_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("isForm");
    using namespace sandlundSim;
    const QList<SimMember> members = defaultMembers();
    QTest::newRow("login form") << loginRequiredPage() << true;
    QTest::newRow("member's start page") << memberMainPage(members.first()) << false;
    QTest::newRow("start page") << startPage() << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("not found") << notFoundPage(QStringLiteral("/login/community/main.asp")) << false;
}

void TestSiteLogout::loginForm()
{
    QFETCH(QString, page);
    QFETCH(bool, isForm);
    QCOMPARE(siteLogout::isLoginFormPage(page), isForm);
}

QTEST_GUILESS_MAIN(TestSiteLogout)
#include "tst_sitelogout.moc"
