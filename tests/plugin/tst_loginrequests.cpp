// Plug-ins' login requests: one login at a time, the latest wins, every
// caller is answered exactly once and in order. The logins are the
// session's own, against a loopback site that holds the first request of
// each until the test lets it answer; the scripts run inside that wait, as
// bus calls and user commands do.
#include <QEventLoop>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <stdexcept>
#include <utility>

#include "httpanswer.h"
#include "plugin/loginrequests.h"
#include "scriptedserver.h"
#include "scriptedview.h"
#include "sessionfixture.h"
#include "testsession.h"

namespace {

// Where every login begins, and where a profile fetch reads.
const QByteArray kFirstLoginPage = "/cookie.asp";
const QByteArray kProfilePage = "/login/register/visitkort_edit.asp";

// A site that sends the same page for every request.
ScriptedServer::Script everyPage(const QByteArray &html)
{
    return {ScriptedServer::send(httpAnswer(html, {.html = true, .length = true})), ScriptedServer::close()};
}

// It leaves the member's cookie as the login set it and names a member id,
// so any password is accepted.
const QByteArray kWelcome = "<html><body><form>\r\n<input type=\"hidden\" name=\"userid\" value=\"4711\">\r\n"
                            "</form></body></html>\r\n";
// The login page turns the password away.
const QByteArray kRejection = "<html><body><a href=\"loginrejected.asp\">Fel</a></body></html>\r\n";

// The server object's login as far as the session sees it; a stand-in only
// in what it counts and in an error it may be told to throw.
class FakeLogin
{
public:
    QStringList started;  // passwords (or "<box>") in the order the logins began
    int depth = 0;
    int maxDepth = 0;
    int cancels = 0;
    bool throwNext = false;
    // Runs inside the wait of the login that has just started.
    std::function<void(const QString &who)> onWaiting;
    ScriptedServer *site = nullptr;
    ScriptedView *view = nullptr;

    bool run(bool showBox, const QString &password)
    {
        if (throwNext) {
            throwNext = false;
            throw std::runtime_error("site answered nonsense");
        }
        started << (showBox ? QStringLiteral("<box>") : password);
        ++depth;
        maxDepth = qMax(maxDepth, depth);
        if (showBox) {
            view->passwordAnswers = {QStringLiteral("ruta5")};
            session().startLogin();
        } else {
            session().loginWith(password);
        }
        --depth;
        return session().isLoggedIn();
    }

    bool running() const { return depth > 0; }

    // What the server object's logout does, to a running login too.
    void cancel()
    {
        ++cancels;
        session().setLoggedOut();
    }

    // The site answers the login that waits.
    void finish() { site->release(); }
};

QString show(const QString &who, const LoginRequests::Outcome &o)
{
    return who + (o.failed ? QStringLiteral(":error") : o.loggedIn ? QStringLiteral(":true") : QStringLiteral(":false"));
}

} // namespace

class LoginRequestsTest : public QObject
{
    Q_OBJECT

    FakeLogin m_login;
    ScriptedView m_view;
    std::unique_ptr<ScriptedServer> m_site;
    // Runs inside the wait of a request the site holds outside the queue's logins.
    std::function<void()> m_whileHeld;
    std::unique_ptr<LoginRequests> m_requests;
    QStringList m_answers;
    QList<LoginRequests::Outcome> m_outcomes;

    LoginRequests::Done answerTo(const QString &who)
    {
        return [this, who](const LoginRequests::Outcome &o) {
            m_answers << show(who, o);
            m_outcomes << o;
        };
    }

    void login(const QString &password) { m_requests->login(false, password, answerTo(password)); }

    void onHeld()
    {
        if (m_login.running()) {
            if (m_login.onWaiting)
                m_login.onWaiting(m_login.started.last());
        } else if (m_whileHeld) {
            std::exchange(m_whileHeld, {})();
        }
    }

private slots:
    void init()
    {
        m_login = FakeLogin();
        m_answers.clear();
        m_outcomes.clear();
        m_whileHeld = {};
        m_view.passwordAnswers.clear();
        resetSession(&m_view);
        m_site = std::make_unique<ScriptedServer>();
        QVERIFY(m_site->listen());
        m_site->useAsSite();
        m_site->setScript(everyPage(kWelcome));
        m_site->holdRequests(kFirstLoginPage);
        // From the event loop of the wait, not from inside the server's read.
        connect(m_site.get(), &ScriptedServer::held, this, &LoginRequestsTest::onHeld, Qt::QueuedConnection);
        m_login.site = m_site.get();
        m_login.view = &m_view;
        m_requests = std::make_unique<LoginRequests>(
            &session(), [this](bool box, const QString &pw) { return m_login.run(box, pw); },
            [this] { m_login.cancel(); });
    }

    void cleanup()
    {
        m_requests.reset();
        QVERIFY(m_login.maxDepth <= 1);  // never one login inside another
        m_site.reset();
        resetSession();
    }

