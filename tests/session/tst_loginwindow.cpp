// The login as a member meets it: the real main window and password dialog
// against the demo site.
#include "app/frmmain.h"
#include "app/prglogin.h"
#include "app/sttmain.h"
#include "net/site.h"
#include "scriptedserver.h"
#include "session/autologin.h"
#include "session/frmlogin.h"
#include "session/storedpassword.h"
#include "settings/modsettings.h"
#include "quiettimers.h"
#include "sessionfixture.h"
#include "simsite.h"
#include "testsession.h"
#include "widgetwatch.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace modGlobal;

namespace {

// Types the password into the dialog the next time it shows, and presses
// Enter or OK.
void answerDialog(const QString &password, bool pressOk = false, int *shown = nullptr)
{
    whenVisible<frmLogin>([=](frmLogin *d) {
        if (shown)
            ++*shown;
        auto *box = d->findChild<QLineEdit *>(QStringLiteral("txtPassword"));
        QTest::keyClicks(box, password);
        if (pressOk)
            d->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        else
            QTest::keyClick(box, Qt::Key_Return);
        if (d->isVisible())
            d->reject();
    });
}

// Records every value the progress bar shows while the event loop runs.
class ProgressWatch : public QObject
{
public:
    explicit ProgressWatch(prgLogin *bar) : m_bar(bar)
    {
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const float v = float(m_bar->value());
            if (seen.isEmpty() || seen.last() != v)
                seen.append(v);
        });
        seen.append(float(bar->value()));
        m_timer.start();
    }
    QList<float> seen;

private:
    prgLogin *m_bar;
    QTimer m_timer;
};

} // namespace

class TestLoginWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void memberLoginThroughTheMenu();
    void guestLoginNeverReadsTheProfile();
    void wrongPasswordBringsTheDialogBack();
    void cancelDuringAStalledRequest_data();
    void cancelDuringAStalledRequest();
    void failedLoginSaysWhy_data();
    void failedLoginSaysWhy();

private:
    std::unique_ptr<SimSite> m_sim;
    std::unique_ptr<frmMain> m_window;
    std::unique_ptr<SessionFixture> m_fixture;

    QString panel(int i) const { return m_window->statusBarPanels()->panelText(i); }
};

void TestLoginWindow::initTestCase()
{
    isolateUserFolders();
    m_sim = std::make_unique<SimSite>();
    QVERIFY2(m_sim->start(), qPrintable(m_sim->otherOutput()));
    m_sim->useAsSite();
}

void TestLoginWindow::init()
{
    m_fixture = std::make_unique<SessionFixture>();
    m_window = std::make_unique<frmMain>(&session());
    session().setView(m_window.get());
    m_window->show();
    // The keys are the window's shortcuts: they need it active.
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    // The start-up login and the 10 s iMail check are not under test here.
    quietSessionTimers(*m_window);
    QCOMPARE(panel(1), QStringLiteral("Utloggad"));
}

void TestLoginWindow::cleanup()
{
    m_fixture.reset();
    m_window.reset();
    m_sim->useAsSite();
}

void TestLoginWindow::memberLoginThroughTheMenu()
{
    ProgressWatch progress(m_window->progressBar());
    const int before = m_sim->requestLog().size();
    answerDialog(QStringLiteral("kalle"));
    m_window->menuItem(QStringLiteral("mnuLogin"))->trigger();

    QVERIFY(isLoggedIn());
    QCOMPARE(panel(1), QStringLiteral("Inloggad"));
    QCOMPARE(panel(2), QStringLiteral("Kalle Ek"));
    QCOMPARE(panel(3), QStringLiteral("Kalle & Co"));
    QCOMPARE(panel(4), QStringLiteral("1001"));
    QVERIFY(m_window->statusBarPanels()->panelEnabled(4));
    QCOMPARE(m_window->menuItem(QStringLiteral("mnuIMails"))->text(), QStringLiteral("3 iMails (1 nya)"));
    QCOMPARE(m_window->menuItem(QStringLiteral("mnuLogout"))->text(), QStringLiteral("Logga &ut"));
    QVERIFY(session().keepsAlive());
    QVERIFY(session().findChild<QTimer *>(QStringLiteral("tmrKeepLogin"))->isActive());
    QCOMPARE(m_fixture->events,
             (QList<HeardEvent>{{QStringLiteral("onLogin"), QStringLiteral("kalle"), 1001}}));

    // Every step's value was on the bar in turn, then it went back to idle.
    QCOMPARE(progress.seen, (QList<float>{0.0001f, 1.0001f, 2.0001f, 3.0001f, 4.0001f, 5.0f, 0.0001f}));
    QVERIFY(m_window->progressBar()->isIdle());

    const QStringList paths = requestPaths(m_sim->requestLog().mid(before));
    QCOMPARE(paths.mid(0, 5), (QStringList{"/cookie.asp", "/default.asp", "/login.asp", "/default.asp",
                                           "/login/register/visitkort_edit.asp"}));
    QCOMPARE(paths.last(), QStringLiteral("/login/community/main.asp"));
}

