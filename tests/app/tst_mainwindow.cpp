#include "quiettimers.h"
#include "sessionfixture.h"
#include "app/frmmain.h"
#include "app/prglogin.h"
#include "app/sttmain.h"
#include "net/site.h"
#include "plugin/clsmainserver.h"
#include "session/frmlogin.h"
#include "testsession.h"
#include "settings/modsettings.h"
#include "isolatedhome.h"
#include "version.h"
#include "widgetwatch.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>


namespace {

QPoint panelCenter(sttMain *stt, int panel)
{
    return stt->panelGeometry(panel).center();
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void captionAfterLoad();
    void menus_data();
    void menus();
    void menuOrder_data();
    void menuOrder();
    void panelsAfterLoad();
    void timersAfterLoad_data();
    void timersAfterLoad();
    void progressShowsAndHidesPanel5();
    void progressValueRange_data();
    void progressValueRange();
    void shortcuts_data();
    void shortcuts();
    void loginCommandsAskForPassword_data();
    void loginCommandsAskForPassword();
    void panel1DoubleClick_data();
    void panel1DoubleClick();
    void popupDefaultItemAndRestore_data();
    void popupDefaultItemAndRestore();
    void popupNeedsPlainRightButton_data();
    void popupNeedsPlainRightButton();
    void popupLoginStartsAfterPopupCloses();
    void logoutMenuCancelsLogin();
    void imailsMenuShowsNoPluginBox();

private:
    void showLoggedIn();
    // Runs body with the session "in" (logged in), "out" or in a "login"
    // that waits for the site; such a login ends after body.
    void inState(const QString &state, const std::function<void()> &body);
    void popupShowsTheState(const QString &state, const QString &defaultItem, bool loginShown,
                            const QString &logoutCaption);
    void quietTimers();

    IsolatedHome m_home;
    std::unique_ptr<clsMainServer> m_server;
    std::unique_ptr<frmMain> m_window;
};

void tst_MainWindow::initTestCase()
{
    QVERIFY(m_home.isValid());
    modSettings::overrideProgramFolder(m_home.path());
    modData::configureSite(QStringLiteral("127.0.0.1:9"));
}

void tst_MainWindow::init()
{
    resetSession();
    m_server = std::make_unique<clsMainServer>(&session());
    m_window = std::make_unique<frmMain>(&session());
}

void tst_MainWindow::cleanup()
{
    if (frmLogin *login = frmLogin::instance())
        login->reject();
    m_window.reset();
    m_server.reset();
    resetSession();
}

// The session's start-up and iMail timers would go to the (absent) site;
// the tests drive the window by hand.
void tst_MainWindow::quietTimers()
{
    quietSessionTimers(*m_window);
}

void tst_MainWindow::showLoggedIn()
{
    sandlundSim::SimMember anna = sessionfixture::member(QStringLiteral("abcde"), 4711);
    anna.firstname = QStringLiteral("Anna");
    anna.lastname = QStringLiteral("Berg");
    anna.sign = QStringLiteral("annab");
    QVERIFY(sessionfixture::logIn(anna.password, anna));
    // The keep-alive and iMail timers the login started would go to a site
    // that is gone.
    quietTimers();
    QCOMPARE(m_window->statusBarPanels()->panelText(1), QStringLiteral("Inloggad"));
}

void tst_MainWindow::inState(const QString &state, const std::function<void()> &body)
{
    if (state == QLatin1String("login")) {
        QVERIFY(sessionfixture::whileLoggingIn(QStringLiteral("abcde"), body));
        return;
    }
    if (state == QLatin1String("in") && !session().isLoggedIn())
        showLoggedIn();
    body();
}

void tst_MainWindow::captionAfterLoad()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Kortvik - Interface till http://127.0.0.1:9"));
    m_window->load();
    const QString version = QStringLiteral("%1.%2.%3")
                                .arg(KORTVIK_VERSION_MAJOR)
                                .arg(KORTVIK_VERSION_MINOR)
                                .arg(KORTVIK_VERSION_REVISION);
    QCOMPARE(m_window->windowTitle(),
             QStringLiteral("Kortvik - Interface till http://127.0.0.1:9 - Version ") + version);
    // Loading twice (show after an explicit load) does not append again.
    m_window->show();
    QVERIFY(m_window->windowTitle().endsWith(QStringLiteral(" - Version ") + version));
    QCOMPARE(m_window->windowTitle().count(QStringLiteral("Version")), 1);
    QCOMPARE(m_window->windowIcon().isNull(), false);
}

