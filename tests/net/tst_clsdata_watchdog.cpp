// The watchdog of an exchange: 10 s without any data, 2 s of silence after
// data. These wait for real time, so they are few and kept apart.
#include "exchangetestutil.h"
#include "net/site.h"
#include "scriptedserver.h"

#include <QElapsedTimer>
#include <QtTest>

using S = ScriptedServer;

class TestClsDataWatchdog : public QObject
{
    Q_OBJECT
private slots:
    void init() { modData::clearCookieJar(testJar()); }
    void cleanupTestCase() { modData::configureSite(); }
    void noAnswerFinishesEmptyAfterTenSeconds();
    void silenceAfterDataFinishesWithWhatArrived();
    void dripFedAnswerFailsAtTheOverallLimit();
};

void TestClsDataWatchdog::noAnswerFinishesEmptyAfterTenSeconds()
{
    ScriptedServer srv;
    QVERIFY(srv.listen());
    srv.useAsSite();
    srv.setScript({}); // accepts, reads the request, never answers
    auto c = clsData::create(&testJar());
    QElapsedTimer t;
    t.start();
    // Finished, not failed: the empty text, not "ERROR".
    QCOMPARE(readPage(*c), QString());
    const qint64 ms = t.elapsed();
    QCOMPARE(c->exchangeState(), -2);
    QVERIFY2(ms >= 9900, qPrintable(QStringLiteral("ended after %1 ms").arg(ms)));
    QVERIFY(srv.waitForClientClose(0));
}

void TestClsDataWatchdog::silenceAfterDataFinishesWithWhatArrived()
{
    ScriptedServer srv;
    QVERIFY(srv.listen());
    srv.useAsSite();
    // A gap of 1 s between data does not end the exchange; the 2 s of
    // silence after the last data does. The connection stays open. (The
    // gap is kept well below the 2 s: a busy machine may read the second
    // piece late, and must not take that for silence.)
    srv.setScript({S::send(httpAnswer("one ")), S::delay(1000), S::send("two")});
    auto c = clsData::create(&testJar());
    QElapsedTimer t;
    t.start();
    QCOMPARE(readPage(*c), QStringLiteral("one two"));
    const qint64 ms = t.elapsed();
    QCOMPARE(c->exchangeState(), -2);
    QVERIFY2(ms >= 1000 + 2000 - 100, qPrintable(QStringLiteral("ended after %1 ms").arg(ms)));
    QVERIFY(srv.waitForClientClose(0));
}

void TestClsDataWatchdog::dripFedAnswerFailsAtTheOverallLimit()
{
    QCOMPARE(clsData::exchangeLimit(), 5 * 60 * 1000);
    ScriptedServer srv;
    QVERIFY(srv.listen());
    srv.useAsSite();
    // A byte every half second keeps the silence watchdog from ever firing
    // (with room for a busy machine): without the overall limit this would
    // take 40 s and succeed.
    ScriptedServer::Script s{S::send(httpAnswer("x"))};
    for (int i = 0; i < 80; ++i)
        s << S::delay(500) << S::send("y");
    srv.setScript(s);
    clsData::setExchangeLimit(4000);
    auto c = clsData::create(&testJar());
    const QString got = readPage(*c);
    clsData::setExchangeLimit(0);
    QCOMPARE(got, QStringLiteral("ERROR"));
    QCOMPARE(c->exchangeState(), -1);
    QVERIFY(srv.waitForClientClose(0));
    QVERIFY(srv.stepsDone(0) < s.size());
    QCOMPARE(clsData::exchangeLimit(), 5 * 60 * 1000);
}

QTEST_GUILESS_MAIN(TestClsDataWatchdog)
#include "tst_clsdata_watchdog.moc"