void TestLoginWindow::guestLoginNeverReadsTheProfile()
{
    const int before = m_sim->requestLog().size();
    answerDialog(QStringLiteral("BVOLK"), true);
    // Ctrl+I starts a login as the menu does.
    QTest::keyClick(m_window.get(), Qt::Key_I, Qt::ControlModifier);

    QVERIFY(isLoggedIn());
    QCOMPARE(panel(1), QStringLiteral("Inloggad"));
    QCOMPARE(panel(2), QStringLiteral("Gäst "));
    QCOMPARE(panel(3), QStringLiteral("Gäst"));
    QCOMPARE(panel(4), QStringLiteral("0"));
    QVERIFY(!m_window->menuItem(QStringLiteral("mnuOptionsServer"))->isEnabled());
    QVERIFY(m_window->progressBar()->isIdle());
    const QStringList paths = requestPaths(m_sim->requestLog().mid(before));
    QCOMPARE(paths.mid(0, 4), (QStringList{"/cookie.asp", "/default.asp", "/login.asp", "/default.asp"}));
    QVERIFY(!paths.contains(QStringLiteral("/login/register/visitkort_edit.asp")));
}

void TestLoginWindow::wrongPasswordBringsTheDialogBack()
{
    int shown = 0;
    whenVisible<frmLogin>([&](frmLogin *d) {
        ++shown;
        auto *box = d->findChild<QLineEdit *>(QStringLiteral("txtPassword"));
        QTest::keyClicks(box, QStringLiteral("fel99"));
        // The rejected login asks again, with an empty box.
        answerDialog(QStringLiteral("anna5"), true, &shown);
        QTest::keyClick(box, Qt::Key_Return);
    });
    m_window->menuItem(QStringLiteral("mnuLogin"))->trigger();

    QCOMPARE(shown, 2);
    QVERIFY(isLoggedIn());
    QCOMPARE(panel(2), QStringLiteral("Anna Berg"));
    QCOMPARE(panel(4), QStringLiteral("1002"));
}

void TestLoginWindow::cancelDuringAStalledRequest_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("double click on panel 1") << "double-click";
    QTest::newRow("Ctrl+U") << "ctrl-u";
    QTest::newRow("menu") << "menu";
}

void TestLoginWindow::cancelDuringAStalledRequest()
{
    QFETCH(QString, how);
    SimSite stalling({QStringLiteral("--stall"), QStringLiteral("/login.asp")});
    QVERIFY(stalling.start());
    stalling.useAsSite();

    QString captionWhileWaiting;
    bool cancelled = false;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, [&] {
        if (cancelled || !requestPaths(stalling.requestLog()).contains(QStringLiteral("/login.asp")))
            return;
        cancelled = true;
        captionWhileWaiting = m_window->menuItem(QStringLiteral("mnuLogout"))->text();
        if (how == QLatin1String("double-click")) {
            sttMain *stt = m_window->statusBarPanels();
            QTest::mouseDClick(stt, Qt::LeftButton, {}, stt->panelGeometry(1).center());
        } else if (how == QLatin1String("ctrl-u")) {
            // The window has the keyboard back from the password dialog.
            QTRY_VERIFY(m_window->isActiveWindow());
            QTest::keyClick(m_window.get(), Qt::Key_U, Qt::ControlModifier);
        } else {
            m_window->menuItem(QStringLiteral("mnuLogout"))->trigger();
        }
    });
    poll.start();
    answerDialog(QStringLiteral("kalle"));
    m_window->menuItem(QStringLiteral("mnuLogin"))->trigger();
    poll.stop();

    QVERIFY(cancelled);
    QCOMPARE(captionWhileWaiting, QStringLiteral("&Avbryt inloggning"));
    QVERIFY(!isLoggedIn());
    QVERIFY(!session().loginInProgress());
    QCOMPARE(panel(1), QStringLiteral("Utloggad"));
    QCOMPARE(m_window->menuItem(QStringLiteral("mnuLogout"))->text(), QStringLiteral("Logga &ut"));
    QVERIFY(m_window->menuItem(QStringLiteral("mnuLogin"))->isVisible());
    QVERIFY(m_window->progressBar()->isIdle());
    QVERIFY(m_fixture->events.isEmpty());
    // A cancel is the member's own doing: no box says why.
    QVERIFY(!m_window->findChild<QMessageBox *>());
    // No request after the one that stalled.
    QTest::qWait(200);
    QCOMPARE(requestPaths(stalling.requestLog()), (QStringList{"/cookie.asp", "/default.asp", "/login.asp"}));
}