void tst_MainWindow::menus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("parent");  // "" for the menu bar
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("visible");

    const QString bar;
    auto row = [](const char *name, const char *caption, const QString &parent, bool enabled = true,
                  bool visible = true) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(caption) << parent << enabled
                            << visible;
    };
    const QString arkiv = QStringLiteral("mnuArkiv");
    const QString options = QStringLiteral("mnuOptions");
    const QString server = QStringLiteral("mnuOptionsServer");
    const QString local = QStringLiteral("mnuOptionsLocal");
    const QString help = QStringLiteral("mnuHelp");
    const QString popup = QStringLiteral("mnuRightClickStatus");
    row("mnuArkiv", "&Arkiv", bar);
    row("mnuLogin", "Logga &in...", arkiv);
    row("mnuLogout", "Logga &ut", arkiv);
    row("mnuRegister", "&Registrera dig...", arkiv);
    row("mnuSeparator", "", arkiv);
    row("mnuQuit", "St&äng av", arkiv);
    row("mnuOptions", "&Inställningar", bar);
    // The logged-out state of the load disables the server settings.
    row("mnuOptionsServer", "&På servern", options, false);
    row("mnuOptionsNormal", "&Vanliga", server);
    row("mnuOptionsPersonal", "&Personligt", server);
    row("mnoOptionsAboutMe", "&Om mig", server);
    row("mnoOptionsOther", "&Övrigt", server);
    row("mnuOptionsKnowledge", "&Kunskaper", server);
    row("mnuOptionsLocal", "&På datorn", options);
    row("mnuOptionsLocalAuto", "&Inloggning", local);
    row("mnuIMails", "0 iMails (0 nya)", bar);
    row("mnuHelp", "&Hjälp", bar);
    row("mnuHelpP", "&Hjälp om Kortvik", help);
    row("mnuAbout", "Om...", help);
    row("mnuRightClickStatusLogin", "Logga &in", popup);
    row("mnuRightClickStatusLogout", "Logga &ut", popup);
}

void tst_MainWindow::menus()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, parent);
    QFETCH(bool, enabled);
    QFETCH(bool, visible);

    m_window->load();
    auto *action = m_window->findChild<QAction *>(name);
    QVERIFY2(action, qPrintable(name));
    QCOMPARE(action->text(), caption);
    QCOMPARE(action->isEnabled(), enabled);
    QCOMPARE(action->isVisible(), visible);
    QCOMPARE(action->isSeparator(), name == QLatin1String("mnuSeparator"));

    if (parent.isEmpty()) {
        QVERIFY(m_window->menuBar()->actions().contains(action));
    } else {
        auto *menu = m_window->findChild<QMenu *>(parent);
        QVERIFY2(menu, qPrintable(parent));
        QVERIFY(menu->actions().contains(action));
        QVERIFY(!m_window->menuBar()->actions().contains(action));
    }
    // Submenus are QMenus of the same name behind their menu action.
    if (auto *menu = m_window->findChild<QMenu *>(name))
        QCOMPARE(menu->menuAction(), action);
}

void tst_MainWindow::menuOrder_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("menu bar") << QString()
                              << QStringList{"mnuArkiv", "mnuOptions", "mnuIMails", "mnuHelp"};
    QTest::newRow("Arkiv") << QStringLiteral("mnuArkiv")
                           << QStringList{"mnuLogin", "mnuLogout", "mnuRegister", "mnuSeparator", "mnuQuit"};
    QTest::newRow("Inställningar") << QStringLiteral("mnuOptions")
                                   << QStringList{"mnuOptionsServer", "mnuOptionsLocal"};
    QTest::newRow("På servern") << QStringLiteral("mnuOptionsServer")
                                << QStringList{"mnuOptionsNormal", "mnuOptionsPersonal", "mnoOptionsAboutMe",
                                               "mnoOptionsOther", "mnuOptionsKnowledge"};
    QTest::newRow("Hjälp") << QStringLiteral("mnuHelp") << QStringList{"mnuHelpP", "mnuAbout"};
    QTest::newRow("status bar popup") << QStringLiteral("mnuRightClickStatus")
                                      << QStringList{"mnuRightClickStatusLogin", "mnuRightClickStatusLogout"};
}

