#include "app/desktopintegration.h"

#include "app/frmmain.h"
#include "desktop/desktopnotices.h"
#include "desktop/kortviktray.h"
#include "desktop/networkwatcher.h"
#include "desktop/notificationclient.h"
#include "desktop/sleepwatcher.h"
#include "imail/imaillist.h"
#include "session/session.h"

#include <QAction>
#include <QDBusConnection>
#include <QScopeGuard>

DesktopIntegration::DesktopIntegration(frmMain *window, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_tray(new KortvikTray(this))
    , m_notices(new DesktopNotices(NotifiedRows::defaultFolder(), this))
    , m_client(new NotificationClient(QDBusConnection::sessionBus(), this))
    , m_sleep(new SleepWatcher(this))
    , m_network(new NetworkWatcher(true, this))
{
    connect(m_tray, &KortvikTray::activateRequested, m_window, &frmMain::Activate);
    connect(m_client, &NotificationClient::activated, m_window, &frmMain::Activate);
    connect(m_tray, &KortvikTray::loginRequested, this, [this] { runMenuItem(QStringLiteral("mnuLogin")); });
    connect(m_tray, &KortvikTray::logoutRequested, this, [this] { runMenuItem(QStringLiteral("mnuLogout")); });
    connect(m_tray, &KortvikTray::quitRequested, this, [this] { runMenuItem(QStringLiteral("mnuQuit")); });
    connect(m_notices, &DesktopNotices::notify, m_client, &NotificationClient::show);
    connect(m_notices, &DesktopNotices::withdraw, m_client, &NotificationClient::withdraw);
    // "Visa iMails" and the tray's iMail rows do what the menu "iMails" does.
    connect(m_client, &NotificationClient::imailsRequested, this, [this] { runMenuItem(QStringLiteral("mnuIMails")); });
    connect(m_tray, &KortvikTray::imailsRequested, this, [this] { runMenuItem(QStringLiteral("mnuIMails")); });
    connect(m_sleep, &SleepWatcher::resumed, this, &DesktopIntegration::wokeUp);
    connect(m_network, &NetworkWatcher::reconnected, this, &DesktopIntegration::wokeUp);
    connect(m_network, &NetworkWatcher::disconnectedChanged, m_tray, &KortvikTray::showNetwork);
    m_tray->showNetwork(m_network->isDisconnected());
}

void DesktopIntegration::follow(modGlobal::Session *session, modWebFunctions::IMailWatch *watch)
{
    using modGlobal::Session;
    m_session = session;
    connect(session, &Session::loginStarted, this, &DesktopIntegration::refresh);
    connect(session, &Session::loginFinished, this, &DesktopIntegration::refresh);
    connect(session, &Session::loggedIn, this, [this](const QString &, qint32 userId) {
        refresh();
        m_notices->loggedIn(m_session->isGuest(), userId);
    });
    connect(session, &Session::loggedOut, this, [this] {
        refresh();
        m_notices->loggedOut(false);
    });
    connect(session, &Session::profileChanged, this, &DesktopIntegration::refresh);
    connect(session, &Session::endedBySite, this, &DesktopIntegration::siteEndedSession);
    // The check has handed its counts to the session before it tells its rows.
    connect(watch, &modWebFunctions::IMailWatch::imailsRead, this, [this](const IMailRows &rows) {
        showIMails(m_session->imailCount(), m_session->newIMailCount(), rows);
    });
    // From the event loop, not from inside the bus's delivery.
    connect(this, &DesktopIntegration::wokeUp, this, &DesktopIntegration::wake, Qt::QueuedConnection);
    refresh();
}

void DesktopIntegration::refresh()
{
    if (!m_session)
        return;
    if (m_session->isLoggedIn())
        m_tray->showMember(m_session->alias());
    else
        m_tray->showLoggedOut(m_session->loginRunning() || m_session->loginInProgress());
}

void DesktopIntegration::wake()
{
    // A wake-up told while one is handled is served by it: the check and
    // the keep-alive it runs are as fresh as any new one could be.
    if (m_waking || !m_session || !m_session->isLoggedIn())
        return;
    m_waking = true;
    const auto done = qScopeGuard([this] { m_waking = false; });
    m_session->checkIMail();
    // The check may have found the session ended.
    if (m_session->isLoggedIn())
        m_session->keepAlive();
}

void DesktopIntegration::runMenuItem(const QString &name)
{
    // The window's own command, as if chosen from its menu (a hidden
    // "Logga in..." during a login is still the same command).
    if (QAction *action = m_window->menuItem(name))
        action->trigger();
}

void DesktopIntegration::showIMails(int count, int newCount, const IMailRows &rows)
{
    m_tray->showIMails(count, newCount, rows);
    m_notices->imailsChecked(count, newCount, rows);
}

void DesktopIntegration::siteEndedSession()
{
    m_notices->loggedOut(true);
}