void TestLoginWindow::failedLoginSaysWhy_data()
{
    QTest::addColumn<QString>("how");       // who starts the login
    QTest::addColumn<QString>("site");      // "sim", "closed" (nothing listens), "blank" (empty pages)
    QTest::addColumn<QStringList>("dialog");  // each showing: "the line above the box|typed" ("" typed cancels)
    QTest::addColumn<bool>("box");          // "Kan inte nå Sandlund (host:port)." in a box
    QTest::addColumn<bool>("loggedIn");

    const QString notReached = QStringLiteral("Kan inte nå Sandlund (%1).");
    QTest::newRow("wrong password, then the right one")
        << "menu" << "sim" << QStringList{"|fel99", "Fel lösenord.|fel88", "Fel lösenord.|anna5"} << false << true;
    QTest::newRow("site not reached, Ctrl+I") << "ctrl+i" << "closed" << QStringList{"|kalle"} << true << false;
    QTest::newRow("plug-in's dialog, site not reached")
        << "doLogin(true)" << "closed" << QStringList{"|kalle"} << true << false;
    // An empty login page brings the dialog back: the site failed, not the password.
    QTest::newRow("empty pages") << "menu" << "blank" << QStringList{"|kalle", notReached + u'|'} << false << false;
    QTest::newRow("cancelled") << "menu" << "closed" << QStringList{"|"} << false << false;
    // Nobody typed these passwords: false and "Utloggad", as before.
    QTest::newRow("plug-in, site not reached") << "doLogin(false)" << "closed" << QStringList{} << false << false;
    QTest::newRow("plug-in, wrong password") << "doLogin(false)" << "sim" << QStringList{"|"} << false << false;
    QTest::newRow("start-up, site not reached") << "start-up" << "closed" << QStringList{} << false << false;
    QTest::newRow("plug-in's password rejected, the member's right")
        << "doLogin(false)" << "sim" << QStringList{"|kalle"} << false << true;
}

void TestLoginWindow::failedLoginSaysWhy()
{
    QFETCH(QString, how);
    QFETCH(QString, site);
    QFETCH(QStringList, dialog);
    QFETCH(bool, box);
    QFETCH(bool, loggedIn);

    ScriptedServer blank;
    blank.setScript({ScriptedServer::send(httpAnswer(QByteArray())), ScriptedServer::close()});
    if (site == QLatin1String("closed"))
        modData::configureSite(QStringLiteral("127.0.0.1:9"));
    else if (site == QLatin1String("blank") && blank.listen())
        blank.useAsSite();
    const QString notReached = QStringLiteral("Kan inte nå Sandlund (%1).").arg(modData::site().authority());

    QStringList seen;  // as in the dialog column
    std::function<void()> answerNext = [&] {
        whenVisible<frmLogin>([&](frmLogin *d) {
            const auto *reason = d->findChild<QLabel *>(QStringLiteral("lblReason"));
            const QString typed = dialog.value(seen.size()).section(u'|', 1);
            seen << (reason->isVisible() ? reason->text() : QString()) + u'|' + typed;
            auto *line = d->findChild<QLineEdit *>(QStringLiteral("txtPassword"));
            QTest::keyClicks(line, typed);
            typed.isEmpty() ? d->reject() : QTest::keyClick(line, Qt::Key_Return);
            if (seen.size() < dialog.size())
                answerNext();  // at the next showing
        });
    };
    if (!dialog.isEmpty())
        answerNext();

    if (how == QLatin1String("menu")) {
        m_window->menuItem(QStringLiteral("mnuLogin"))->trigger();
    } else if (how == QLatin1String("ctrl+i")) {
        QTest::keyClick(m_window.get(), Qt::Key_I, Qt::ControlModifier);
    } else if (how.startsWith(QLatin1String("doLogin"))) {
        // The plug-in's password is wrong for the demo site.
        QCOMPARE(m_fixture->server.doLogin(how == QLatin1String("doLogin(true)"), QStringLiteral("zzzzz")), loggedIn);
    } else {
        const QString section = QStringLiteral("autologin");
        modSettings::writeSetting(section, QStringLiteral("logintype"), QStringLiteral("lastlogin"));
        modSettings::writeSetting(section, QStringLiteral("lastlogin"), sealPassword(QStringLiteral("kalle")));
        loadLogin(session());
    }

    QCOMPARE(seen, dialog.replaceInStrings(QStringLiteral("%1"), modData::site().authority()));
    QCOMPARE(isLoggedIn(), loggedIn);
    QCOMPARE(panel(1), loggedIn ? QStringLiteral("Inloggad") : QStringLiteral("Utloggad"));
    // Up, once, by the time the login has ended.
    auto *shown = m_window->findChild<QMessageBox *>();
    QCOMPARE(shown && shown->isVisible(), box);
    if (box) {
        QCOMPARE(shown->windowTitle() + u'|' + shown->text(), QStringLiteral("Inloggningen misslyckades|") + notReached);
        QVERIFY(shown->icon() == QMessageBox::Information && shown->standardButtons() == QMessageBox::Ok);
        shown->button(QMessageBox::Ok)->click();
    }
}

QTEST_MAIN(TestLoginWindow)
#include "tst_loginwindow.moc"
