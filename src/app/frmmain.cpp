#include "app/frmmain.h"

#include "app/appicon.h"
#include "app/frmdesktop.h"
#include "app/placement.h"
#include "app/prglogin.h"
#include "app/sessionprofilelink.h"
#include "app/shutdown.h"
#include "app/sttmain.h"
#include "app/windowactivation.h"
#include "help/clshelp.h"
#include "net/clsdata.h"
#include "net/site.h"
#include "plugin/imailhandlercall.h"
#include "profile/frmsetuserdata.h"
#include "session/autologin.h"
#include "session/frmlogin.h"
#include "session/session.h"
#include "settings/frmlocaloptions.h"
#include "version.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaClassInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QTimerEvent>

#include <array>

namespace {
const QString kLogoutCaption = QStringLiteral("Logga &ut");
const QString kCancelCaption = QStringLiteral("&Avbryt inloggning");
// One frame of a 60 Hz screen.
constexpr int kFrameMs = 16;

// Creates an object of one of the program's classes by its class name, as
// an automation client would; null for a name that is not ours.
std::unique_ptr<QObject> createObject(const QString &className)
{
    for (const QMetaObject *meta : {&clsHelp::staticMetaObject}) {
        const int at = meta->indexOfClassInfo("ClassName");
        if (at >= 0 && className == QLatin1String(meta->classInfo(at).value()))
            return std::unique_ptr<QObject>(meta->newInstance());
    }
    return nullptr;
}
const QString kLoggedOut = QStringLiteral("Utloggad");
} // namespace

frmMain::frmMain(modGlobal::Session *session, QWidget *parent) : QMainWindow(parent), m_session(session)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(designCaption());
    setWindowIcon(kortvikIcon());
    setFocusPolicy(Qt::StrongFocus);

    buildMenus();
    buildShortcuts();

    m_stt = new sttMain(this);
    setStatusBar(m_stt);
    connect(m_stt, &sttMain::PanelDblClick, this, &frmMain::sttMain_PanelDblClick);
    connect(m_stt, &sttMain::MouseUp, this, &frmMain::sttMain_MouseUp);

    // A child of the window, laid over panel 5 by the layout rule.
    m_prg = new prgLogin(this);
    m_prg->raise();

    buildTimers();

    m_imailHandler = new IMailHandlerCall(QDBusConnection::sessionBus(), this);
    connect(m_imailHandler, &IMailHandlerCall::noHandler, this, [this] {
        QMessageBox::information(this, QStringLiteral("Ingen plugin"),
                                 QStringLiteral("Du har ingen plugin installerad som hanterar iMails!"));
    });

    if (!m_session->view())
        m_session->setView(this);
    using modGlobal::Session;
    connect(m_session, &Session::imailCountsChanged, this, &frmMain::showIMailCounts, Qt::DirectConnection);
    // Only the window the session shows itself in follows its login.
    const auto shown = [this](auto show) {
        return [this, show](auto... args) {
            if (m_session->view() == this)
                (this->*show)(args...);
        };
    };
    connect(m_session, &Session::loggedOutShown, this, [show = shown(&frmMain::showLoggedOut)](bool) { show(); },
            Qt::DirectConnection);
    connect(m_session, &Session::loginCommandsShown, this, shown(&frmMain::showLoginCommands),
            Qt::DirectConnection);
    connect(m_session, &Session::loginStarted, this, shown(&frmMain::showLoginCancelHint), Qt::DirectConnection);
    connect(m_session, &Session::loginAttemptStarted, this, shown(&frmMain::showLoggingIn), Qt::DirectConnection);
    connect(m_session, &Session::loginRunningShown, this, shown(&frmMain::showLoginRunning), Qt::DirectConnection);
    connect(m_session, &Session::memberShown, this, shown(&frmMain::showMember), Qt::DirectConnection);
    connect(m_session, &Session::memberCommandsShown, this, shown(&frmMain::showMemberCommands),
            Qt::DirectConnection);
    connect(m_session, &Session::logoutDone, this, shown(&frmMain::layoutProgress), Qt::DirectConnection);
    connect(m_session, &modGlobal::Session::loginFailed, this, &frmMain::showLoginFailure);

    // Design placement: the design client area, centred on the screen.
    resize(designClientSize());
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

