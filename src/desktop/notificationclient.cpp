#include "desktop/notificationclient.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QVariantMap>

#include <utility>

NotificationClient::NotificationClient(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
{
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
                if (!newOwner.isEmpty())
                    onServiceRegistered();
            });
    m_bus.connect(QString::fromLatin1(kService), QString::fromLatin1(kPath), QString::fromLatin1(kInterface),
                  QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(uint, QString)));
    askCapabilities();
}

void NotificationClient::askCapabilities()
{
    m_capabilitiesKnown = false;
    m_actions = false;
    const int generation = ++m_serviceGeneration;
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
        const QDBusPendingReply<QStringList> reply = *w;
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
    if (!n.pending && m_capabilitiesKnown)
        send(k);
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
        return;
    }
    n.id = reply.value();
    if (std::exchange(n.closeOnReply, false))
        close(std::exchange(n.id, 0u));
    else if (n.unsent && m_capabilitiesKnown)
        send(kind);
}

void NotificationClient::onServiceRegistered()
{
    // A new server may offer other capabilities; the unsent follow its answer.
    askCapabilities();
}

void NotificationClient::sendUnsent()
{
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
