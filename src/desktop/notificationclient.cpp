#include "desktop/notificationclient.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QVariantMap>

NotificationClient::NotificationClient(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
{
    m_sendSoon.setSingleShot(true);
    m_sendSoon.setInterval(0);
    connect(&m_sendSoon, &QTimer::timeout, this, &NotificationClient::sendUnsent);
    if (!m_bus.isConnected())
        return;
    auto *watcher = new QDBusServiceWatcher(QString::fromLatin1(kService), m_bus,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &oldOwner, const QString &newOwner) {
                // Ids belong to the server that gave them.
                if (!oldOwner.isEmpty())
                    for (Notice &n : m_notices)
                        n.id = 0;
                if (!newOwner.isEmpty()) {
                    m_away = false;
                    onServiceRegistered();
                }
            });
    m_bus.connect(QString::fromLatin1(kService), QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
                  QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
}

QString NotificationClient::escapeMarkup(const QString &text)
{
    return text.toHtmlEscaped();
}

void NotificationClient::show(DesktopNotices::Kind kind, const QString &summary, const QString &body)
{
    const int k = static_cast<int>(kind);
    Notice &n = m_notices[k];
    n.summary = summary;
    n.body = body;
    n.unsent = true;
    // While a call is on its way its answer brings the id to replace; the
    // newest text follows then.
    if (!n.pending && !m_away)
        m_sendSoon.start();
}

void NotificationClient::sendUnsent()
{
    for (int k = 0; k < static_cast<int>(m_notices.size()); ++k) {
        if (m_notices[k].unsent && !m_notices[k].pending && !m_away)
            send(k);
    }
}

void NotificationClient::send(int kind)
{
    Notice &n = m_notices[kind];
    n.unsent = false;
    n.pending = true;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kInterface), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.kortvik.Kortvik"));
    // The icon is the installed application icon, by its theme name.
    call << QStringLiteral("Kortvik") << n.id << QStringLiteral("org.kortvik.Kortvik") << n.summary
         << escapeMarkup(n.body)
         << QStringList{QStringLiteral("default"), QStringLiteral("Visa Kortvik")} << hints << qint32(-1);
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, kind](QDBusPendingCallWatcher *w) { onReply(w, kind); });
}

void NotificationClient::onReply(QDBusPendingCallWatcher *watcher, int kind)
{
    watcher->deleteLater();
    Notice &n = m_notices[kind];
    n.pending = false;
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError()) {
        // Shown again once the service is (back) on the bus.
        n.unsent = true;
        const QString error = reply.error().name();
        if (error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
            || error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")
            || error.startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn.")))
            m_away = true;
        return;
    }
    n.id = reply.value();
    if (n.unsent)
        send(kind);
}

void NotificationClient::onServiceRegistered()
{
    sendUnsent();
}

void NotificationClient::onActionInvoked(uint id, const QString &actionKey)
{
    if (actionKey != QLatin1String("default") || id == 0)
        return;
    for (const Notice &n : m_notices) {
        if (n.id == id) {
            emit activated();
            return;
        }
    }
}
