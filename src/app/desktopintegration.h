#pragma once
#include <QObject>
#include <QString>

#include "imailrow.h"

namespace modGlobal {
class Session;
}
namespace modWebFunctions {
class IMailWatch;
}

class DesktopNotices;
class KortvikTray;
class NetworkWatcher;
class NotificationClient;
class SleepWatcher;
class frmMain;

// The program on the desktop beside its main window: the tray icon, the
// notifications, the wake-up from sleep and the return of the network. It only listens to the session
// and runs the main window's own commands; the window itself is unchanged.
class DesktopIntegration : public QObject
{
    Q_OBJECT
public:
    explicit DesktopIntegration(frmMain *window, QObject *parent = nullptr);

    KortvikTray *tray() const { return m_tray; }

    // Follows the session's state and the iMail checks; a wake-up from sleep
    // or the network's return runs the iMail check and, when logged in, the
    // keep-alive at once.
    void follow(modGlobal::Session *session, modWebFunctions::IMailWatch *watch);

public slots:
    // An iMail check that read the inbox page.
    void showIMails(int count, int newCount, const IMailRows &rows);
    // The site ended the member's session; called before the logout.
    void siteEndedSession();

signals:
    // The machine woke from sleep, or its network came back.
    void wokeUp();

private:
    void runMenuItem(const QString &name);
    // The tray shows the session's state.
    void refresh();
    void wake();

    frmMain *m_window;
    KortvikTray *m_tray;
    DesktopNotices *m_notices;
    NotificationClient *m_client;
    SleepWatcher *m_sleep;
    NetworkWatcher *m_network;
    modGlobal::Session *m_session = nullptr;
    // A wake-up's check and keep-alive are under way.
    bool m_waking = false;
};
