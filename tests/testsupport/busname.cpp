#include "busname.h"

OwnedBusName::OwnedBusName(const QString &service, const QString &path, const void *owner)
    : m_service(service)
    , m_path(path)
    , m_connectionName(QStringLiteral("fake-%1-%2").arg(service).arg(quintptr(owner), 0, 16))
{
}

bool OwnedBusName::join(const QString &busAddress, QObject *object, QDBusConnection::RegisterOptions options)
{
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, m_connectionName);
    return bus.isConnected() && bus.registerObject(m_path, object, options) && bus.registerService(m_service);
}

void OwnedBusName::leave()
{
    QDBusConnection bus(m_connectionName);
    if (bus.isConnected()) {
        bus.unregisterObject(m_path);
        bus.unregisterService(m_service);
    }
    QDBusConnection::disconnectFromBus(m_connectionName);
}
