// The server object's doLogin and doLogout in-process, with the real
// session code against the demo site and a recording main window. The
// plain login and logout roads are tested end to end in tst_pluginprocess.
#include <QtTest>

#include "scriptedview.h"
#include "shownspies.h"
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
    ScriptedView m_view;
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
        ShownSpies shown(session());
        for (const QString &password : {QStringLiteral("kall"), QStringLiteral("kallee"), QString()})
            QVERIFY(!m_server.doLogin(false, password));
        // Still logged in, not a control touched, nothing raised.
        QVERIFY(session().isLoggedIn());
        QVERIFY(shown.none());
        QVERIFY(m_view.calls.isEmpty());
        QVERIFY(m_events.lines.isEmpty());
    }

    // Only what can go to the site unchanged is sent; ";" and blanks are
    // the site's business and go as they are.
    void passwordRule_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("sent");
        QTest::newRow("CR LF and a header") << QStringLiteral("\r\nX:y") << false;
        QTest::newRow("LF") << QStringLiteral("kal\nl") << false;
        QTest::newRow("NUL") << QString::fromUtf16(u"ka\0le", 5) << false;
        QTest::newRow("TAB") << QStringLiteral("ka\tle") << false;
        QTest::newRow("DEL") << QStringLiteral("kall\x7F") << false;
        QTest::newRow("U+FFFF") << QString(5, QChar(0xFFFF)) << false;
        QTest::newRow("five emoji") << QStringLiteral("\U0001F600").repeated(5) << false;
        QTest::newRow("four letters and an emoji") << QStringLiteral("kall\U0001F600") << false;
        QTest::newRow("U+0100") << QStringLiteral("kall\u0100") << false;
        QTest::newRow("C1 control") << QStringLiteral("kall\u0081") << false;
        QTest::newRow("e acute") << QStringLiteral("kallé") << true;
        QTest::newRow("euro sign") << QStringLiteral("kall€") << true;
        QTest::newRow("semicolon") << QStringLiteral("ka;le") << true;
        QTest::newRow("equals sign") << QStringLiteral("ka=le") << true;
        QTest::newRow("blank") << QStringLiteral("ka le") << true;
    }

    void passwordRule()
    {
        QFETCH(QString, password);
        QFETCH(bool, sent);
        m_view.clearCalls();
        ShownSpies shown(session());
        const int before = m_site.requestLog().size();
        // The site knows none of these: a sent one is rejected, the dialog
        // asked and cancelled.
        QVERIFY(!m_server.doLogin(false, password));
        QVERIFY(m_events.lines.isEmpty());
        if (!sent) {
            QTest::qWait(100);
            QCOMPARE(m_site.requestLog().size(), before);
            QCOMPARE(m_view.passwordAsked, 0);
            QVERIFY(shown.none());
            QVERIFY(m_view.calls.isEmpty());
            return;
        }
        QVERIFY(m_site.waitForLogLines(before + 1));
        const QString line = m_site.requestLog().at(before);
        QVERIFY2(line.endsWith(QStringLiteral(" | Cookie: memberid=") + password), qPrintable(line));
        QCOMPARE(m_view.passwordAsked, 1);
    }

    // Every page of a member login answered chunked: five bytes a chunk, so
    // every field the profile read looks for is cut by chunk boundaries,
    // each size line with an extension and the body with a trailer.
    void chunkedSiteLogin()
    {
        SimSite chunked({QStringLiteral("--chunked"), QStringLiteral("5")});
        QVERIFY2(chunked.start(), qPrintable(chunked.otherOutput()));
        chunked.useAsSite();
        const sandlundSim::SimMember &m = member(0);
        const bool loggedIn = m_server.doLogin(false, m.password);
        m_site.useAsSite();
        QVERIFY(loggedIn);
        QCOMPARE(session().name(), m.firstname + QLatin1Char(' ') + m.lastname);
        QCOMPARE(session().alias(), m.sign);
        QCOMPARE(session().memberId(), m.userid);
        QCOMPARE(m_events.lines, QStringList{QStringLiteral("onLogin %1 %2").arg(m.password).arg(m.userid)});
        QVERIFY(chunked.requestLog().size() >= 7);
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
        QCOMPARE(session().loginState(), modGlobal::Session::LoginState::LoggedOut);
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