void tst_MainWindow::menuOrder()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, items);
    const QList<QAction *> actions =
        menu.isEmpty() ? m_window->menuBar()->actions() : m_window->findChild<QMenu *>(menu)->actions();
    QStringList names;
    for (QAction *a : actions)
        names << a->objectName();
    QCOMPARE(names, items);
}

void tst_MainWindow::panelsAfterLoad()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    sttMain *stt = m_window->findChild<sttMain *>(QStringLiteral("sttMain"));
    QVERIFY(stt);
    QCOMPARE(stt, m_window->statusBar());

    const QStringList texts{"Utloggad", "Utloggad", "Utloggad", "Utloggad", ""};
    const QStringList tips{"Dubbelklicka för att logga in", "Ditt namn på Sandlund", "Ditt alias på Sandlund",
                           "Ditt ID på Sandlund", "Status för inloggningen"};
    const QList<bool> enabled{true, false, false, false, true};
    const QList<bool> visible{true, true, true, true, false};
    for (int i = 1; i <= 5; ++i) {
        auto *label = stt->findChild<QLabel *>(QStringLiteral("panel%1").arg(i));
        QVERIFY(label);
        QCOMPARE(stt->panelText(i), texts[i - 1]);
        QCOMPARE(label->text(), texts[i - 1]);
        QCOMPARE(stt->panelToolTip(i), tips[i - 1]);
        QCOMPARE(stt->panelEnabled(i), enabled[i - 1]);
        QCOMPARE(stt->panelVisible(i), visible[i - 1]);
    }
    auto *bar = m_window->findChild<prgLogin *>(QStringLiteral("prgLogin"));
    QVERIFY(bar);
    QCOMPARE(bar->toolTip(), QStringLiteral("Status för inloggningen"));
    QCOMPARE(bar->value(), double(0.0001f));
    QVERIFY(!bar->isVisible());
    QCOMPARE(bar->size(), QSize(64, 14));
}

void tst_MainWindow::timersAfterLoad_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("once");
    QTest::newRow("tmrMain") << "tmrMain" << 100 << true << false;
    QTest::newRow("tmrLoadLogin") << "tmrLoadLogin" << 500 << true << true;
    QTest::newRow("tmrCheckIMail") << "tmrCheckIMail" << 10000 << true << false;
    QTest::newRow("tmrKeepLogin") << "tmrKeepLogin" << 30000 << false << false;
    QTest::newRow("tmrRightClick") << "tmrRightClick" << 1 << false << true;
    QTest::newRow("tmrSetHelp") << "tmrSetHelp" << 1 << true << true;
}

void tst_MainWindow::timersAfterLoad()
{
    QFETCH(QString, name);
    QFETCH(int, interval);
    QFETCH(bool, active);
    QFETCH(bool, once);

    // The keep-alive's timer is the session's.
    auto *timer = m_window->findChild<QTimer *>(name);
    if (!timer)
        timer = session().findChild<QTimer *>(name);
    QVERIFY(timer);
    QVERIFY2(!timer->isActive(), "timers run only once the window is loaded");
    m_window->load();
    QCOMPARE(timer->interval(), interval);
    QCOMPARE(timer->isActive(), active);
    QCOMPARE(timer->isSingleShot(), once);
    QCOMPARE(m_window->findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly).size(), 5);
}

void tst_MainWindow::progressShowsAndHidesPanel5()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    quietTimers();
    sttMain *stt = m_window->statusBarPanels();
    prgLogin *bar = m_window->progressBar();
    QTimer *tmrMain = m_window->timer(QStringLiteral("tmrMain"));
    QSignalSpy tick(tmrMain, &QTimer::timeout);

    QVERIFY(!stt->panelVisible(5));
    m_window->showLoginProgress(1.0001);
    QVERIFY(tick.wait(2000));
    QVERIFY(stt->panelVisible(5));
    QVERIFY(bar->isVisible());

    // After the status bar has laid out the shown panel, the bar sits 2 pixels
    // into panel 5 and 3 below the status bar's top.
    QVERIFY(tick.wait(2000));
    const QPoint expected(stt->x() + stt->panelGeometry(5).left() + 2, stt->y() + 3);
    QCOMPARE(bar->pos(), expected);
    QVERIFY(stt->panelGeometry(5).width() >= bar->width() + 2);

    m_window->showLoginProgress(0.0001);
    QVERIFY(tick.wait(2000));
    QVERIFY(!stt->panelVisible(5));
    QVERIFY(!bar->isVisible());
}

