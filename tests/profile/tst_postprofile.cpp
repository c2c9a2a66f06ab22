#include <QTest>

#include "net/site.h"
#include "profile/postprofile.h"
#include "profilepage.h"
#include "scriptedserver.h"
#include "sessionfixture.h"
#include "simsite.h"

using namespace modGlobal;

namespace {

const QString kExampleBody = QStringLiteral(
    "strBirthday=1980%2D05%2D17&firstname=Anna&company=&lastname=Berg&sign=anna&street=&sex=1&postal="
    "&age=3&strMobiltelefon=&relation=1&interests=&foundthis=&homecity=7&strabout=&homepage=&email="
    "&icq=&chk1=1&btn=Uppdatera&uid=123");

ProfileRecord exampleRecord()
{
    ProfileRecord p;
    p.strBirthday = QStringLiteral("1980-05-17");
    p.firstname = QStringLiteral("Anna");
    p.lastname = QStringLiteral("Berg");
    p.sign = QStringLiteral("anna");
    p.sex = QStringLiteral("k");
    p.age = 3;
    p.relation = 1;
    p.homecity = 7;
    p.chk1 = true;
    p.chatWelcomeEnabled = false;
    p.userid = 123;
    return p;
}

QString bodyOf(const QByteArray &request)
{
    const qsizetype at = request.indexOf("\r\n\r\n");
    return at < 0 ? QString() : QString::fromLatin1(request.mid(at + 4));
}

} // namespace

class TstPostProfile : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanupTestCase();

    void body_data();
    void body();
    void nothingSentUnlessMemberLoggedIn_data();
    void nothingSentUnlessMemberLoggedIn();
    void postsThenFetchesAgain();
    void failedRefetchWritesNoPanels();
    void roundTripWithDemoSite();

private:
    ScriptedView m_view;
};

void TstPostProfile::init()
{
    m_view = ScriptedView{};
    sessionfixture::reset(&m_view);
}

void TstPostProfile::cleanupTestCase()
{
    resetSession();
}

void TstPostProfile::body_data()
{
    QTest::addColumn<ProfileRecord>("record");
    QTest::addColumn<QString>("body");

    const QString head = QStringLiteral("strBirthday=&firstname=&company=&lastname=&sign=&street=");
    const auto middle = [](const QString &sex, const QString &strabout) {
        return QStringLiteral("&sex=%1&postal=&age=0&strMobiltelefon=&relation=0&interests=&foundthis="
                              "&homecity=0&strabout=%2&homepage=&email=&icq=")
            .arg(sex, strabout);
    };

    QTest::newRow("the site's example") << exampleRecord() << kExampleBody;

    ProfileRecord p;
    p.userid = 9;
    QTest::newRow("nothing checked, greeting disabled: ends with the id")
        << p << head + middle(QStringLiteral("2"), QString()) + QStringLiteral("&btn=Uppdatera&uid=9");

    p.sex = QStringLiteral("m");
    QTest::newRow("m is 2") << p << head + middle(QStringLiteral("2"), QString()) + QStringLiteral("&btn=Uppdatera&uid=9");
    p.sex = QStringLiteral("K");
    QTest::newRow("only lower-case k is 1") << p << head + middle(QStringLiteral("2"), QString()) + QStringLiteral("&btn=Uppdatera&uid=9");
    p.sex = QStringLiteral("k");
    QTest::newRow("k is 1") << p << head + middle(QStringLiteral("1"), QString()) + QStringLiteral("&btn=Uppdatera&uid=9");
    p.sex.clear();

    p.strabout = QStringLiteral("Rad ett\r\nRad två");
    QTest::newRow("two lines and blanks")
        << p << head + middle(QStringLiteral("2"), QStringLiteral("Rad+ett%0D%0ARad+tv%E5")) + QStringLiteral("&btn=Uppdatera&uid=9");
    p.strabout.clear();

    ProfileRecord trimmed;
    trimmed.firstname = QStringLiteral(" Anna ");
    trimmed.sign = QStringLiteral("  ");
    trimmed.userid = 1;
    QTest::newRow("texts trimmed")
        << trimmed
        << QStringLiteral("strBirthday=&firstname=Anna&company=&lastname=&sign=&street=") + middle(QStringLiteral("2"), QString())
               + QStringLiteral("&btn=Uppdatera&uid=1");

    ProfileRecord boxes;
    boxes.userid = 2;
    for (bool *b : {&boxes.chk1, &boxes.chk2, &boxes.lngHtmlMail, &boxes.chk3, &boxes.setup0, &boxes.setup1,
                    &boxes.setup2, &boxes.setup3})
        *b = true;
    boxes.chatWelcomeEnabled = true;
    boxes.strChatWelcome = QStringLiteral("Hej & hå");
    QTest::newRow("every box, then the greeting last")
        << boxes
        << head + middle(QStringLiteral("2"), QString())
               + QStringLiteral("&chk1=1&chk2=1&lngHtmlMail=1&chk3=1&setup0=1&setup1=1&setup2=1&setup3=1"
                                "&btn=Uppdatera&uid=2&strChatWelcome=Hej+%26+h%E5");

    ProfileRecord some;
    some.userid = 3;
    some.lngHtmlMail = true;
    some.setup2 = true;
    some.chatWelcomeEnabled = true;
    QTest::newRow("some boxes, empty enabled greeting")
        << some
        << head + middle(QStringLiteral("2"), QString())
               + QStringLiteral("&lngHtmlMail=1&setup2=1&btn=Uppdatera&uid=3&strChatWelcome=");

    ProfileRecord numbers;
    numbers.age = -1;
    numbers.relation = 12;
    numbers.homecity = 300;
    numbers.userid = -5;
    QTest::newRow("numbers plain decimal")
        << numbers
        << head + QStringLiteral("&sex=2&postal=&age=-1&strMobiltelefon=&relation=12&interests=&foundthis="
                                 "&homecity=300&strabout=&homepage=&email=&icq=&btn=Uppdatera&uid=-5");

    ProfileRecord every;
    every.strBirthday = QStringLiteral("a");
    every.firstname = QStringLiteral("b");
    every.company = QStringLiteral("c");
    every.lastname = QStringLiteral("d");
    every.sign = QStringLiteral("e");
    every.street = QStringLiteral("f");
    every.postal = QStringLiteral("g");
    every.strMobiltelefon = QStringLiteral("h");
    every.interests = QStringLiteral("i");
    every.foundthis = QStringLiteral("j");
    every.strabout = QStringLiteral("k");
    every.homepage = QStringLiteral("l");
    every.email = QStringLiteral("m");
    every.icq = QStringLiteral("n");
    QTest::newRow("order of the text fields")
        << every
        << QStringLiteral("strBirthday=a&firstname=b&company=c&lastname=d&sign=e&street=f&sex=2&postal=g&age=0"
                          "&strMobiltelefon=h&relation=0&interests=i&foundthis=j&homecity=0&strabout=k"
                          "&homepage=l&email=m&icq=n&btn=Uppdatera&uid=0");
}

