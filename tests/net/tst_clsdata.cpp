// The HTTP exchange against a scripted loopback server: what is sent, how
// the answer is gathered, which cookies are taken, and how the object
// behaves when other work runs (or drops it) while Read waits.
#include "exchangetestutil.h"
#include "net/site.h"
#include "scriptedserver.h"
#include "text/cp1252.h"

#include <QPointer>
#include <QTcpServer>
#include <QTimer>
#include <QtTest>

#include <memory>

using Script = ScriptedServer::Script;
using S = ScriptedServer;

class TestClsData : public QObject
{
    Q_OBJECT
    std::unique_ptr<ScriptedServer> srv;

private slots:
    void init()
    {
        modData::clearCookieJar(testJar());
        srv = std::make_unique<ScriptedServer>();
        QVERIFY(srv->listen());
        srv->useAsSite();
    }
    void cleanup()
    {
        srv.reset();
        runDeferredDeletes();
    }
    void cleanupTestCase() { modData::configureSite(); }

    void sendsTheBuiltRequestInWindows1252_data();
    void sendsTheBuiltRequestInWindows1252();
    void gathersTheAnswer_data();
    void gathersTheAnswer();
    void takesCookies_data();
    void takesCookies();
    void cookiesGoOnlyToTheObjectsOwnJar();
    void headerOnlyStopsAfterTheHeader();
    void connectionRefusedFails();
    void closeConDuringWait_data();
    void closeConDuringWait();
    void otherExchangeRunsWhileOneWaits_data();
    void otherExchangeRunsWhileOneWaits();
    void secondReadOnTheSameObjectSupersedesTheFirst();
    void ownerReleasesTheObjectDuringRead_data();
    void ownerReleasesTheObjectDuringRead();
    void eventModeHandsTheBodyToClosed();
    void releaseInsideItsOwnEventIsDeferred();
    void chunkedAnswers_data();
    void chunkedAnswers();
    void hostileSizesFail_data();
    void hostileSizesFail();
    void headerOfAnEarlierExchangeIsNotReturned();
    void watchdogIsIdleOutsideRead();
};

// ------------------------------------------------------------- request

void TestClsData::sendsTheBuiltRequestInWindows1252_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<CookiePairs>("jar");
    QTest::addColumn<QString>("post");
    QTest::addColumn<QString>("referer");
    QTest::newRow("GET with cookies") << "/login.asp" << CookiePairs{{"memberid", "abcde"}, {"ASPSESSIONIDX", "Q"}}
                                      << "" << "";
    QTest::newRow("GET with a Swedish cookie value")
        << "/default.asp" << CookiePairs{{"namn", QString::fromUtf8("Åsa€")}} << "" << "";
    QTest::newRow("POST with referer")
        << "/login/register/visitkort_edit.asp" << CookiePairs{{"memberid", "abcde"}}
        << "strBirthday=&firstname=%C5sa&btn=Uppdatera&uid=7" << "http://x.example/visitkort.asp?uid=7";
}

void TestClsData::sendsTheBuiltRequestInWindows1252()
{
    QFETCH(QString, path);
    QFETCH(CookiePairs, jar);
    QFETCH(QString, post);
    QFETCH(QString, referer);
    fillJar(jar);
    srv->setScript({S::send(httpAnswer("ok")), S::close()});
    auto c = clsData::create(&testJar());
    const QStringList cookies = modData::cookieList(testJar());
    QCOMPARE(c->Read(path, cookies, post, referer), QStringLiteral("ok"));
    QCOMPARE(srv->connectionCount(), 1);
    const QByteArray sent = srv->request(0);
    QCOMPARE(sent, cp1252::encode(modData::buildRequest(path, cookies, post, referer)));
    QVERIFY(sent.contains("\r\nHost: 127.0.0.1:" + QByteArray::number(srv->port()) + "\r\n"));
    // Windows-1252 on the wire, never UTF-8.
    if (jar.first().second.contains(QChar(0x20AC)))
        QVERIFY(sent.contains("namn=\xC5sa\x80"));
}