frmMain::~frmMain()
{
    if (m_session && m_session->view() == this)
        m_session->setView(nullptr);
}

QString frmMain::designCaption()
{
    return QStringLiteral("Kortvik - Interface till ") + modData::site().baseUrl();
}

QAction *frmMain::addItem(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    m_items.insert(name, action);
    return action;
}

QMenu *frmMain::addSubmenu(QMenu *menu, const QString &name, const QString &caption)
{
    QMenu *sub = menu ? menu->addMenu(caption) : menuBar()->addMenu(caption);
    sub->setObjectName(name);
    sub->menuAction()->setObjectName(name);
    m_items.insert(name, sub->menuAction());
    return sub;
}

void frmMain::buildMenus()
{
    QMenu *arkiv = addSubmenu(nullptr, QStringLiteral("mnuArkiv"), QStringLiteral("&Arkiv"));
    connect(addItem(arkiv, QStringLiteral("mnuLogin"), QStringLiteral("Logga &in...")),
            &QAction::triggered, this, &frmMain::mnuLogin_Click);
    connect(addItem(arkiv, QStringLiteral("mnuLogout"), kLogoutCaption), &QAction::triggered, this,
            &frmMain::mnuLogout_Click);
    // "&Registrera dig..." has no action of its own; the session code only
    // enables and disables it.
    addItem(arkiv, QStringLiteral("mnuRegister"), QStringLiteral("&Registrera dig..."));
    QAction *separator = arkiv->addSeparator();
    separator->setObjectName(QStringLiteral("mnuSeparator"));
    m_items.insert(separator->objectName(), separator);
    connect(addItem(arkiv, QStringLiteral("mnuQuit"), QStringLiteral("St&äng av")), &QAction::triggered,
            this, &frmMain::mnuQuit_Click);

    // The help window and the About dialog attach their handlers to these items.
    QMenu *options = addSubmenu(nullptr, QStringLiteral("mnuOptions"), QStringLiteral("&Inställningar"));
    QMenu *server = addSubmenu(options, QStringLiteral("mnuOptionsServer"), QStringLiteral("&På servern"));
    const QList<std::array<QString, 3>> editorItems = {
        {QStringLiteral("mnuOptionsNormal"), QStringLiteral("&Vanliga"), QStringLiteral("normal")},
        {QStringLiteral("mnuOptionsPersonal"), QStringLiteral("&Personligt"), QStringLiteral("personal")},
        {QStringLiteral("mnoOptionsAboutMe"), QStringLiteral("&Om mig"), QStringLiteral("about")},
        {QStringLiteral("mnoOptionsOther"), QStringLiteral("&Övrigt"), QStringLiteral("other")},
        {QStringLiteral("mnuOptionsKnowledge"), QStringLiteral("&Kunskaper"), QStringLiteral("knowledge")}};
    for (const auto &[name, text, tag] : editorItems) {
        connect(addItem(server, name, text), &QAction::triggered, this,
                [this, tag = tag] { openProfileEditor(tag); });
    }
    QMenu *local = addSubmenu(options, QStringLiteral("mnuOptionsLocal"), QStringLiteral("&På datorn"));
    connect(addItem(local, QStringLiteral("mnuOptionsLocalAuto"), QStringLiteral("&Inloggning")),
            &QAction::triggered, this, &frmMain::mnuOptionsLocalAuto_Click);
    connect(addItem(local, QStringLiteral("mnuOptionsLocalDesktop"), QStringLiteral("&Skrivbord...")),
            &QAction::triggered, this, &frmMain::mnuOptionsLocalDesktop_Click);

    QAction *imails = menuBar()->addAction(QStringLiteral("0 iMails (0 nya)"));
    imails->setObjectName(QStringLiteral("mnuIMails"));
    m_items.insert(imails->objectName(), imails);
    connect(imails, &QAction::triggered, this, &frmMain::mnuIMails_Click);

    QMenu *help = addSubmenu(nullptr, QStringLiteral("mnuHelp"), QStringLiteral("&Hjälp"));
    connect(addItem(help, QStringLiteral("mnuHelpP"), QStringLiteral("&Hjälp om Kortvik")), &QAction::triggered,
            this, &frmMain::mnuHelpP_Click);
    connect(addItem(help, QStringLiteral("mnuAbout"), QStringLiteral("Om...")), &QAction::triggered, this,
            &frmMain::mnuAbout_Click);

    // Never in the menu bar: its submenu is the status bar's popup.
    m_popup = new QMenu(QStringLiteral("Högerklick i statusrad"), this);
    m_popup->setObjectName(QStringLiteral("mnuRightClickStatus"));
    m_popup->menuAction()->setObjectName(QStringLiteral("mnuRightClickStatus"));
    m_popup->menuAction()->setVisible(false);
    m_items.insert(QStringLiteral("mnuRightClickStatus"), m_popup->menuAction());
    connect(addItem(m_popup, QStringLiteral("mnuRightClickStatusLogin"), QStringLiteral("Logga &in")),
            &QAction::triggered, this, &frmMain::mnuRightClickStatusLogin_Click);
    connect(addItem(m_popup, QStringLiteral("mnuRightClickStatusLogout"), kLogoutCaption),
            &QAction::triggered, this, &frmMain::mnuLogout_Click);
}