    void whichRequestsLogIn_data()
    {
        QTest::addColumn<bool>("showBox");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("runs");
        QTest::newRow("four") << false << QStringLiteral("abcd") << false;
        QTest::newRow("six") << false << QStringLiteral("abcdef") << false;
        QTest::newRow("empty") << false << QString() << false;
        QTest::newRow("five") << false << QStringLiteral("abcde") << true;
        QTest::newRow("guest") << false << QStringLiteral("bvolk") << true;
        // Only what can be sent unchanged: no emoji, no control character.
        QTest::newRow("four and an emoji") << false << QStringLiteral("abcd\U0001F600") << false;
        QTest::newRow("CR LF") << false << QStringLiteral("abc\r\n") << false;
        QTest::newRow("Windows-1252 letters") << false << QStringLiteral("åäö€;") << true;
        QTest::newRow("five and an emoji") << false << QStringLiteral("abcde\U0001F600") << false;
        QTest::newRow("box ignores the password") << true << QStringLiteral("x") << true;
    }
    void whichRequestsLogIn()
    {
        QFETCH(bool, showBox);
        QFETCH(QString, password);
        QFETCH(bool, runs);
        m_login.onWaiting = [this](const QString &) { m_login.finish(); };
        m_requests->login(showBox, password, answerTo(QStringLiteral("a")));
        if (!runs) {
            // Answered before login() returned; nothing runs later either.
            QCOMPARE(m_answers, QStringList{QStringLiteral("a:false")});
            QTest::qWait(30);
            QVERIFY(m_login.started.isEmpty());
            QCOMPARE(m_answers.size(), 1);
            return;
        }
        // Never inside the caller's stack.
        QVERIFY(m_answers.isEmpty());
        QVERIFY(m_login.started.isEmpty());
        QTRY_COMPARE(m_answers, QStringList{QStringLiteral("a:true")});
        QCOMPARE(m_login.started, QStringList{showBox ? QStringLiteral("<box>") : password});
    }

    void answerIsTheLoginsOutcome()
    {
        m_site->setScript(everyPage(kRejection));  // the site rejects the password
        m_login.onWaiting = [this](const QString &) { m_login.finish(); };
        login(QStringLiteral("wrong"));
        QTRY_COMPARE(m_answers, QStringList{QStringLiteral("wrong:false")});
        QVERIFY(!m_requests->running());
    }

    void errorEscapingTheLoginIsReported()
    {
        m_login.throwNext = true;
        m_login.onWaiting = [this](const QString &) { m_login.finish(); };
        login(QStringLiteral("kalle"));
        QTRY_COMPARE(m_answers.size(), 1);
        QVERIFY(m_outcomes.first().failed);
        QCOMPARE(m_outcomes.first().error, QStringLiteral("site answered nonsense"));
        // The next request works as usual.
        login(QStringLiteral("anna5"));
        QTRY_COMPARE(m_answers, (QStringList{QStringLiteral("kalle:error"), QStringLiteral("anna5:true")}));
    }

    void newerLoginReplacesRunningOne()
    {
        m_login.onWaiting = [this](const QString &who) {
            if (who == QLatin1String("first")) {
                login(QStringLiteral("later"));
                QCOMPARE(m_login.cancels, 1);
            } else {
                m_login.finish();
            }
        };
        login(QStringLiteral("first"));
        QTRY_COMPARE(m_answers, (QStringList{QStringLiteral("first:false"), QStringLiteral("later:true")}));
        QCOMPARE(m_login.started, (QStringList{QStringLiteral("first"), QStringLiteral("later")}));
    }

    void waitingRequestIsReplacedBeforeItStarts()
    {
        m_login.onWaiting = [this](const QString &who) {
            if (who == QLatin1String("alpha")) {
                login(QStringLiteral("beta"));   // not five characters: answered at once
                login(QStringLiteral("gamma"));  // cancels "alpha", waits
                login(QStringLiteral("delta"));  // replaces "gamma"
            } else {
                m_login.finish();
            }
        };
        login(QStringLiteral("alpha"));
        QTRY_COMPARE(m_answers.size(), 4);
        QCOMPARE(m_answers, (QStringList{QStringLiteral("beta:false"), QStringLiteral("gamma:false"),
                                         QStringLiteral("alpha:false"), QStringLiteral("delta:true")}));
        QCOMPARE(m_login.started, (QStringList{QStringLiteral("alpha"), QStringLiteral("delta")}));
    }

    void logoutCancelsRunningLogin()
    {
        m_login.onWaiting = [this](const QString &) { m_requests->logout(); };
        login(QStringLiteral("first"));
        QTRY_COMPARE(m_answers, QStringList{QStringLiteral("first:false")});
        QCOMPARE(m_login.cancels, 1);
    }

