#pragma once
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

#include "desktop/desktopnotices.h"

class QDBusPendingCallWatcher;

// Shows desktop notifications through org.freedesktop.Notifications. Calls
// are asynchronous only: a missing, slow or failing service never holds the
// program up. Each kind of notification replaces its own previous one in
// place; one that could not be shown is shown when the service comes back.
// Buttons are offered only to a service that lists "actions" among its
// capabilities; the first Notify waits for that answer.
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
    // Closes that kind's notification, if one is shown or on its way.
    void withdraw(DesktopNotices::Kind kind);

signals:
    // The member clicked one of our notifications.
    void activated();
    // The member chose "Visa iMails" on the new-iMails notification.
    void imailsRequested();

private slots:
    void onActionInvoked(uint id, const QString &actionKey);

private:
    struct Notice {
        uint id = 0;          // the service's id, for replaces_id
        bool pending = false; // a Notify call is on its way
        bool unsent = false;  // the latest text has not been shown yet
        bool closeOnReply = false; // withdrawn while its Notify was on its way
        QStringList actions;  // the keys the shown one offers
        QString summary;
        QString body;
    };

    void send(int kind);
    void onReply(QDBusPendingCallWatcher *watcher, int kind);
    void onServiceRegistered();
    void askCapabilities();
    void close(uint id);
    void sendUnsent();

    QDBusConnection m_bus;
    std::array<Notice, 2> m_notices;
    // The service has answered GetCapabilities (or failed to).
    bool m_capabilitiesKnown = false;
    bool m_actions = false;
    // Counts the service's comings, so that a late answer of a gone one is ignored.
    int m_serviceGeneration = 0;
};