void frmMain::buildShortcuts()
{
    // The keys act as they go down, as the menu items' own shortcuts, shown
    // in the menus. A shortcut matches its modifiers exactly (Ctrl alone for
    // the letters); a held key does not repeat the command.
    const auto keys = [](const QList<QKeySequence> &sequences, QAction *action) {
        action->setShortcuts(sequences);
        action->setAutoRepeat(false);
    };
    QAction *login = menuItem(QStringLiteral("mnuLogin"));
    QAction *logout = menuItem(QStringLiteral("mnuLogout"));
    keys({QKeySequence(Qt::CTRL | Qt::Key_I)}, login);
    keys({QKeySequence(Qt::CTRL | Qt::Key_U)}, logout);
    // Ctrl+Q for keyboards that have no key for Ä.
    keys({QKeySequence(Qt::CTRL | Qt::Key_Adiaeresis), QKeySequence(Qt::CTRL | Qt::Key_Q)},
         menuItem(QStringLiteral("mnuQuit")));
    keys({QKeySequence(Qt::Key_F1)}, menuItem(QStringLiteral("mnuHelpP")));
    // Ctrl+U does a little more than the menu item: the key is told apart
    // from a click as it arrives at the item.
    logout->installEventFilter(this);

    // A hidden menu item's shortcut is off; the login key keeps working
    // while "Logga in..." is hidden for a running login.
    m_loginKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_I), this);
    m_loginKey->setAutoRepeat(false);
    m_loginKey->setEnabled(false);
    connect(m_loginKey, &QShortcut::activated, this, &frmMain::mnuLogin_Click);
    connect(login, &QAction::visibleChanged, this, [this, login] { m_loginKey->setEnabled(!login->isVisible()); });
}

QTimer *frmMain::addTimer(const QString &name, int interval, bool enabled, bool once)
{
    auto *timer = new QTimer(this);
    timer->setObjectName(name);
    timer->setInterval(interval);
    timer->setSingleShot(once);
    m_timers.insert(name, timer);
    if (enabled)
        m_designEnabledTimers.append(timer);
    return timer;
}

void frmMain::buildTimers()
{
    connect(addTimer(QStringLiteral("tmrMain"), 100, true, false), &QTimer::timeout, this,
            &frmMain::tmrMain_Timer);
    connect(addTimer(QStringLiteral("tmrLoadLogin"), 500, true, true), &QTimer::timeout, this,
            &frmMain::tmrLoadLogin_Timer);
    connect(addTimer(QStringLiteral("tmrCheckIMail"), 10000, true, false), &QTimer::timeout, this,
            &frmMain::tmrCheckIMail_Timer);
    connect(addTimer(QStringLiteral("tmrRightClick"), 1, false, true), &QTimer::timeout, this,
            &frmMain::tmrRightClick_Timer);
    connect(addTimer(QStringLiteral("tmrSetHelp"), 1, true, true), &QTimer::timeout, this,
            &frmMain::tmrSetHelp_Timer);
}

