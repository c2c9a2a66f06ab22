#include "app/desktopintegration.h"

#include "app/frmmain.h"
#include "desktop/desktopnotices.h"
#include "desktop/kortviktray.h"
#include "desktop/notificationclient.h"
#include "desktop/sleepwatcher.h"

#include <QAction>
#include <QDBusConnection>

DesktopIntegration::DesktopIntegration(frmMain *window, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_tray(new KortvikTray(this))
    , m_notices(new DesktopNotices(this))
    , m_client(new NotificationClient(QDBusConnection::sessionBus(), this))
    , m_sleep(new SleepWatcher(this))
{
    connect(m_tray, &KortvikTray::activateRequested, m_window, &frmMain::Activate);
    connect(m_client, &NotificationClient::activated, m_window, &frmMain::Activate);
    connect(m_tray, &KortvikTray::loginRequested, this, [this] { runMenuItem(QStringLiteral("mnuLogin")); });
    connect(m_tray, &KortvikTray::logoutRequested, this, [this] { runMenuItem(QStringLiteral("mnuLogout")); });
    connect(m_tray, &KortvikTray::quitRequested, this, [this] { runMenuItem(QStringLiteral("mnuQuit")); });
    connect(m_notices, &DesktopNotices::notify, m_client, &NotificationClient::show);
    connect(m_sleep, &SleepWatcher::resumed, this, &DesktopIntegration::wokeUp);
}

void DesktopIntegration::runMenuItem(const QString &name)
{
    // The window's own command, as if chosen from its menu (a hidden
    // "Logga in..." during a login is still the same command).
    if (QAction *action = m_window->menuItem(name))
        action->trigger();
}

void DesktopIntegration::showSession(bool loggedIn, bool loginRunning, bool guest, const QString &alias)
{
    if (loggedIn)
        m_tray->showMember(alias);
    else
        m_tray->showLoggedOut(loginRunning);
    if (loggedIn && !m_loggedIn)
        m_notices->loggedIn(guest);
    else if (!loggedIn && m_loggedIn)
        m_notices->loggedOut(false);
    m_loggedIn = loggedIn;
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