// ------------------------------------------------------------- answer

void TestClsData::gathersTheAnswer_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("header");

    const QByteArray h = "HTTP/1.1 200 OK\r\nContent-Type: text/html";
    const QString hs = QString::fromLatin1(h);
    QTest::newRow("header and body in one chunk") << QList<QByteArray>{h + "\r\n\r\n<p>hej</p>"} << "<p>hej</p>" << hs;
    QTest::newRow("body across three chunks")
        << QList<QByteArray>{h + "\r\n\r\nabc", "def", "ghi\r\n"} << "abcdefghi\r\n" << hs;
    QTest::newRow("header alone, body in two later chunks")
        << QList<QByteArray>{h + "\r\n\r\n", "one ", "two"} << "one two" << hs;
    QTest::newRow("header split across two reads")
        << QList<QByteArray>{"HTTP/1.1 200 OK\r\nContent-", "Type: text/html\r\n\r\nbody"} << "body" << hs;
    QTest::newRow("empty line itself split across reads")
        << QList<QByteArray>{h + "\r\n", "\r\nbody"} << "body" << hs;
    QTest::newRow("Windows-1252 body") << QList<QByteArray>{h + "\r\n\r\n\xE5\xE4\xF6 \x80"}
                                       << QString::fromUtf8("åäö €") << hs;
    QTest::newRow("size lines of an unchunked body stay")
        << QList<QByteArray>{h + "\r\n\r\n5\r\nhello\r\n0\r\n\r\n"} << "5\r\nhello\r\n0\r\n\r\n" << hs;
    QTest::newRow("blank line inside a later chunk stays in the body")
        << QList<QByteArray>{h + "\r\n\r\na", "\r\n\r\nb"} << "a\r\n\r\nb" << hs;
    QTest::newRow("header without its empty line, then close")
        << QList<QByteArray>{"HTTP/1.1 200 OK\r\nX: 1"} << "" << "HTTP/1.1 200 OK\r\nX: 1";
    QTest::newRow("close without any data") << QList<QByteArray>{} << "" << "";
    QTest::newRow("interim 100 Continue in its own chunk")
        << QList<QByteArray>{"HTTP/1.1 100 Continue\r\n\r\n", h + "\r\n\r\nfinal"} << "final" << hs;
    QTest::newRow("interim 100 Continue and final answer in one chunk")
        << QList<QByteArray>{"HTTP/1.1 100 Continue\r\n\r\n" + h + "\r\n\r\nfinal"} << "final" << hs;
    QTest::newRow("100 Continue in a later chunk starts a new header")
        << QList<QByteArray>{"HTTP/1.1 200 OK\r\nA: 1\r\n\r\nfirst", "HTTP/1.1 100 Continue\r\n\r\n",
                             "HTTP/1.1 200 OK\r\nB: 2\r\n\r\nsecond"}
        << "second" << "HTTP/1.1 200 OK\r\nB: 2";
    QTest::newRow("a later chunk merely mentioning 100 Continue is body")
        << QList<QByteArray>{h + "\r\n\r\n", "x HTTP/1.1 100 Continue"} << "x HTTP/1.1 100 Continue" << hs;
}

void TestClsData::gathersTheAnswer()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QString, body);
    QFETCH(QString, header);
    srv->setScript(S::chunks(chunks));
    auto c = clsData::create(&testJar());
    QString gotHeader = QStringLiteral("untouched");
    QCOMPARE(readPage(*c, QStringLiteral("/page.asp"), false, &gotHeader), body);
    QCOMPARE(gotHeader, header);
    QCOMPARE(c->receivedHeader(), header);
    QCOMPARE(c->exchangeState(), -2);
}

// ------------------------------------------------------------- cookies

