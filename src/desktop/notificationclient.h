#pragma once
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>

#include "desktop/desktopnotices.h"

class QDBusPendingCallWatcher;

// Shows desktop notifications through org.freedesktop.Notifications. Calls
// are asynchronous only: a missing, slow or failing service never holds the
// program up. Each kind of notification replaces its own previous one in
// place; one that could not be shown is shown when the service comes back.
// Calls go out from the event loop, never from inside the caller (a login
// step), and none is made while the service is known to be away: a bus
// that cannot start it is not asked again at every login.
class NotificationClient : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *kService = "org.freedesktop.Notifications";
    static constexpr const char *kPath = "/org/freedesktop/Notifications";
    static constexpr const char *kInterface = "org.freedesktop.Notifications";

    explicit NotificationClient(const QDBusConnection &bus, QObject *parent = nullptr);

    // The body may be read as markup by the desktop: <, > and & stay text.
    static QString escapeMarkup(const QString &text);

public slots:
    void show(DesktopNotices::Kind kind, const QString &summary, const QString &body);

signals:
    // The member clicked one of our notifications.
    void activated();

private slots:
    void onActionInvoked(uint id, const QString &actionKey);

private:
    struct Notice {
        uint id = 0;          // the service's id, for replaces_id
        bool pending = false; // a Notify call is on its way
        bool unsent = false;  // the latest text has not been shown yet
        QString summary;
        QString body;
    };

    void send(int kind);
    void sendUnsent();
    void onReply(QDBusPendingCallWatcher *watcher, int kind);
    void onServiceRegistered();

    QDBusConnection m_bus;
    std::array<Notice, 2> m_notices;
    // A call failed because the service is not there and could not be
    // started; true until it takes its name on the bus.
    bool m_away = false;
    QTimer m_sendSoon;
};