void tst_MainWindow::progressValueRange_data()
{
    QTest::addColumn<double>("set");
    QTest::addColumn<double>("expected");
    QTest::addColumn<bool>("idle");
    QTest::newRow("idle") << 0.0001 << double(0.0001f) << true;
    QTest::newRow("step one") << 1.0001 << double(1.0001f) << false;
    QTest::newRow("full") << 5.0 << 5.0 << false;
    QTest::newRow("below the minimum") << 0.0 << double(0.0001f) << true;
    QTest::newRow("above the maximum") << 7.5 << 5.0 << false;
}

void tst_MainWindow::progressValueRange()
{
    QFETCH(double, set);
    QFETCH(double, expected);
    QFETCH(bool, idle);
    prgLogin bar;
    bar.setValue(set);
    QCOMPARE(bar.value(), expected);
    QCOMPARE(bar.isIdle(), idle);
    QVERIFY(bar.QProgressBar::value() >= bar.minimum());
    QVERIFY(bar.QProgressBar::value() <= bar.maximum());
}

void tst_MainWindow::shortcuts_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("state");   // "in", "out", "login" (a login is running)
    QTest::addColumn<QString>("effect");  // "acts" (logs out, cancels), "dialog" (a login asks), "nothing"

    const auto row = [](const char *name, Qt::Key key, Qt::KeyboardModifiers mods, const char *state,
                        const char *effect) {
        QTest::newRow(name) << int(key) << mods << QString::fromLatin1(state) << QString::fromLatin1(effect);
    };
    const auto ctrl = Qt::KeyboardModifiers(Qt::ControlModifier);
    row("Ctrl+U", Qt::Key_U, ctrl, "in", "acts");
    row("Ctrl+U during a login", Qt::Key_U, ctrl, "login", "acts");
    row("Ctrl+Shift+U", Qt::Key_U, ctrl | Qt::ShiftModifier, "in", "nothing");
    row("Ctrl+Alt+U", Qt::Key_U, ctrl | Qt::AltModifier, "in", "nothing");
    row("U alone", Qt::Key_U, {}, "in", "nothing");
    row("Ctrl+I", Qt::Key_I, ctrl, "out", "dialog");
    // "Logga in..." is hidden then, and its own shortcut with it.
    row("Ctrl+I during a login", Qt::Key_I, ctrl, "login", "dialog");
    row("Ctrl+Shift+I", Qt::Key_I, ctrl | Qt::ShiftModifier, "out", "nothing");
}

void tst_MainWindow::shortcuts()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, state);
    QFETCH(QString, effect);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    quietTimers();
    QSignalSpy logout(m_server.get(), &clsMainServer::onLogout);
    ModalWatcher dialogs([](QWidget *w) { qobject_cast<QDialog *>(w)->reject(); });

    // The key acts as it goes down; letting go of it does nothing more.
    for (const bool press : {true, false}) {
        inState(state, [&] {
            press ? QTest::keyPress(m_window.get(), Qt::Key(key), modifiers)
                  : QTest::keyRelease(m_window.get(), Qt::Key(key), modifiers);
            const bool acted = press && effect != QLatin1String("nothing");
            QCOMPARE(logout.size(), state == QLatin1String("in") && effect != QLatin1String("nothing") ? 1 : 0);
            QCOMPARE(session().isLoggedIn(), state == QLatin1String("in") && !acted);
            QCOMPARE(session().loginInProgress(), state == QLatin1String("login") && !acted);
        });
        // A login asked for during a login starts once that one has ended.
        QTRY_COMPARE(dialogs.seen, effect == QLatin1String("dialog") ? 1 : 0);
    }
}

void tst_MainWindow::loginCommandsAskForPassword_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("Ctrl+I") << "ctrl+i";
    QTest::newRow("Logga in...") << "mnuLogin";
    QTest::newRow("double-click on panel 1") << "panel1";
}

