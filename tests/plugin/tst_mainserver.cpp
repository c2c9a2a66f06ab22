// The server object's doLogin and doLogout in-process, with the real
// session code against the demo site and a recording main window. The
// plain login and logout roads are tested end to end in tst_pluginprocess.
#include <QtTest>

#include "fakemainview.h"
#include "plugin/clsmainserver.h"
#include "plugin/clsmainserverreference.h"
#include "testsession.h"
#include "simmembers.h"
#include "simsite.h"

namespace {

const sandlundSim::SimMember &member(int index)
{
    static const QList<sandlundSim::SimMember> members = sandlundSim::defaultMembers();
    return members.at(index);
}

// Every event as "onLogin PASSWORD ID" or "onLogout PASSWORD ID", in order.
class EventLog : public QObject
{
public:
    QStringList lines;
    explicit EventLog(clsMainServer *server)
    {
        connect(server, &clsMainServer::onLogin, this, [this](const QString &pw, qint32 id) {
            lines << QStringLiteral("onLogin %1 %2").arg(pw).arg(id);
        });
        connect(server, &clsMainServer::onLogout, this, [this](const QString &pw, qint32 id) {
            lines << QStringLiteral("onLogout %1 %2").arg(pw).arg(id);
        });
    }
};

} // namespace

class MainServerTest : public QObject
{
    Q_OBJECT

    SimSite m_site;
    FakeMainView m_view;
    clsMainServer m_server{&resetSession(&m_view)};
    EventLog m_events{&m_server};

private slots:
    void initTestCase()
    {
        QVERIFY2(m_site.start(), qPrintable(m_site.otherOutput()));
        m_site.useAsSite();
    }

    void init()
    {
        m_server.doLogout();
        m_events.lines.clear();
        m_view.passwordAnswers.clear();
        m_view.passwordAsked = 0;
    }

    void cleanupTestCase()
    {
        session().setView(nullptr);
    }

    void wrongLengthChangesNothing()
    {
        QVERIFY(m_server.doLogin(false, QStringLiteral("bvolk")));
        m_events.lines.clear();
        m_view.clearCalls();
        for (const QString &password : {QStringLiteral("kall"), QStringLiteral("kallee"), QString()})
            QVERIFY(!m_server.doLogin(false, password));
        // Still logged in, not a control touched, nothing raised.
        QVERIFY(session().isLoggedIn());
        QVERIFY(m_view.calls.isEmpty());
        QVERIFY(m_events.lines.isEmpty());
    }

    void loginOverAnotherMemberReportsWhoLeft()
    {
        const sandlundSim::SimMember &a = member(0);
        const sandlundSim::SimMember &b = member(1);
        QVERIFY(m_server.doLogin(false, a.password));
        QVERIFY(m_server.doLogin(false, b.password));
        QCOMPARE(m_events.lines, (QStringList{QStringLiteral("onLogin %1 %2").arg(a.password).arg(a.userid),
                                              QStringLiteral("onLogout %1 %2").arg(a.password).arg(a.userid),
                                              QStringLiteral("onLogin %1 %2").arg(b.password).arg(b.userid)}));
    }

    void rejectedPasswordAsksAndFails()
    {
        // The site knows no such member; the dialog is asked and cancelled.
        QVERIFY(!m_server.doLogin(false, QStringLiteral("zzzzz")));
        QCOMPARE(m_view.passwordAsked, 1);
        QVERIFY(m_events.lines.isEmpty());
        QVERIFY(!session().isLoggedIn());
        QCOMPARE(m_view.panels[1].text, QStringLiteral("Utloggad"));
    }

    void passwordDialogLogin()
    {
        const sandlundSim::SimMember &m = member(1);
        m_view.passwordAnswers = {m.password};
        QVERIFY(m_server.doLogin(true, QStringLiteral("ignored")));
        QCOMPARE(m_view.passwordAsked, 1);
        QCOMPARE(m_events.lines, QStringList{QStringLiteral("onLogin %1 %2").arg(m.password).arg(m.userid)});

        // Cancelling the dialog: logged out (the member who was in leaves).
        m_events.lines.clear();
        QVERIFY(!m_server.doLogin(true, QString()));
        QCOMPARE(m_events.lines, QStringList{QStringLiteral("onLogout %1 %2").arg(m.password).arg(m.userid)});
        QVERIFY(!session().isLoggedIn());
    }

    void referenceHandsOutItsServerWhileItLives()
    {
        clsMainServerReference reference(&m_server);
        QCOMPARE(reference.GetMainServerReference(), &m_server);
        auto *passing = new clsMainServer(&session());
        clsMainServerReference gone(passing);
        delete passing;
        QCOMPARE(gone.GetMainServerReference(), nullptr);  // never a dangling server
    }
};

QTEST_GUILESS_MAIN(MainServerTest)
#include "tst_mainserver.moc"