void TestClsData::takesCookies_data()
{
    QTest::addColumn<CookiePairs>("jar");
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QStringList>("expected");

    auto one = [](const QByteArray &headers, const QByteArray &body = "x") {
        return QList<QByteArray>{httpAnswer(body, {.headers = headers})};
    };
    CookiePairs eleven;
    QStringList elevenEntries;
    for (int i = 0; i < 11; ++i) {
        eleven << qMakePair(QStringLiteral("c%1").arg(i), QStringLiteral("v%1").arg(i));
        elevenEntries << QStringLiteral("c%1=v%1").arg(i);
    }
    QStringList elevenC3 = elevenEntries;
    elevenC3[3] = QStringLiteral("c3=new");

    QTest::newRow("new cookie goes to the first free slot")
        << CookiePairs{{"memberid", "abcde"}} << one("Set-Cookie: ASPSESSIONIDQQ=ABC; path=/")
        << QStringList{"memberid=abcde", "ASPSESSIONIDQQ=ABC"};
    QTest::newRow("empty value keeps the stored value")
        << CookiePairs{{"memberid", "abcde"}} << one("Set-Cookie: memberid=; path=/")
        << QStringList{"memberid=abcde"};
    QTest::newRow("new name with empty value is stored empty")
        << CookiePairs{} << one("Set-Cookie: lang=; path=/") << QStringList{"lang="};
    QTest::newRow("same ASPSESSION name twice: only the first replaces")
        << CookiePairs{{"ASPSESSIONIDAA", "old"}}
        << one("Set-Cookie: ASPSESSIONIDAA=new1; path=/\r\nSet-Cookie: ASPSESSIONIDAA=new2; path=/")
        << QStringList{"ASPSESSIONIDAA=new1"};
    QTest::newRow("after one ASPSESSION replacement another name is not replaced")
        << CookiePairs{{"ASPSESSIONIDAA", "a"}, {"ASPSESSIONIDBB", "b"}}
        << one("Set-Cookie: ASPSESSIONIDAA=x; path=/\r\nSet-Cookie: ASPSESSIONIDBB=y; path=/")
        << QStringList{"ASPSESSIONIDAA=x", "ASPSESSIONIDBB=b"};
    QTest::newRow("an empty ASPSESSION value replaces nothing, so the next one may")
        << CookiePairs{{"ASPSESSIONIDAA", "old"}}
        << one("Set-Cookie: ASPSESSIONIDAA=; path=/\r\nSet-Cookie: ASPSESSIONIDAA=new; path=/")
        << QStringList{"ASPSESSIONIDAA=new"};
    QTest::newRow("a new ASPSESSION name is still stored after a replacement")
        << CookiePairs{{"ASPSESSIONIDAA", "a"}}
        << one("Set-Cookie: ASPSESSIONIDAA=x; path=/\r\nSet-Cookie: ASPSESSIONIDCC=z; path=/")
        << QStringList{"ASPSESSIONIDAA=x", "ASPSESSIONIDCC=z"};
    QTest::newRow("other names: every line replaces")
        << CookiePairs{{"memberid", "abcde"}}
        << one("Set-Cookie: memberid=x; path=/\r\nSet-Cookie: memberid=y; path=/")
        << QStringList{"memberid=y"};
    QTest::newRow("twelfth distinct name is dropped") << eleven << one("Set-Cookie: twelfth=1; path=/")
                                                      << elevenEntries;
    QTest::newRow("full jar still updates a stored name") << eleven << one("Set-Cookie: c3=new; path=/")
                                                          << elevenC3;
    QTest::newRow("no semicolon: the cookie ends with its line")
        << CookiePairs{} << one("Set-Cookie: a=1\r\nX-Other: y;z") << QStringList{"a=1"};
    QTest::newRow("no semicolon on the last header line")
        << CookiePairs{} << one("Set-Cookie: last=9") << QStringList{"last=9"};
    QTest::newRow("cookie text without = is ignored")
        << CookiePairs{{"k", "v"}} << one("Set-Cookie: junk; path=/\r\nSet-Cookie: =nameless; path=/")
        << QStringList{"k=v"};
    QTest::newRow("value may hold =") << CookiePairs{} << one("Set-Cookie: t=a=b; path=/") << QStringList{"t=a=b"};
    QTest::newRow("lower-case set-cookie is not a cookie")
        << CookiePairs{} << one("set-cookie: a=1; path=/") << QStringList{};
    QTest::newRow("names are case-sensitive")
        << CookiePairs{{"memberid", "abcde"}} << one("Set-Cookie: MEMBERID=x; path=/")
        << QStringList{"memberid=abcde", "MEMBERID=x"};
    QTest::newRow("Set-Cookie text in the body is not taken")
        << CookiePairs{} << one("Set-Cookie: real=1; path=/", "<pre>Set-Cookie: evil=1; path=/</pre>")
        << QStringList{"real=1"};
    QTest::newRow("cookies of a header that came in two reads")
        << CookiePairs{}
        << QList<QByteArray>{"HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Co",
                             "okie: b=2; path=/\r\n\r\nbody"}
        << QStringList{"a=1", "b=2"};
    QTest::newRow("cookies of a final answer after 100 Continue")
        << CookiePairs{} << QList<QByteArray>{"HTTP/1.1 100 Continue\r\n\r\n", httpAnswer("b", {.cookies = {"f=1"}})}
        << QStringList{"f=1"};
}