void tst_MainWindow::loginCommandsAskForPassword()
{
    QFETCH(QString, command);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    quietTimers();
    showLoggedIn();
    QSignalSpy logout(m_server.get(), &clsMainServer::onLogout);

    QString title;
    ModalWatcher watcher([&](QWidget *w) {
        title = w->windowTitle();
        if (auto *dialog = qobject_cast<QDialog *>(w))
            dialog->reject();
    });

    if (command == QLatin1String("ctrl+i")) {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(m_window.get(), Qt::Key_I, Qt::ControlModifier);
    } else if (command == QLatin1String("mnuLogin")) {
        m_window->menuItem(command)->trigger();
    } else {
        // From the logged-in state a double-click logs out; the second one logs in.
        sttMain *stt = m_window->statusBarPanels();
        QTest::mouseDClick(stt, Qt::LeftButton, {}, panelCenter(stt, 1));
        QCOMPARE(logout.size(), 1);
        QCOMPARE(watcher.seen, 0);
        QTest::mouseDClick(stt, Qt::LeftButton, {}, panelCenter(stt, 1));
    }
    QCOMPARE(watcher.seen, 1);
    QCOMPARE(title, QStringLiteral("Kortvik - Logga in"));
    // The login starts from the logged-out state; a cancelled prompt ends it.
    QCOMPARE(logout.size(), 1);
    QVERIFY(!session().isLoggedIn());
    QVERIFY(!session().loginInProgress());
    QCOMPARE(session().password(), QString());
}

void tst_MainWindow::panel1DoubleClick_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("panel");
    QTest::addColumn<bool>("expectLogout");
    QTest::addColumn<QString>("panel1After");
    QTest::newRow("logged in: panel 1 logs out") << "in" << 1 << true << "Utloggad";
    // Cancel only: the login sequence itself ends in the logged-out state.
    QTest::newRow("logging in: panel 1 cancels without logging out") << "login" << 1 << false << "Loggar in...";
    QTest::newRow("logged in: panel 5 does nothing") << "in" << 5 << false << "Inloggad";
    QTest::newRow("logging in: panel 4 does nothing") << "login" << 4 << false << "Loggar in...";
}

void tst_MainWindow::panel1DoubleClick()
{
    QFETCH(QString, state);
    QFETCH(int, panel);
    QFETCH(bool, expectLogout);
    QFETCH(QString, panel1After);

    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    quietTimers();
    inState(state, [&] {
        // Panel 5 only shows while there is progress to show.
        m_window->showLoginProgress(2.0001);
        m_window->layoutProgress();
        QTRY_VERIFY(m_window->statusBarPanels()->panelGeometry(5).width() > 0);
        QSignalSpy logout(m_server.get(), &clsMainServer::onLogout);

        sttMain *stt = m_window->statusBarPanels();
        QTest::mouseDClick(stt, Qt::LeftButton, {}, panelCenter(stt, panel));
        QCOMPARE(logout.size(), expectLogout ? 1 : 0);
        QCOMPARE(stt->panelText(1), panel1After);
        if (state == QLatin1String("login"))
            QCOMPARE(session().loginInProgress(), panel != 1);
    });
}

void tst_MainWindow::popupDefaultItemAndRestore_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("defaultItem");
    QTest::addColumn<bool>("loginShown");
    QTest::addColumn<QString>("logoutCaption");
    QTest::newRow("logged out") << "out" << "mnuRightClickStatusLogin" << true << "Logga &ut";
    QTest::newRow("logging in") << "login" << "mnuRightClickStatusLogout" << false << "&Avbryt inloggning";
    QTest::newRow("logged in") << "in" << "mnuRightClickStatusLogout" << true << "Logga &ut";
}

void tst_MainWindow::popupDefaultItemAndRestore()
{
    QFETCH(QString, state);
    QFETCH(QString, defaultItem);
    QFETCH(bool, loginShown);
    QFETCH(QString, logoutCaption);

    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    quietTimers();
    inState(state, [&] { popupShowsTheState(state, defaultItem, loginShown, logoutCaption); });
}

void tst_MainWindow::popupShowsTheState(const QString &state, const QString &defaultItem, bool loginShown,
                                        const QString &logoutCaption)
{
    QAction *login = m_window->menuItem(QStringLiteral("mnuRightClickStatusLogin"));
    QAction *logout = m_window->menuItem(QStringLiteral("mnuRightClickStatusLogout"));
    QString shownDefault;
    bool shownLogin = false;
    QString shownCaption;
    QPoint shownAt;
    ModalWatcher watcher([&](QWidget *w) {
        auto *menu = qobject_cast<QMenu *>(w);
        if (!menu)
            return;
        shownDefault = menu->defaultAction() ? menu->defaultAction()->objectName() : QString();
        shownLogin = login->isVisible();
        shownCaption = logout->text();
        shownAt = menu->pos();
        menu->close();
    });

    sttMain *stt = m_window->statusBarPanels();
    const QPoint click(40, 5);
    QTest::mouseClick(stt, Qt::RightButton, {}, click);
    QCOMPARE(watcher.seen, 1);
    QCOMPARE(shownDefault, defaultItem);
    QCOMPARE(shownLogin, loginShown);
    QCOMPARE(shownCaption, logoutCaption);
    QCOMPARE(shownAt, stt->mapToGlobal(click));

    // Whatever was chosen, both items come back as at design.
    QVERIFY(login->isVisible());
    QCOMPARE(logout->text(), QStringLiteral("Logga &ut"));
    QCOMPARE(session().loginInProgress(), state == QLatin1String("login"));
}

