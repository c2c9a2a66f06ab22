#include "silentservice.h"

SilentService::SilentService(const QString &name)
    : m_name(name), m_connectionName(QStringLiteral("silent-%1").arg(quintptr(this), 0, 16))
{
}

SilentService::~SilentService()
{
    QDBusConnection bus(m_connectionName);
    if (bus.isConnected()) {
        bus.unregisterObject(QStringLiteral("/"), QDBusConnection::UnregisterTree);
        bus.unregisterService(m_name);
    }
    QDBusConnection::disconnectFromBus(m_connectionName);
}

bool SilentService::start(const QString &busAddress)
{
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, m_connectionName);
    return bus.isConnected()
           && bus.registerVirtualObject(QStringLiteral("/"), this, QDBusConnection::SubPath)
           && bus.registerService(m_name);
}

bool SilentService::handleMessage(const QDBusMessage &message, const QDBusConnection &)
{
    // Taken, never answered.
    m_held << message;
    return true;
}