void TstPostProfile::body()
{
    QFETCH(ProfileRecord, record);
    QFETCH(QString, body);
    QCOMPARE(profilePostBody(record), body);
}

void TstPostProfile::nothingSentUnlessMemberLoggedIn_data()
{
    QTest::addColumn<bool>("loggedIn");
    QTest::addColumn<bool>("guest");
    // Logged in as a member or the guest, and then logged out or not.
    QTest::newRow("guest") << true << true;
    QTest::newRow("logged out") << false << false;
    QTest::newRow("logged-out guest") << false << true;
}

void TstPostProfile::nothingSentUnlessMemberLoggedIn()
{
    QFETCH(bool, loggedIn);
    QFETCH(bool, guest);
    ScriptedServer server;
    QVERIFY(server.listen());
    server.useAsSite();
    server.setScript(ScriptedServer::chunks({sessionfixture::response(profilepage::fullPage(), "bvolk")}));
    QVERIFY(sessionfixture::logIn(guest ? QStringLiteral("bvolk") : QStringLiteral("kalle")));
    if (!loggedIn)
        session().setLoggedOut();
    QCOMPARE(session().isGuest(), guest);
    m_view.clearCalls();
    const QStringList before = sessionfixture::dump(profile());
    ShownSpies shown(session());

    QVERIFY(!postProfile());
    // Any request would have completed inside the call; give a stray
    // connection attempt a moment to show anyway.
    QTest::qWait(100);

    QCOMPARE(server.connectionCount(), 0);
    QVERIFY(shown.none());
    QVERIFY(m_view.calls.isEmpty());
    QCOMPARE(sessionfixture::dump(profile()), before);
    QCOMPARE(isLoggedIn(), loggedIn);
}