    void logoutAnswersWaitingLogin()
    {
        // Someone else's login is at work; ours waits for its turn.
        const bool ran = sessionfixture::whileLoggingIn(QStringLiteral("fonst"), [this] {
            login(QStringLiteral("queue"));
            QVERIFY(m_requests->waiting());
            m_requests->logout();
            QCOMPARE(m_answers, QStringList{QStringLiteral("queue:false")});
            QVERIFY(!m_requests->waiting());
        });
        QVERIFY(ran);
        if (QTest::currentTestFailed())
            return;
        QTest::qWait(30);
        QVERIFY(m_login.started.isEmpty());
        // A logout with nothing running still logs out.
        const int before = m_login.cancels;
        m_requests->logout();
        QCOMPARE(m_login.cancels, before + 1);
    }

    void waitsUntilAnotherLoginHasEnded()
    {
        m_login.onWaiting = [this](const QString &) { m_login.finish(); };
        // The other login has given back its exchange but not yet said that
        // it has ended.
        int quietChecks = 0;
        const QMetaObject::Connection between =
            connect(&session(), &modGlobal::Session::loginRunningShown, this, [&](bool running) {
                if (running || !m_requests->waiting())
                    return;
                QVERIFY(!session().busy());
                QTest::qWait(50);
                QVERIFY(m_login.started.isEmpty());  // nobody has said the login ended
                ++quietChecks;
            });
        // A login from outside the queue (the window's, the start-up login) holds the session.
        const bool ran = sessionfixture::whileLoggingIn(QStringLiteral("fonst"), [this] {
            login(QStringLiteral("plugn"));
            QCOMPARE(m_login.cancels, 1);  // asked to give way
            QTest::qWait(50);
            // It has not ended yet (still holds its exchange object): nothing starts.
            QVERIFY(m_login.started.isEmpty());
            QVERIFY(m_requests->waiting());
        });
        disconnect(between);
        QVERIFY(ran);
        QCOMPARE(quietChecks, 1);
        QTRY_COMPARE(m_answers, QStringList{QStringLiteral("plugn:true")});
    }

    void waitsForALentExchange()
    {
        // A profile fetch outside a login holds an exchange of its own.
        m_site->holdRequests(kProfilePage);
        m_login.onWaiting = [this](const QString &) { m_login.finish(); };
        bool nothingStarted = false;
        m_whileHeld = [this, &nothingStarted] {
            m_site->holdRequests(kFirstLoginPage);
            login(QStringLiteral("after"));
            QTest::qWait(50);
            nothingStarted = m_login.started.isEmpty();
            m_site->release();  // the site answers the fetch
        };
        fetchProfile();
        QVERIFY2(!m_whileHeld, "the site never held the fetch");
        QVERIFY(nothingStarted);
        // The fetch has given its exchange back.
        QTRY_COMPARE(m_answers, QStringList{QStringLiteral("after:true")});
    }

    void passwordDialogIsNotInterrupted()
    {
        // A box login at its dialog has no exchange yet; a newer request waits for it.
        QStringList order;
        bool dialogOpen = true;
        LoginRequests requests(
            &session(), [&](bool box, const QString &pw) {
                const QString who = box ? QStringLiteral("box") : pw;
                order << who + QStringLiteral(" start");
                if (box) {
                    QEventLoop dialog;
                    QTimer poll;
                    QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
                        if (!dialogOpen)
                            dialog.quit();
                    });
                    poll.start(5);
                    QTimer::singleShot(0, &dialog, [&] {
                        requests.login(false, QStringLiteral("kalle"), answerTo(QStringLiteral("kalle")));
                        QTimer::singleShot(50, &dialog, [&] {
                            order << QStringLiteral("dialog closed");
                            dialogOpen = false;
                        });
                    });
                    dialog.exec();
                }
                order << who + QStringLiteral(" end");
                return true;
            },
            [&] { order << QStringLiteral("cancel"); });
        requests.login(true, QString(), answerTo(QStringLiteral("box")));
        QTRY_COMPARE(m_answers.size(), 2);
        QCOMPARE(order, (QStringList{QStringLiteral("box start"), QStringLiteral("dialog closed"),
                                     QStringLiteral("box end"), QStringLiteral("kalle start"),
                                     QStringLiteral("kalle end")}));
        QCOMPARE(m_answers, (QStringList{QStringLiteral("box:true"), QStringLiteral("kalle:true")}));
    }

    void destructionAnswersWaitingRequest()
    {
        const bool ran = sessionfixture::whileLoggingIn(QStringLiteral("fonst"), [this] {
            login(QStringLiteral("never"));
            m_requests.reset();
            QCOMPARE(m_answers, QStringList{QStringLiteral("never:false")});
        });
        QVERIFY(ran);
    }
};

QTEST_GUILESS_MAIN(LoginRequestsTest)
#include "tst_loginrequests.moc"
