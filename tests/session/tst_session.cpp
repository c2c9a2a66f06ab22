// The session's signals: which ones a login, a guest login, a rejected login
// and a logout raise, with what, and where they fall among the changes to
// the window (signals are recorded into the same list as the window calls).
#include "sessionfixture.h"
#include "simsite.h"
#include "testsession.h"

#include <QTest>

using modGlobal::Session;

namespace {

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
        session().setPassword(password);
        session().loginSequence();
        QCOMPARE(landmarks(f.fake), expected);
        QCOMPARE(session().isLoggedIn(), password != QLatin1String("zzzzz"));
        QCOMPARE(session().isGuest(), password == QLatin1String("bvolk"));
        QVERIFY(!session().busy());
    }

    void logoutNamesTheDepartingMember()
    {
        SessionFixture f;
        session().setPassword(QStringLiteral("anna5"));
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
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