void TstPostProfile::postsThenFetchesAgain()
{
    ScriptedServer server;
    QVERIFY(server.listen());
    server.useAsSite();
    // The post is answered by a header (and a body that must not be waited
    // for), the re-fetch by the form as the site now has it.
    server.addScript({ScriptedServer::send("HTTP/1.1 302 Object moved\r\nLocation: visitkort.asp\r\n\r\n")});
    QString updated = profilepage::fullPage();
    updated.replace(QStringLiteral("value=\"Anna\""), QStringLiteral("value=\"Annika\""));
    server.addScript(ScriptedServer::chunks({sessionfixture::response(updated, QStringLiteral("abcde"))}));

    QVERIFY(sessionfixture::logIn(QStringLiteral("abcde"), sessionfixture::member(QStringLiteral("abcde"), 123)));
    ShownSpies shown(session());
    QVERIFY(postProfile(exampleRecord()));
    const ProfileRecord &p = profile();

    QCOMPARE(server.connectionCount(), 2);
    const QByteArray post = server.request(0);
    QVERIFY2(post.startsWith("POST /login/register/visitkort_edit.asp HTTP/1.1\r\n"), post.constData());
    QVERIFY2(post.contains("\r\nReferer: " + modData::site().baseUrl().toLatin1()
                           + "/login/community/visitkort.asp?uid=123\r\n"),
             post.constData());
    QVERIFY2(post.contains("memberid=abcde"), post.constData());
    QCOMPARE(bodyOf(post), kExampleBody);
    QVERIFY(server.request(1).startsWith("GET /login/register/visitkort_edit.asp HTTP/1.1\r\n"));

    // The record holds what the site reports now.
    QCOMPARE(p.firstname, QStringLiteral("Annika"));
    QCOMPARE(p.userid, 123);
    QVERIFY(isLoggedIn());
    // The status bar shows the member as the site has it now, once.
    QCOMPARE(shown.member.size(), 1);
    QCOMPARE(session().name(), QStringLiteral("Annika Berg"));
    QCOMPARE(session().alias(), QStringLiteral("Kalle & Co"));
}

void TstPostProfile::failedRefetchWritesNoPanels()
{
    ScriptedServer server;
    QVERIFY(server.listen());
    server.useAsSite();
    server.addScript({ScriptedServer::send("HTTP/1.1 200 OK\r\n\r\n"), ScriptedServer::close()});
    // The session has expired meanwhile: another member id comes back.
    server.addScript(ScriptedServer::chunks({sessionfixture::response(QStringLiteral("<html>Logga in</html>"),
                                                                      QStringLiteral("xxxxx"))}));
    QVERIFY(sessionfixture::logIn(QStringLiteral("abcde"), sessionfixture::member(QStringLiteral("abcde"), 123)));
    ShownSpies shown(session());

    QVERIFY(!postProfile(exampleRecord()));

    QCOMPARE(server.connectionCount(), 2);
    QVERIFY(!isLoggedIn());
    // Shown logged out; the member the failed fetch read is never shown.
    QCOMPARE(shown.loggedOut.size(), 1);
    QVERIFY(shown.member.isEmpty());
}

void TstPostProfile::roundTripWithDemoSite()
{
    SimSite sim;
    QVERIFY2(sim.start(), qPrintable(sim.otherOutput()));
    sim.useAsSite();
    QVERIFY(sessionfixture::logIn(QStringLiteral("anna5")));

    ProfileRecord edited = profile();
    edited.firstname = QStringLiteral(" Annika ");
    edited.sign = QStringLiteral("A & B");
    edited.strabout = QStringLiteral("Rad ett\r\nRad två");
    edited.sex = QStringLiteral("m");
    edited.age = 4;
    edited.homecity = 3;
    edited.chk1 = false;
    edited.chk2 = true;
    edited.setup3 = true;
    edited.strChatWelcome = QStringLiteral("Hejsan");
    edited.interests = QStringLiteral("Åka skidor, 100%");
    const int logBefore = sim.requestLog().size();

    ShownSpies shown(session());
    QVERIFY(postProfile(edited));
    const ProfileRecord &p = profile();

    QCOMPARE(p.firstname, QStringLiteral("Annika"));
    QCOMPARE(p.sign, QStringLiteral("A & B"));
    QCOMPARE(p.strabout, QStringLiteral("Rad ett\r\nRad två"));
    QCOMPARE(p.sex, QStringLiteral("m"));
    QCOMPARE(p.age, 4);
    QCOMPARE(p.homecity, 3);
    QCOMPARE(p.homecityName, QStringLiteral("Umeå"));
    QVERIFY(!p.chk1);
    QVERIFY(p.chk2);
    QVERIFY(p.setup3);
    QCOMPARE(p.strChatWelcome, QStringLiteral("Hejsan"));
    QCOMPARE(p.interests, QStringLiteral("Åka skidor, 100%"));
    QCOMPARE(shown.member.size(), 1);
    QCOMPARE(session().name(), QStringLiteral("Annika Berg"));

    QVERIFY(sim.waitForLogLines(logBefore + 2));
    const QStringList log = sim.requestLog().mid(logBefore);
    QCOMPARE(log.size(), 2);
    QVERIFY2(log.at(0).startsWith(QStringLiteral("POST /login/register/visitkort_edit.asp ")), qPrintable(log.at(0)));
    QVERIFY2(log.at(1).startsWith(QStringLiteral("GET /login/register/visitkort_edit.asp ")), qPrintable(log.at(1)));

    // A fresh login sees the same.
    resetSession(&m_view);
    session().loginWith(QStringLiteral("anna5"));
    QVERIFY(isLoggedIn());
    QCOMPARE(profile().firstname, QStringLiteral("Annika"));
}

QTEST_GUILESS_MAIN(TstPostProfile)
#include "tst_postprofile.moc"