void TestClsData::takesCookies()
{
    QFETCH(CookiePairs, jar);
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QStringList, expected);
    fillJar(jar);
    srv->setScript(S::chunks(chunks));
    auto c = clsData::create(&testJar());
    QVERIFY(readPage(*c) != QLatin1String("ERROR"));
    QCOMPARE(jarEntries(), expected);
}

void TestClsData::cookiesGoOnlyToTheObjectsOwnJar()
{
    // One made without a jar takes no cookies, and leaves the others alone.
    modData::CookieJar other;
    for (const QByteArray cookie : {"a=1", "b=2", "c=3"})
        srv->addScript({S::send(httpAnswer("x", {.cookies = {cookie}})), S::close()});
    auto mine = clsData::create(&testJar());
    auto theirs = clsData::create(&other);
    auto none = clsData::create(nullptr);
    for (clsData *c : {mine.get(), theirs.get(), none.get()})
        QCOMPARE(readPage(*c), QStringLiteral("x"));
    QCOMPARE(jarEntries(), QStringList{QStringLiteral("a=1")});
    QCOMPARE(jarEntries(other), QStringList{QStringLiteral("b=2")});
}

// ------------------------------------------------------------- header only

void TestClsData::headerOnlyStopsAfterTheHeader()
{
    // The server sends the header (with some body), then more body later and
    // never closes: a header-only read must neither wait for nor return it.
    srv->setScript({S::send(httpAnswer("partial", {.cookies = {"s=1"}})), S::delay(1000),
                    S::send("more body")});
    auto c = clsData::create(&testJar());
    QString header;
    QCOMPARE(readPage(*c, QStringLiteral("/cookie.asp"), true, &header), QString());
    QCOMPARE(header, QStringLiteral("HTTP/1.1 200 OK\r\nSet-Cookie: s=1; path=/"));
    QCOMPARE(c->exchangeState(), -2);
    QCOMPARE(jarEntries(), QStringList{QStringLiteral("s=1")});
    QVERIFY(srv->waitForClientClose(0));
}

// ------------------------------------------------------------- failures

void TestClsData::connectionRefusedFails()
{
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    modData::configureSite(QStringLiteral("127.0.0.1:") + QString::number(closedPort));
    auto c = clsData::create(&testJar());
    QElapsedTimer t;
    t.start();
    QCOMPARE(readPage(*c), QStringLiteral("ERROR"));
    QCOMPARE(c->exchangeState(), -1);
    qInfo("refused after %lld ms", static_cast<long long>(t.elapsed()));

    // The same object works again once the site is there.
    srv->useAsSite();
    srv->setScript({S::send(httpAnswer("back")), S::close()});
    QCOMPARE(readPage(*c), QStringLiteral("back"));
}

void TestClsData::closeConDuringWait_data()
{
    QTest::addColumn<bool>("forceError");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("state");
    QTest::newRow("CloseCon(true): failed") << true << "ERROR" << -1;
    QTest::newRow("CloseCon(): finished with what arrived") << false << "part" << -2;
}