void frmMain::load()
{
    if (m_loaded)
        return;
    m_loaded = true;

    if (!m_session->view())
        m_session->setView(this);

    m_session->setLoggedOut();
    m_prg->setToolTip(m_stt->panelToolTip(5));
    modGlobal::restorePlacement(this);
    setWindowTitle(windowTitle() + QStringLiteral(" - Version ") + QStringLiteral(KORTVIK_VERSION_TEXT));

    for (QTimer *timer : std::as_const(m_designEnabledTimers))
        timer->start();
}

void frmMain::setVisible(bool visible)
{
    // Showing loads the window, as at design.
    if (visible && !m_loaded)
        load();
    QMainWindow::setVisible(visible);
}

void frmMain::Activate()
{
    activateTopLevel(this);
}

void frmMain::layoutProgress()
{
    const QPoint target(m_stt->x() + m_stt->panelGeometry(5).left() + 2, m_stt->y() + 3);
    if (m_prg->x() != target.x())
        m_prg->move(target.x(), m_prg->y());
    if (m_prg->y() != target.y())
        m_prg->move(m_prg->x(), target.y());

    if (m_prg->isIdle()) {
        if (m_stt->panelVisible(5)) {
            m_stt->setPanelVisible(5, false);
            m_prg->hide();
        }
    } else if (!m_stt->panelVisible(5)) {
        m_stt->setPanelVisible(5, true);
        m_prg->show();
        m_prg->raise();
    }
}

// ---- MainView ---------------------------------------------------------------

void frmMain::showLoggedOut()
{
    m_stt->setPanelText(1, kLoggedOut);
    m_stt->setPanelToolTip(1, QStringLiteral("Dubbelklicka för att logga in"));
    m_stt->setPanelText(2, kLoggedOut);
    m_stt->setPanelText(3, kLoggedOut);
    m_stt->setPanelEnabled(2, false);
    m_stt->setPanelEnabled(3, false);
    m_stt->setPanelText(4, kLoggedOut);
    m_stt->setPanelEnabled(4, false);

    setMenuEnabled(QStringLiteral("mnuOptionsServer"), false);
}

void frmMain::showLoginCommands(bool loginRunning)
{
    setMenuEnabled(QStringLiteral("mnuRegister"), true);
    showLoginRunning(loginRunning);
}

void frmMain::showLoggingIn()
{
    m_stt->setPanelText(1, QStringLiteral("Loggar in..."));
    layoutProgress();
}

void frmMain::showLoginCancelHint()
{
    m_stt->setPanelToolTip(1, QStringLiteral("Dubbelklicka för att avbryta inloggningen"));
}

void frmMain::showLoginRunning(bool running)
{
    setMenuCaption(QStringLiteral("mnuLogout"), running ? kCancelCaption : kLogoutCaption);
    setMenuVisible(QStringLiteral("mnuLogin"), !running);
}

void frmMain::showMember()
{
    // Many controls change at once; they are drawn together.
    setUpdatesEnabled(false);
    m_stt->setPanelText(4, QString::number(m_session->memberId()));
    m_stt->setPanelEnabled(4, true);
    m_stt->setPanelText(2, m_session->name());
    m_stt->setPanelText(3, m_session->alias());
    m_stt->setPanelText(1, QStringLiteral("Inloggad"));
    m_stt->setPanelEnabled(2, true);
    m_stt->setPanelEnabled(3, true);
    m_stt->setPanelToolTip(1, QStringLiteral("Dubbelklicka för att logga ut"));
    setMenuEnabled(QStringLiteral("mnuOptions"), true);
    layoutProgress();
    setUpdatesEnabled(true);
}

void frmMain::showMemberCommands(bool member)
{
    setMenuEnabled(QStringLiteral("mnuOptionsServer"), member);
    if (member)
        setMenuEnabled(QStringLiteral("mnuRegister"), false);
}

void frmMain::showLoginProgress(double value)
{
    m_prg->setValue(value);
}

void frmMain::showIMailCounts(int count, int newCount)
{
    setMenuCaption(QStringLiteral("mnuIMails"), QString::number(count) + QStringLiteral(" iMails (")
                                                    + QString::number(newCount) + QStringLiteral(" nya)"));
}

void frmMain::setMenuEnabled(const QString &name, bool enabled)
{
    if (QAction *a = menuItem(name))
        a->setEnabled(enabled);
}

