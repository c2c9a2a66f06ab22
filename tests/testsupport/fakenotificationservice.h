#pragma once
#include "busname.h"
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// Owns org.freedesktop.Notifications on a test's own bus and records every
// Notify call. It can answer, fail with an error, or keep silent (the call
// then waits for an answer that never comes), and go away and come back.
class FakeNotificationService : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    enum class Mode { Answer, Fail, Silent };
    struct Call {
        QString appName;
        uint replacesId = 0;
        QString appIcon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        uint id = 0; // what the answer gave (0: not answered)
    };

    explicit FakeNotificationService(QObject *parent = nullptr);
    ~FakeNotificationService() override;

    // Connects to the bus and owns the name; false when that fails.
    bool start(const QString &busAddress);
    // Leaves the bus as a service that quits does (calls it has not
    // answered get the bus's error), and comes back.
    void leave();
    bool rejoin();

    void setMode(Mode mode) { m_mode = mode; }
    // Whether GetCapabilities lists "actions" (it does unless told otherwise).
    void setActions(bool actions) { m_actionsCap = actions; }
    const QList<Call> &calls() const { return m_calls; }
    // The ids CloseNotification was called with, in order.
    const QList<uint> &closed() const { return m_closed; }
    // Runs the event loop until n calls have come or ms have passed.
    bool waitForCalls(int n, int ms = 5000);
    // The member clicks a notification (action "default") or a button.
    void invokeAction(uint id, const QString &actionKey = QStringLiteral("default"));
    // The service says a notification is gone (reason 1: it expired).
    void tellClosed(uint id, uint reason = 1) { emit NotificationClosed(id, reason); }

public slots:
    Q_SCRIPTABLE uint Notify(const QString &appName, uint replacesId, const QString &appIcon,
                             const QString &summary, const QString &body, const QStringList &actions,
                             const QVariantMap &hints, int expireTimeout);
    Q_SCRIPTABLE QStringList GetCapabilities();
    Q_SCRIPTABLE QString GetServerInformation(QString &vendor, QString &version, QString &specVersion);
    Q_SCRIPTABLE void CloseNotification(uint id);

signals:
    Q_SCRIPTABLE void ActionInvoked(uint id, const QString &actionKey);
    Q_SCRIPTABLE void NotificationClosed(uint id, uint reason);

private:
    OwnedBusName m_bus;
    QString m_address;
    Mode m_mode = Mode::Answer;
    bool m_actionsCap = true;
    QList<uint> m_closed;
    uint m_nextId = 1;
    QList<Call> m_calls;
    QList<QDBusMessage> m_unanswered;
};