void TestClsData::closeConDuringWait()
{
    QFETCH(bool, forceError);
    QFETCH(QString, expected);
    QFETCH(int, state);
    // "late" would only be there if the close did not end the exchange.
    srv->setScript({S::send(httpAnswer("part")), S::delay(1500), S::send("late")});
    auto c = clsData::create(&testJar());
    QTimer poll;
    poll.setInterval(20);
    connect(&poll, &QTimer::timeout, this, [&] {
        if (srv->stepsDone(0) >= 1) {
            poll.stop();
            QTimer::singleShot(200, c.get(), [&] { c->CloseCon(forceError); });
        }
    });
    poll.start();
    QCOMPARE(readPage(*c), expected);
    QCOMPARE(c->exchangeState(), state);
    QVERIFY(srv->waitForClientClose(0));
}

// ------------------------------------------------------------- re-entrance

void TestClsData::otherExchangeRunsWhileOneWaits_data()
{
    QTest::addColumn<int>("firstDelay");
    QTest::addColumn<int>("secondDelay");
    QTest::newRow("second finishes while the first waits") << 700 << 0;
    QTest::newRow("first's answer comes while the second waits") << 150 << 700;
}

void TestClsData::otherExchangeRunsWhileOneWaits()
{
    QFETCH(int, firstDelay);
    QFETCH(int, secondDelay);
    srv->addScript({S::delay(firstDelay), S::send(httpAnswer("first", {.cookies = {"a=1"}})), S::close()});
    srv->addScript({S::delay(secondDelay), S::send(httpAnswer("second", {.cookies = {"b=2"}})), S::close()});
    auto first = clsData::create(&testJar());
    QString secondResult = QStringLiteral("not run");
    QTimer::singleShot(60, this, [&] {
        auto second = clsData::create(&testJar());
        secondResult = readPage(*second, QStringLiteral("/second.asp"));
    });
    QCOMPARE(readPage(*first, QStringLiteral("/first.asp")), QStringLiteral("first"));
    QCOMPARE(secondResult, QStringLiteral("second"));
    QVERIFY(srv->request(0).startsWith("GET /first.asp "));
    QVERIFY(srv->request(1).startsWith("GET /second.asp "));
    // Both exchanges were given the same jar, and both fill it.
    QCOMPARE(jarEntries().size(), 2);
    QVERIFY(jarEntries().contains(QStringLiteral("a=1")));
    QVERIFY(jarEntries().contains(QStringLiteral("b=2")));
}

void TestClsData::secondReadOnTheSameObjectSupersedesTheFirst()
{
    srv->addScript({}); // the first connection never gets an answer
    srv->addScript({S::send(httpAnswer("inner")), S::close()});
    auto c = clsData::create(&testJar());
    QString inner = QStringLiteral("not run");
    QTimer::singleShot(100, this, [&] { inner = readPage(*c, QStringLiteral("/inner.asp")); });
    QCOMPARE(readPage(*c, QStringLiteral("/outer.asp")), QStringLiteral("ERROR"));
    QCOMPARE(inner, QStringLiteral("inner"));
    QVERIFY(srv->waitForClientClose(0));
}

void TestClsData::ownerReleasesTheObjectDuringRead_data()
{
    QTest::addColumn<bool>("cancelToo");
    QTest::addColumn<QString>("expected");
    QTest::newRow("released only") << false << "body";
    QTest::newRow("cancelled and released, as a logout does") << true << "ERROR";
}

void TestClsData::ownerReleasesTheObjectDuringRead()
{
    QFETCH(bool, cancelToo);
    QFETCH(QString, expected);
    srv->setScript({S::delay(400), S::send(httpAnswer("body")), S::close()});
    std::shared_ptr<clsData> owner = clsData::create(&testJar());
    QPointer<clsData> watch = owner.get();
    clsData *raw = owner.get();
    QTimer::singleShot(100, this, [&] {
        if (cancelToo)
            owner->CloseCon(true);
        owner.reset();
        // Work that runs after the release while the Read still waits.
        runDeferredDeletes();
    });
    QCOMPARE(raw->Read(QStringLiteral("/p.asp"), modData::cookieList(testJar()), QString(), QString()), expected);
    QVERIFY(!owner);
    QVERIFY2(watch, "deleted while its Read was running");
    runDeferredDeletes();
    QVERIFY2(!watch, "never deleted after its Read returned");
}