void frmMain::setMenuVisible(const QString &name, bool visible)
{
    if (QAction *a = menuItem(name))
        a->setVisible(visible);
}

void frmMain::setMenuCaption(const QString &name, const QString &caption)
{
    if (QAction *a = menuItem(name))
        a->setText(caption);
}

void frmMain::setTimerEnabled(const QString &name, bool enabled)
{
    QTimer *t = timer(name);
    if (!t)
        return;
    // Enabling a running timer leaves its count alone.
    if (enabled && !t->isActive())
        t->start();
    else if (!enabled)
        t->stop();
}

QString frmMain::askPassword(const QString &reason)
{
    const QString answer = frmLogin::askPassword(this, reason);
    takeKeyboardBack();
    return answer;
}

void frmMain::takeKeyboardBack()
{
    // A window manager gives the keyboard back to the window a dialog was
    // over; without one nobody does, and the keys (Ctrl+U to cancel the
    // login that follows) would reach no window. A window the member has
    // turned to meanwhile keeps it.
    QWidget *active = QApplication::activeWindow();
    if (isVisible() && (!active || !active->isVisible()))
        activateTopLevel(this);
}

void frmMain::showLoginFailure(const QString &reason)
{
    // One box at a time: a later failure while it is up only updates it.
    if (m_failureBox) {
        m_failureBox->setText(reason);
        m_failureBox->raise();
        return;
    }
    m_failureBox = new QMessageBox(QMessageBox::Information, QStringLiteral("Inloggningen misslyckades"), reason,
                                   QMessageBox::Ok, this);
    m_failureBox->setObjectName(QStringLiteral("msgLoginFailed"));
    m_failureBox->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_failureBox, &QDialog::finished, this, &frmMain::takeKeyboardBack);
    // Not exec(): whoever started the login (a plug-in's doLogin among
    // them) gets its answer without waiting for the member's OK.
    m_failureBox->open();
}

// ---- Window events ------------------------------------------------------------

bool frmMain::event(QEvent *event)
{
    if (event->type() == QEvent::UpdateRequest) {
        m_drawDue = true;
        if (!m_frame.isActive())
            m_frame.start(kFrameMs, Qt::PreciseTimer, this);
        return true;
    }
    return QMainWindow::event(event);
}

void frmMain::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_frame.timerId()) {
        QMainWindow::timerEvent(event);
        return;
    }
    m_frame.stop();
    if (std::exchange(m_drawDue, false)) {
        QEvent draw(QEvent::UpdateRequest);
        QMainWindow::event(&draw);
    }
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (!modGlobal::quitting()) {
        // Returns only when a shut-down is already under way; that run
        // closes the window itself.
        modGlobal::shutDown();
        event->ignore();
        return;
    }
    event->accept();
}

