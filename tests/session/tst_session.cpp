// The session's signals: which ones a login, a guest login, a rejected login
// and a logout raise, with what, and where they fall among the changes to
// the window (signals are recorded into the same list as the window calls).
// And a session that the site ends while the member is idle: the next iMail tick (or keep-alive) shows "Utloggad" and plug-ins
// hear onLogout once; a site that cannot be reached changes nothing.
#include "net/moddata.h"
#include "sessionprobe.h"
#include "net/site.h"
#include "session/autologin.h"
#include "sessionfixture.h"
#include "simsite.h"
#include "testsession.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

using modGlobal::Session;

namespace {

QString closedSite()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

// Signals and a few landmark window changes, in order.
QStringList landmarks(const FakeMainView &view)
{
    static const QStringList kept = {
        QStringLiteral("signal"), QStringLiteral("panelText 1"), QStringLiteral("menuCaption"),
        QStringLiteral("askPassword"), QStringLiteral("timer tmrKeepLogin")};
    QStringList out;
    for (const QString &c : view.calls) {
        for (const QString &k : kept) {
            if (c.startsWith(k)) {
                out << c;
                break;
            }
        }
    }
    return out;
}

void recordSignals(Session &s, FakeMainView &view)
{
    QStringList &calls = view.calls;
    QObject::connect(&s, &Session::loginStarted, [&calls] { calls << QStringLiteral("signal loginStarted"); });
    QObject::connect(&s, &Session::loggedIn, [&calls](const QString &pw, qint32 id) {
        calls << QStringLiteral("signal loggedIn %1 %2").arg(pw).arg(id);
    });
    QObject::connect(&s, &Session::loggedOut, [&calls](const QString &pw, qint32 id) {
        calls << QStringLiteral("signal loggedOut %1 %2").arg(pw).arg(id);
    });
    QObject::connect(&s, &Session::loginFinished, [&calls](bool ok) {
        calls << QStringLiteral("signal loginFinished %1").arg(ok);
    });
    QObject::connect(&s, &Session::imailCountsChanged, [&calls](int n, int m) {
        calls << QStringLiteral("signal imailCountsChanged %1 %2").arg(n).arg(m);
    });
}

} // namespace

class TestSession : public QObject
{
    Q_OBJECT
    std::unique_ptr<SimSite> m_sim;

    bool login(const QString &password)
    {
        SessionProbe::setPassword(session(), password);
        session().loginSequence();
        return session().isLoggedIn();
    }

    int logouts(const SessionFixture &f) const
    {
        int n = 0;
        for (const HeardEvent &e : f.events)
            n += e.kind == QLatin1String("onLogout") ? 1 : 0;
        return n;
    }

private slots:
    void initTestCase()
    {
        isolateUserFolders();
        m_sim = std::make_unique<SimSite>();
        QVERIFY2(m_sim->start(), qPrintable(m_sim->otherOutput()));
        m_sim->useAsSite();
    }