void TestClsData::eventModeHandsTheBodyToClosed()
{
    srv->setScript({S::delay(300), S::send(httpAnswer("event body")), S::close()});
    std::shared_ptr<clsData> owner = clsData::create(&testJar());
    QPointer<clsData> watch = owner.get();
    clsData *raw = owner.get();
    QStringList closedWith;
    connect(raw, &clsData::Closed, this, [&](const QString &data) {
        closedWith << data;
        owner.reset(); // the listener lets go from inside the event
    });
    QTimer::singleShot(50, this, [&] { raw->Connect(); });
    // The body went to the event, so the waiting Read has nothing left.
    QCOMPARE(raw->Read(QStringLiteral("/p.asp"), modData::cookieList(testJar()), QString(), QString()), QString());
    QCOMPARE(closedWith, QStringList{QStringLiteral("event body")});
    QVERIFY(watch);
    runDeferredDeletes();
    QVERIFY(!watch);
}

void TestClsData::releaseInsideItsOwnEventIsDeferred()
{
    // An object that never read is in event mode: a close raises Closed,
    // and the listener may drop the last reference from inside it.
    std::shared_ptr<clsData> owner = clsData::create(&testJar());
    QPointer<clsData> watch = owner.get();
    clsData *raw = owner.get();
    int closedCount = 0;
    connect(raw, &clsData::Closed, this, [&](const QString &) {
        ++closedCount;
        owner.reset();
    });
    raw->CloseCon();
    QCOMPARE(closedCount, 1);
    QVERIFY(!owner);
    QVERIFY2(watch, "deleted inside its own event");
    runDeferredDeletes();
    QVERIFY(!watch);
}

// ------------------------------------------------------------- chunked answers

void TestClsData::chunkedAnswers_data()
{
    QTest::addColumn<QList<QByteArray>>("parts");
    QTest::addColumn<bool>("closeAtEnd");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("jar");

    const QByteArray h = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nSet-Cookie: s=1; path=/\r\n\r\n";
    const QStringList s1{"s=1"};
    const QString field = QStringLiteral("<input name=\"firstname\" value=\"Kalle\">");
    QTest::newRow("boundaries inside a form field, size lines cut between writes")
        << QList<QByteArray>{h + "2", "1;x=\"y\"\r\n<input name=\"first", "name\" value=\"Ka\r",
                             "\n5\r\nlle\">", "\r\n0\r\nX-T: 1\r\n\r\n"}
        << true << field << s1;
    QTest::newRow("header and first chunk in one write, trailer alone")
        << QList<QByteArray>{h + "3\r\n\xE5\xE4\xF6\r\n", "1;last\r\n\x80\r\n0\r\n", "X-Trailer: 1\r\n\r\n"}
        << true << QString::fromUtf8("åäö€") << s1;
    QTest::newRow("a cookie in the trailer is not taken")
        << QList<QByteArray>{h + "2\r\nok\r\n0\r\nSet-Cookie: t=2\r\n\r\n"} << true << "ok" << s1;
    QTest::newRow("the end of the body ends the exchange; the site keeps the line open")
        << QList<QByteArray>{h + "2\r\nok\r\n", "0\r\n\r\n"} << false << "ok" << s1;
    QTest::newRow("bad chunk size") << QList<QByteArray>{h + "5\r\nhello\r\nzz\r\nmore\r\n0\r\n\r\n"} << false
                                    << "ERROR" << s1;
    QTest::newRow("a chunk over 16 MiB is refused before its data")
        << QList<QByteArray>{h + "1000001\r\n", "abc"} << false << "ERROR" << s1;
    QByteArray mib4 = "400000\r\n" + QByteArray(4 * 1024 * 1024, 'm') + "\r\n";
    QTest::newRow("chunks adding up over 16 MiB")
        << QList<QByteArray>{h, mib4, mib4, mib4, mib4, mib4, "0\r\n\r\n"} << false << "ERROR" << s1;
}