void frmMain::keyPressEvent(QKeyEvent *event)
{
    // F1 with any modifiers; plain F1 arrives as the help item's shortcut.
    if (event->key() == Qt::Key_F1 && !event->isAutoRepeat()) {
        mnuHelpP_Click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Shortcut && watched == menuItem(QStringLiteral("mnuLogout"))) {
        keyLogout();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::keyLogout()
{
    if (m_session->loginInProgress()) {
        m_session->cancelLogin();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    m_session->setLoggedOut();
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    layoutProgress();
}

void frmMain::paintEvent(QPaintEvent *event)
{
    QMainWindow::paintEvent(event);
    layoutProgress();
}

// ---- Commands -----------------------------------------------------------------

void frmMain::mnuLogin_Click()
{
    m_session->startLogin();
}

void frmMain::mnuLogout_Click()
{
    if (m_session->loginInProgress())
        m_session->cancelLogin();
    m_session->setLoggedOut();
}

void frmMain::mnuQuit_Click()
{
    if (!modGlobal::quitting())
        modGlobal::shutDown();
}

void frmMain::mnuIMails_Click()
{
    // The box comes when no handler answers (at once when nobody owns the
    // handler's name, after 2 seconds of silence at the latest).
    m_imailHandler->open();
}

void frmMain::mnuHelpP_Click()
{
    // Late-bound, as on the help object's own interface; nothing happens
    // in the millisecond before tmrSetHelp has made the object.
    if (m_helpObject)
        QMetaObject::invokeMethod(m_helpObject.get(), "OpenHelp");
}

void frmMain::mnuAbout_Click()
{
    // Modal to this window only, so that the help window stays usable.
    if (m_about) {
        m_about->raise();
        m_about->activateWindow();
        return;
    }
    m_about = new frmAbout(this);
    m_about->setWindowModality(Qt::WindowModal);
    m_about->open();
}

void frmMain::mnuRightClickStatusLogin_Click()
{
    // The login starts from the timer, after the popup has gone.
    setTimerEnabled(QStringLiteral("tmrRightClick"), true);
}

void frmMain::sttMain_PanelDblClick(int panel)
{
    modGlobal::Session &s = *m_session;
    switch (panel) {
    case 1:
        if (!s.isLoggedIn() && !s.loginInProgress())
            s.startLogin();
        else if (s.isLoggedIn())
            s.setLoggedOut();
        else
            s.cancelLogin();  // the login sequence logs out on its own
        break;
    case 2:
    case 3:
        if (modGlobal::memberLoggedIn(*m_session))
            openProfileEditor(QStringLiteral("normal"));
        break;
    case 4:
        if (modGlobal::memberLoggedIn(*m_session))
            openProfileEditor(QString());
        break;
    default:
        break;  // panel 5 does nothing
    }
}

void frmMain::openProfileEditor(const QString &tag)
{
    // The menu is disabled for guests and logged-out members, but a
    // double click or a late trigger must not open an empty editor either.
    if (!modGlobal::memberLoggedIn(*m_session))
        return;
    frmSetUserData::openEditor(this, modGlobal::sessionProfileLink(*m_session), tag);
}

void frmMain::mnuOptionsLocalAuto_Click()
{
    frmLocalOptions::openDialog(this, QStringLiteral("login"));
}

void frmMain::mnuOptionsLocalDesktop_Click()
{
    // Started with the desktop: hidden in the tray, against the same site.
    QStringList command{QCoreApplication::applicationFilePath(), QStringLiteral("--minimized")};
    if (modData::site().authority() != QStringLiteral(KORTVIK_SITE_HOST_DEFAULT))
        command << QStringLiteral("--site") << modData::site().authority();
    frmDesktop::openDialog(this, command);
}

void frmMain::sttMain_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    if (button != Qt::RightButton)
        return;
    if (shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return;
    showStatusPopup(QPoint(m_stt->x() + x, m_stt->y() + y));
}

void frmMain::showStatusPopup(const QPoint &windowPos)
{
    // Its exec() turns the event loop; a second one would wait inside it.
    if (m_popup->isVisible())
        return;
    QAction *login = menuItem(QStringLiteral("mnuRightClickStatusLogin"));
    QAction *logout = menuItem(QStringLiteral("mnuRightClickStatusLogout"));
    const bool inProgress = m_session->loginInProgress();
    if (inProgress) {
        login->setVisible(false);
        logout->setText(kCancelCaption);
    }
    m_popup->setDefaultAction(!m_session->isLoggedIn() && !inProgress ? login : logout);
    m_popup->exec(mapToGlobal(windowPos));
    login->setVisible(true);
    logout->setText(kLogoutCaption);
}

// ---- Timers -------------------------------------------------------------------

void frmMain::tmrMain_Timer()
{
    layoutProgress();
}

void frmMain::tmrLoadLogin_Timer()
{
    timer(QStringLiteral("tmrLoadLogin"))->stop();
    QCoreApplication::processEvents();
    modGlobal::loadLogin(*m_session);
}

void frmMain::tmrCheckIMail_Timer()
{
    m_session->checkIMail();
}

void frmMain::tmrRightClick_Timer()
{
    timer(QStringLiteral("tmrRightClick"))->stop();
    m_session->startLogin();
}

void frmMain::tmrSetHelp_Timer()
{
    timer(QStringLiteral("tmrSetHelp"))->stop();
    if (!m_helpObject)
        m_helpObject = createObject(QStringLiteral("Kortvik.clsHelp"));
    // The help window opens beside this one.
    if (auto *help = qobject_cast<clsHelp *>(m_helpObject.get()))
        help->setAnchor(this);
}

void frmMain::releaseHelpObject()
{
    m_helpObject.reset();
}