void tst_MainWindow::popupNeedsPlainRightButton_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("popup");
    QTest::newRow("right") << Qt::RightButton << Qt::KeyboardModifiers() << true;
    QTest::newRow("Shift+right") << Qt::RightButton << Qt::KeyboardModifiers(Qt::ShiftModifier) << false;
    QTest::newRow("Ctrl+right") << Qt::RightButton << Qt::KeyboardModifiers(Qt::ControlModifier) << false;
    QTest::newRow("Alt+right") << Qt::RightButton << Qt::KeyboardModifiers(Qt::AltModifier) << false;
    QTest::newRow("left") << Qt::LeftButton << Qt::KeyboardModifiers() << false;
}

void tst_MainWindow::popupNeedsPlainRightButton()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, popup);

    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    quietTimers();
    QSignalSpy shown(m_window->statusPopup(), &QMenu::aboutToShow);
    // Closes a popup that should not be there, so the test cannot hang on it.
    ModalWatcher watcher([](QWidget *w) { w->close(); });
    QTest::mouseClick(m_window->statusBarPanels(), button, modifiers, QPoint(30, 5));
    QCOMPARE(shown.size(), popup ? 1 : 0);
}

void tst_MainWindow::popupLoginStartsAfterPopupCloses()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    quietTimers();
    QTimer *rightClick = m_window->timer(QStringLiteral("tmrRightClick"));

    bool popupGoneWhenAsked = false;
    int dialogs = 0;
    std::unique_ptr<ModalWatcher> loginWatcher;
    ModalWatcher popupWatcher([&](QWidget *w) {
        auto *menu = qobject_cast<QMenu *>(w);
        QVERIFY(menu);
        m_window->menuItem(QStringLiteral("mnuRightClickStatusLogin"))->trigger();
        // Choosing the item only arms the timer.
        QVERIFY(rightClick->isActive());
        menu->close();
        loginWatcher = std::make_unique<ModalWatcher>([&](QWidget *dialog) {
            ++dialogs;
            popupGoneWhenAsked = !m_window->statusPopup()->isVisible();
            if (auto *d = qobject_cast<QDialog *>(dialog))
                d->reject();
        });
    });
    QTest::mouseClick(m_window->statusBarPanels(), Qt::RightButton, {}, QPoint(30, 5));
    QCOMPARE(popupWatcher.seen, 1);
    QTRY_COMPARE(dialogs, 1);
    QVERIFY(popupGoneWhenAsked);
    QVERIFY(!rightClick->isActive());
}

void tst_MainWindow::logoutMenuCancelsLogin()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    quietTimers();
    QVERIFY(sessionfixture::whileLoggingIn(QStringLiteral("abcde"), [this] {
        m_window->menuItem(QStringLiteral("mnuLogout"))->trigger();
        QVERIFY(!session().loginInProgress());
    }));
    QCOMPARE(m_window->statusBarPanels()->panelText(1), QStringLiteral("Utloggad"));

    showLoggedIn();
    QSignalSpy logout(m_server.get(), &clsMainServer::onLogout);
    m_window->menuItem(QStringLiteral("mnuRightClickStatusLogout"))->trigger();
    QCOMPARE(logout.size(), 1);
    QVERIFY(!session().isLoggedIn());
}

void tst_MainWindow::imailsMenuShowsNoPluginBox()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    quietTimers();
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    ModalWatcher watcher([&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->accept();
    });
    m_window->menuItem(QStringLiteral("mnuIMails"))->trigger();
    // Nobody owns the handler name: the bus says so at once, then the box.
    QTRY_COMPARE(watcher.seen, 1);
    QCOMPARE(title, QStringLiteral("Ingen plugin"));
    QCOMPARE(text, QStringLiteral("Du har ingen plugin installerad som hanterar iMails!"));
    QCOMPARE(icon, QMessageBox::Information);
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