void TestClsData::chunkedAnswers()
{
    QFETCH(QList<QByteArray>, parts);
    QFETCH(bool, closeAtEnd);
    QFETCH(QString, body);
    QFETCH(QStringList, jar);
    srv->setScript(S::chunks(parts, 60, closeAtEnd));
    auto c = clsData::create(&testJar());
    QCOMPARE(readPage(*c), body);
    QCOMPARE(c->exchangeState(), body == QLatin1String("ERROR") ? -1 : -2);
    QCOMPARE(jarEntries(), jar);
    // On a site that keeps the line open, the client is the one to hang up.
    if (!closeAtEnd)
        QVERIFY(srv->waitForClientClose(0));
}

// ------------------------------------------------------------- hostile servers

void TestClsData::hostileSizesFail_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("closeAfter");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<int>("bodySize");

    const int mib16 = 16 * 1024 * 1024;
    QTest::newRow("body of exactly 16 MiB is taken")
        << httpAnswer(QByteArray(mib16, 'b')) << true << false << mib16;
    QTest::newRow("body one byte over 16 MiB fails")
        << httpAnswer(QByteArray(mib16 + 1, 'b')) << false << true << 0;
    QTest::newRow("header of 64 KiB without its end fails")
        << QByteArray("HTTP/1.1 200 OK\r\nX: " + QByteArray(70000, 'h')) << false << true << 0;
    QTest::newRow("header over 64 KiB with its end fails")
        << httpAnswer("b", {.headers = "X: " + QByteArray(70000, 'h')}) << true << true << 0;
    QTest::newRow("header just under 64 KiB is taken")
        << httpAnswer("b", {.headers = "X: " + QByteArray(65000, 'h')}) << true << false << 1;
}

void TestClsData::hostileSizesFail()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, closeAfter);
    QFETCH(bool, fails);
    QFETCH(int, bodySize);
    Script s{S::send(answer)};
    if (closeAfter)
        s << S::close();
    srv->setScript(s);
    auto c = clsData::create(&testJar());
    const QString got = readPage(*c);
    if (fails) {
        QCOMPARE(got, QStringLiteral("ERROR"));
        QCOMPARE(c->exchangeState(), -1);
        // The client hangs up on such a server instead of reading on.
        if (!closeAfter)
            QVERIFY(srv->waitForClientClose(0));
    } else {
        QCOMPARE(got.size(), bodySize);
        QCOMPARE(c->exchangeState(), -2);
    }
}

void TestClsData::headerOfAnEarlierExchangeIsNotReturned()
{
    srv->addScript({S::send(httpAnswer("one", {.headers = "X-First: 1"})), S::close()});
    srv->addScript({S::close()});
    auto c = clsData::create(&testJar());
    QString header;
    QCOMPARE(readPage(*c, QStringLiteral("/a.asp"), false, &header), QStringLiteral("one"));
    QCOMPARE(header, QStringLiteral("HTTP/1.1 200 OK\r\nX-First: 1"));
    QCOMPARE(readPage(*c, QStringLiteral("/b.asp"), false, &header), QString());
    QCOMPARE(header, QString());
}

void TestClsData::watchdogIsIdleOutsideRead()
{
    auto c = clsData::create(&testJar());
    auto *timer = c->findChild<QTimer *>(QStringLiteral("tmrTimer"));
    QVERIFY(timer);
    QVERIFY(!timer->isActive());
    QCOMPARE(timer->interval(), 16000);
    srv->setScript({S::send(httpAnswer("x")), S::close()});
    QCOMPARE(readPage(*c), QStringLiteral("x"));
    // A finished exchange leaves no watchdog behind to close a later one.
    QVERIFY(!timer->isActive());
}

QTEST_GUILESS_MAIN(TestClsData)
#include "tst_clsdata.moc"
