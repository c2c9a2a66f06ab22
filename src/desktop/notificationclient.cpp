#include "desktop/notificationclient.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QVariantMap>

#include <algorithm>
#include <utility>

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
                // Ids and capabilities belong to the server that gave them.
                if (!oldOwner.isEmpty())
                    for (Notice &n : m_notices)
                        n.id = 0;
                m_capabilitiesKnown = false;
                m_asking = false;
                ++m_serviceGeneration;
                if (!newOwner.isEmpty()) {
                    m_away = false;
                    onServiceRegistered();
                }
            });
    m_bus.connect(QString::fromLatin1(kService), QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
                  QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
}

bool NotificationClient::isAwayError(const QString &error)
{
    return error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
           error.startsWith(QLatin1String("org.freedesktop.DBus.Error.Spawn."));
}

void NotificationClient::askCapabilities()
{
    if (m_asking)
        return;
    m_asking = true;
    m_actions = false;
    const int generation = m_serviceGeneration;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kInterface),
                                                       QStringLiteral("GetCapabilities"));
    // A service that keeps silent costs the first notification a few
    // seconds, never the notification itself.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, generation](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        if (generation != m_serviceGeneration)
            return;
        m_asking = false;
        const QDBusPendingReply<QStringList> reply = *w;
        if (reply.isError() && isAwayError(reply.error().name())) {
            // Asked again when the service takes its name.
            m_away = true;
            return;
        }
        m_actions = !reply.isError() && reply.value().contains(QStringLiteral("actions"));
        m_capabilitiesKnown = true;
        sendUnsent();
    });
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
    n.closeOnReply = false;
    // While a call is on its way its answer brings the id to replace; the
    // newest text follows then.
    if (!n.pending && !m_away)
        m_sendSoon.start();
}

void NotificationClient::withdraw(DesktopNotices::Kind kind)
{
    Notice &n = m_notices[static_cast<int>(kind)];
    n.unsent = false;
    if (n.pending) {
        n.closeOnReply = true;
        return;
    }
    close(std::exchange(n.id, 0u));
}

void NotificationClient::close(uint id)
{
    if (id == 0)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kInterface),
                                                       QStringLiteral("CloseNotification"));
    call << id;
    m_bus.asyncCall(call);
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
    QStringList actions;
    if (m_actions)
        actions << QStringLiteral("default") << QStringLiteral("Visa Kortvik");
    if (kind == static_cast<int>(DesktopNotices::Kind::NewIMails)) {
        hints.insert(QStringLiteral("category"), QStringLiteral("email.arrived"));
        hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(1)));
        if (m_actions)
            actions << QStringLiteral("imails") << QStringLiteral("Visa iMails");
    }
    n.actions.clear();
    for (qsizetype i = 0; i < actions.size(); i += 2)
        n.actions << actions.at(i);
    // The icon is the installed application icon, by its theme name.
    call << QStringLiteral("Kortvik") << n.id << QStringLiteral("org.kortvik.Kortvik") << n.summary
         << escapeMarkup(n.body) << actions << hints << qint32(-1);
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
        // Shown again once the service is (back) on the bus, unless it
        // was withdrawn meanwhile.
        n.unsent = !std::exchange(n.closeOnReply, false);
        if (isAwayError(reply.error().name()))
            m_away = true;
        return;
    }
    n.id = reply.value();
    if (std::exchange(n.closeOnReply, false))
        close(std::exchange(n.id, 0u));
    else if (n.unsent)
        sendUnsent();
}

void NotificationClient::onServiceRegistered()
{
    sendUnsent();
}

void NotificationClient::sendUnsent()
{
    if (m_away)
        return;
    const bool waiting = std::any_of(m_notices.cbegin(), m_notices.cend(),
                                     [](const Notice &n) { return n.unsent && !n.pending; });
    if (!waiting)
        return;
    // The first notification for a server waits for what it can show.
    if (!m_capabilitiesKnown)
        return askCapabilities();
    for (int k = 0; k < static_cast<int>(m_notices.size()); ++k) {
        if (m_notices[k].unsent && !m_notices[k].pending)
            send(k);
    }
}

void NotificationClient::onActionInvoked(uint id, const QString &actionKey)
{
    // Only ids this client was given, only keys it offered there.
    if (id == 0)
        return;
    for (int k = 0; k < static_cast<int>(m_notices.size()); ++k) {
        const Notice &n = m_notices[k];
        if (n.id != id || !n.actions.contains(actionKey))
            continue;
        if (actionKey == QLatin1String("default"))
            emit activated();
        else if (actionKey == QLatin1String("imails"))
            emit imailsRequested();
        return;
    }
}
