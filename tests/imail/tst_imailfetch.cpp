#include "imail/imaillist.h"
#include "sitetime.h"

#include "net/moddata.h"
#include "net/site.h"
#include "testsession.h"
#include "sessionfixture.h"
#include "simmembers.h"
#include "simpages.h"
#include "simsite.h"

#include <QTcpServer>
#include <QTest>

using namespace modWebFunctions;

namespace {

// The session's counts, all and new.
QPair<int, int> counts()
{
    return {session().imailCount(), session().newIMailCount()};
}

} // namespace

class TestIMailFetch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void captionOfEachInbox_data();
    void captionOfEachInbox();
    void loggedOutTouchesNothing();
    void unavailableListKeepsTheCounts_data();
    void unavailableListKeepsTheCounts();
    void agreesWithTheSitesOwnPages();

private:
    std::unique_ptr<SimSite> m_sim;
};

void TestIMailFetch::initTestCase()
{
    isolateUserFolders();
    m_sim = std::make_unique<SimSite>();
    QVERIFY2(m_sim->start(), qPrintable(m_sim->otherOutput()));
    m_sim->useAsSite();
}

void TestIMailFetch::captionOfEachInbox_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("newCount");
    QTest::newRow("one new of three") << "kalle" << 3 << 1;
    QTest::newRow("two new") << "anna5" << 2 << 2;
    QTest::newRow("empty inbox") << "nisse" << 0 << 0;
}

void TestIMailFetch::captionOfEachInbox()
{
    QFETCH(QString, password);
    QFETCH(int, count);
    QFETCH(int, newCount);
    SessionFixture f;
    QVERIFY(sessionfixture::logIn(password));
    session().setIMailCounts(7, 7);
    QSignalSpy changed(&session(), &modGlobal::Session::imailCountsChanged);
    const int before = m_sim->requestLog().size();

    session().checkIMail();
    QCOMPARE(counts(), qMakePair(count, newCount));
    QCOMPARE(changed.size(), 1);
    const QStringList log = m_sim->requestLog().mid(before);
    QCOMPARE(requestPaths(log), QStringList{QStringLiteral("/login/community/main.asp")});
    QVERIFY(requestCookies(log.first()).startsWith(QStringLiteral("memberid=") + password));
}

void TestIMailFetch::loggedOutTouchesNothing()
{
    SessionFixture f;
    // The member's cookie is still in the jar, but the plug-ins have heard
    // the logout, as when a new login begins.
    QVERIFY(sessionfixture::logIn(QStringLiteral("kalle")));
    session().notifyPlugins(false);
    QSignalSpy changed(&session(), &modGlobal::Session::imailCountsChanged);
    const int before = m_sim->requestLog().size();

    session().checkIMail();
    const IMailRows untouched{{5, QString(), 0, false, 0, QString()}};
    IMailRows list = untouched;
    QCOMPARE(fetchIMailList(session(), list), -1);
    QCOMPARE(list, untouched);

    QVERIFY(changed.isEmpty());
    QTest::qWait(100);
    QCOMPARE(m_sim->requestLog().size(), before);
}

void TestIMailFetch::unavailableListKeepsTheCounts_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("siteUp");
    QTest::addColumn<bool>("endedBySite");
    // The site's login form instead of the inbox: the site has ended the
    // session, which logs out and clears the caption as a logout does.
    QTest::newRow("site answers with its login form") << "fel99" << true << true;
    QTest::newRow("guest start page") << "bvolk" << true << false;
    QTest::newRow("connection refused") << "kalle" << false << false;
}

void TestIMailFetch::unavailableListKeepsTheCounts()
{
    QFETCH(QString, password);
    QFETCH(bool, siteUp);
    QFETCH(bool, endedBySite);
    SessionFixture f;
    QTcpServer probe;
    if (!siteUp) {
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
        modData::configureSite(QStringLiteral("127.0.0.1:%1").arg(port));
    }
    // The member the demo site does not know has logged in at another site.
    QVERIFY(sessionfixture::logIn(password, endedBySite ? std::optional(sessionfixture::member(password, 4711))
                                                         : std::nullopt));
    session().setIMailCounts(3, 1);

    session().checkIMail();
    m_sim->useAsSite();
    if (endedBySite) {
        QCOMPARE(counts(), qMakePair(0, 0));
        QVERIFY(!session().isLoggedIn());
        return;
    }
    // A check that read no inbox is no empty inbox: the last counts stay.
    QCOMPARE(counts(), qMakePair(3, 1));
    // Still logged in: a missing inbox is no logout.
    QVERIFY(session().isLoggedIn());
}

void TestIMailFetch::agreesWithTheSitesOwnPages()
{
    // The demo site builds its inbox independently of the program; every
    // field of every mail must come back as the site holds it.
    int compared = 0;
    for (const sandlundSim::SimMember &m : sandlundSim::defaultMembers()) {
        if (m.inbox.isEmpty())
            continue;
        IMailRows l;
        const int last = parseIMailList(sandlundSim::memberMainPage(m), l);
        QCOMPARE(last, m.inbox.size() - 1);
        for (int i = 0; i <= last; ++i) {
            const sandlundSim::SimIMail &want = m.inbox[i];
            QCOMPARE(l[i].mid, want.mid);
            QCOMPARE(l[i].subject, want.subject);
            QCOMPARE(l[i].sentAt, siteTime::toSecsSinceEpoch(want.sentAt.date(), want.sentAt.time()));
            QCOMPARE(l[i].isNew, want.isNew);
            QCOMPARE(l[i].senderUid, want.senderUid);
            QCOMPARE(l[i].senderName, want.senderName);
            ++compared;
        }
    }
    QVERIFY(compared >= 5);
}

QTEST_GUILESS_MAIN(TestIMailFetch)
#include "tst_imailfetch.moc"