    void signalsOfALogin_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QStringList>("expected");
        const QString caption = QStringLiteral("menuCaption mnuLogout ");
        QTest::newRow("member") << QStringLiteral("kalle") << QStringList{
            QStringLiteral("signal loginStarted"), QStringLiteral("panelText 1 Loggar in..."),
            caption + QStringLiteral("&Avbryt inloggning"), QStringLiteral("panelText 1 Inloggad"),
            QStringLiteral("signal loggedIn kalle 1001"), QStringLiteral("timer tmrKeepLogin 1"),
            // The fake window subscribed before this test did.
            QStringLiteral("menuCaption mnuIMails 3 iMails (1 nya)"), QStringLiteral("signal imailCountsChanged 3 1"),
            caption + QStringLiteral("Logga &ut"), QStringLiteral("signal loginFinished 1")};
        QTest::newRow("guest") << QStringLiteral("bvolk") << QStringList{
            QStringLiteral("signal loginStarted"), QStringLiteral("panelText 1 Loggar in..."),
            caption + QStringLiteral("&Avbryt inloggning"), QStringLiteral("panelText 1 Inloggad"),
            // The guest's start page has no inbox: the counts stay as the
            // logout before left them.
            QStringLiteral("signal loggedIn bvolk 0"), QStringLiteral("timer tmrKeepLogin 1"),
            caption + QStringLiteral("Logga &ut"), QStringLiteral("signal loginFinished 1")};
        // Rejected (logged out while the login still runs), the dialog asked
        // again is cancelled, and the failed login logs out once more.
        QTest::newRow("rejected") << QStringLiteral("zzzzz") << QStringList{
            QStringLiteral("signal loginStarted"), QStringLiteral("panelText 1 Loggar in..."),
            caption + QStringLiteral("&Avbryt inloggning"), QStringLiteral("panelText 1 Utloggad"),
            QStringLiteral("timer tmrKeepLogin 0"), caption + QStringLiteral("&Avbryt inloggning"),
            QStringLiteral("askPassword"), QStringLiteral("panelText 1 Utloggad"),
            QStringLiteral("timer tmrKeepLogin 0"), caption + QStringLiteral("Logga &ut"),
            caption + QStringLiteral("Logga &ut"), QStringLiteral("signal loginFinished 0")};
    }
    void signalsOfALogin()
    {
        QFETCH(QString, password);
        QFETCH(QStringList, expected);
        SessionFixture f;
        recordSignals(session(), f.fake);
        SessionProbe::setPassword(session(), password);
        session().loginSequence();
        QCOMPARE(landmarks(f.fake), expected);
        QCOMPARE(session().isLoggedIn(), password != QLatin1String("zzzzz"));
        QCOMPARE(session().isGuest(), password == QLatin1String("bvolk"));
        QVERIFY(!session().busy());
    }

    void logoutNamesTheDepartingMember()
    {
        SessionFixture f;
        SessionProbe::setPassword(session(), QStringLiteral("anna5"));
        session().loginSequence();
        QVERIFY(session().isLoggedIn());
        recordSignals(session(), f.fake);
        f.fake.clearCalls();
        f.events.clear();
        session().setLoggedOut();
        // Heard before the status bar changes, with the member's own values;
        // the member's counts go with the member.
        QCOMPARE(landmarks(f.fake).mid(0, 4),
                 (QStringList{QStringLiteral("signal loggedOut anna5 1002"),
                              QStringLiteral("menuCaption mnuIMails 0 iMails (0 nya)"),
                              QStringLiteral("signal imailCountsChanged 0 0"), QStringLiteral("panelText 1 Utloggad")}));
        QCOMPARE(f.events, (QList<HeardEvent>{{QStringLiteral("onLogout"), QStringLiteral("anna5"), 1002}}));
        QCOMPARE(session().profile().userid, 0);
        // Once only.
        session().setLoggedOut();
        QCOMPARE(landmarks(f.fake).filter(QStringLiteral("signal")).size(), 2);
    }

    void cleanup() { m_sim->useAsSite(); }
    void cleanupTestCase() { modData::configureSite(); }

    // The iMail tick reads the login form (and the reset cookie) instead of
    // the inbox; the keep-alive's header alone carries the reset cookie.
    void endedWhileIdle_data()
    {
        QTest::addColumn<bool>("byKeepAlive");
        QTest::newRow("iMail tick") << false;
        QTest::newRow("keep-alive") << true;
    }
    void endedWhileIdle()
    {
        QFETCH(bool, byKeepAlive);
        SessionFixture f;
        QSignalSpy ended(&session(), &Session::endedBySite);
        QVERIFY(login(QStringLiteral("kalle")));
        QCOMPARE(f.fake.panels[1].text, QStringLiteral("Inloggad"));
        const QString caption = f.fake.menus.value(QStringLiteral("mnuIMails")).caption;
        QCOMPARE(caption, QStringLiteral("3 iMails (1 nya)"));

        // The site still counts the sessions of earlier rows as kalle's.
        QVERIFY(m_sim->endSession(QStringLiteral("kalle")) >= 1);
        if (byKeepAlive)
            modGlobal::keepLogin(session());
        else
            session().checkIMail();

        QVERIFY(!session().isLoggedIn());
        QCOMPARE(f.fake.panels[1].text, QStringLiteral("Utloggad"));
        QCOMPARE(f.fake.panels[2].text, QStringLiteral("Utloggad"));
        QCOMPARE(f.fake.timers.value(QStringLiteral("tmrKeepLogin")), false);
        QCOMPARE(ended.size(), 1);
        QCOMPARE(f.events.last(), (HeardEvent{QStringLiteral("onLogout"), QStringLiteral("kalle"), 1001}));
        QCOMPARE(logouts(f), 1);
        // Like the member's own logout, it takes the member's counts along.
        QCOMPARE(f.fake.menus.value(QStringLiteral("mnuIMails")).caption, QStringLiteral("0 iMails (0 nya)"));
        // The jar was emptied, as by every logout.
        QCOMPARE(modData::cookieValue(session().cookies(), QStringLiteral("memberid")), QString());

        // Later ticks change nothing, and the member can log in again.
        session().checkIMail();
        modGlobal::keepLogin(session());
        QCOMPARE(logouts(f), 1);
        QVERIFY(login(QStringLiteral("kalle")));
        session().checkIMail();
        QVERIFY(session().isLoggedIn());
        QCOMPARE(ended.size(), 1);
    }

    void unreachableSiteIsNoLogout()
    {
        SessionFixture f;
        QSignalSpy ended(&session(), &Session::endedBySite);
        QVERIFY(login(QStringLiteral("anna5")));
        modData::configureSite(closedSite());
        session().checkIMail();
        modGlobal::keepLogin(session());
        QVERIFY(session().isLoggedIn());
        QCOMPARE(f.fake.panels[1].text, QStringLiteral("Inloggad"));
        QCOMPARE(logouts(f), 0);
        QCOMPARE(ended.size(), 0);
        QCOMPARE(modData::cookieValue(session().cookies(), QStringLiteral("memberid")), QStringLiteral("anna5"));
        // A check that failed is no empty inbox: the counts stay.
        QCOMPARE(f.fake.menus.value(QStringLiteral("mnuIMails")).caption, QStringLiteral("2 iMails (2 nya)"));

        m_sim->useAsSite();
        session().checkIMail();
        QVERIFY(session().isLoggedIn());
        QCOMPARE(f.fake.menus.value(QStringLiteral("mnuIMails")).caption, QStringLiteral("2 iMails (2 nya)"));
    }

    // The guest's start page has no inbox; it is no sign of an ended session.
    void guestIsNeverEndedBySite()
    {
        SessionFixture f;
        QVERIFY(login(QStringLiteral("bvolk")));
        session().checkIMail();
        modGlobal::keepLogin(session());
        session().endBySite(QStringLiteral("bvolk"), session().latestSequence());
        QVERIFY(session().isLoggedIn());
        QCOMPARE(logouts(f), 0);
    }

    // An answer to a request of an earlier login does not end a newer one.
    void answerForAnEarlierLoginIsIgnored()
    {
        SessionFixture f;
        QVERIFY(login(QStringLiteral("kalle")));
        const quint64 first = session().latestSequence();
        QVERIFY(login(QStringLiteral("kalle")));
        session().endBySite(QStringLiteral("kalle"), first);
        session().endBySite(QStringLiteral("nisse"), session().latestSequence());
        QVERIFY(session().isLoggedIn());
        session().endBySite(QStringLiteral("kalle"), session().latestSequence());
        QVERIFY(!session().isLoggedIn());
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
