// The session's signals: which ones a login, a guest login, a rejected login
// and a logout raise, with what, and in which order, the password question
// among them.
// And a session that the site ends while the member is idle: the next iMail tick (or keep-alive) shows "Utloggad" and plug-ins
// hear onLogout once; a site that cannot be reached changes nothing.
#include "net/moddata.h"
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

// The session's signals in order, one line each, with the password
// question (the one thing the session still asks of a window) among them.
QStringList landmarks(const ScriptedView &view)
{
    QStringList out;
    for (const QString &c : view.calls) {
        if (c.startsWith(QLatin1String("signal")) || c == QLatin1String("askPassword"))
            out << c;
    }
    return out;
}

void recordSignals(Session &s, ScriptedView &view)
{
    QStringList &calls = view.calls;
    const auto note = [&calls](const char *name) {
        return [&calls, name](auto... args) {
            QStringList line{QStringLiteral("signal ") + QLatin1String(name)};
            ((line << QVariant(args).toString()), ...);
            calls << line.join(QLatin1Char(' '));
        };
    };
    QObject::connect(&s, &Session::loginStarted, note("loginStarted"));
    QObject::connect(&s, &Session::loginAttemptStarted, note("loginAttemptStarted"));
    QObject::connect(&s, &Session::loginRunningShown, note("loginRunningShown"));
    QObject::connect(&s, &Session::memberShown, note("memberShown"));
    QObject::connect(&s, &Session::loggedOutShown, note("loggedOutShown"));
    QObject::connect(&s, &Session::keepAliveChanged, note("keepAliveChanged"));
    QObject::connect(&s, &Session::loggedIn, note("loggedIn"));
    QObject::connect(&s, &Session::loggedOut, note("loggedOut"));
    QObject::connect(&s, &Session::loginFinished, note("loginFinished"));
    QObject::connect(&s, &Session::imailCountsChanged, note("imailCountsChanged"));
}

} // namespace

class TestSession : public QObject
{
    Q_OBJECT
    std::unique_ptr<SimSite> m_sim;

    bool login(const QString &password)
    {
        session().loginWith(password);
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
        const QString start = QStringLiteral("signal loginStarted");
        const QString attempt = QStringLiteral("signal loginAttemptStarted");
        const QString running = QStringLiteral("signal loginRunningShown ");
        QTest::newRow("member") << QStringLiteral("kalle") << QStringList{
            start, attempt, running + QStringLiteral("true"), QStringLiteral("signal memberShown"),
            QStringLiteral("signal loggedIn kalle 1001"), QStringLiteral("signal keepAliveChanged true"),
            QStringLiteral("signal imailCountsChanged 3 1"), running + QStringLiteral("false"),
            QStringLiteral("signal loginFinished true")};
        QTest::newRow("guest") << QStringLiteral("bvolk") << QStringList{
            start, attempt, running + QStringLiteral("true"), QStringLiteral("signal memberShown"),
            // The guest's start page has no inbox: the counts stay as the
            // logout before left them.
            QStringLiteral("signal loggedIn bvolk 0"), QStringLiteral("signal keepAliveChanged true"),
            running + QStringLiteral("false"), QStringLiteral("signal loginFinished true")};
        // Rejected (logged out while the login still runs), the dialog asked
        // again is cancelled, and the failed login logs out once more.
        QTest::newRow("rejected") << QStringLiteral("zzzzz") << QStringList{
            start, attempt, running + QStringLiteral("true"), QStringLiteral("signal loggedOutShown true"),
            QStringLiteral("askPassword"), QStringLiteral("signal loggedOutShown false"),
            running + QStringLiteral("false"), QStringLiteral("signal loginFinished false")};
    }
    void signalsOfALogin()
    {
        QFETCH(QString, password);
        QFETCH(QStringList, expected);
        SessionFixture f;
        recordSignals(session(), f.fake);
        session().loginWith(password);
        QCOMPARE(landmarks(f.fake), expected);
        QCOMPARE(session().isLoggedIn(), password != QLatin1String("zzzzz"));
        QCOMPARE(session().isGuest(), password == QLatin1String("bvolk"));
        QVERIFY(!session().busy());
    }

    void logoutNamesTheDepartingMember()
    {
        SessionFixture f;
        session().loginWith(QStringLiteral("anna5"));
        QVERIFY(session().isLoggedIn());
        recordSignals(session(), f.fake);
        f.fake.clearCalls();
        f.events.clear();
        session().setLoggedOut();
        // Heard before the status bar changes, with the member's own values;
        // the member's counts go with the member.
        QCOMPARE(landmarks(f.fake).mid(0, 3),
                 (QStringList{QStringLiteral("signal loggedOut anna5 1002"),
                              QStringLiteral("signal imailCountsChanged 0 0"),
                              QStringLiteral("signal loggedOutShown false")}));
        QCOMPARE(f.events, (QList<HeardEvent>{{QStringLiteral("onLogout"), QStringLiteral("anna5"), 1002}}));
        QCOMPARE(session().profile().userid, 0);
        // Once only.
        session().setLoggedOut();
        QCOMPARE(landmarks(f.fake).filter(QStringLiteral("signal loggedOut ")).size(), 1);
        QCOMPARE(landmarks(f.fake).filter(QStringLiteral("signal imailCountsChanged")).size(), 1);
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
        QVERIFY(session().keepsAlive());
        QCOMPARE(session().imailCount(), 3);
        QCOMPARE(session().newIMailCount(), 1);

        // The site still counts the sessions of earlier rows as kalle's.
        QVERIFY(m_sim->endSession(QStringLiteral("kalle")) >= 1);
        if (byKeepAlive)
            modGlobal::keepLogin(session());
        else
            session().checkIMail();

        QCOMPARE(session().loginState(), Session::LoginState::LoggedOut);
        QVERIFY(!session().keepsAlive());
        QCOMPARE(ended.size(), 1);
        QCOMPARE(f.events.last(), (HeardEvent{QStringLiteral("onLogout"), QStringLiteral("kalle"), 1001}));
        QCOMPARE(logouts(f), 1);
        // Like the member's own logout, it takes the member's counts along.
        QCOMPARE(session().imailCount(), 0);
        QCOMPARE(session().newIMailCount(), 0);
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
        QCOMPARE(logouts(f), 0);
        QCOMPARE(ended.size(), 0);
        QCOMPARE(modData::cookieValue(session().cookies(), QStringLiteral("memberid")), QStringLiteral("anna5"));
        // A check that failed is no empty inbox: the counts stay.
        QCOMPARE(session().imailCount(), 2);
        QCOMPARE(session().newIMailCount(), 2);

        m_sim->useAsSite();
        session().checkIMail();
        QVERIFY(session().isLoggedIn());
        QCOMPARE(session().imailCount(), 2);
        QCOMPARE(session().newIMailCount(), 2);
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
