#include "fakenetworkmanager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace {
const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kPath = QStringLiteral("/org/freedesktop/NetworkManager");
} // namespace

FakeNetworkManager::FakeNetworkManager(QObject *parent)
    : QObject(parent)
    , m_connectionName(QStringLiteral("fake-networkmanager-%1").arg(quintptr(this), 0, 16))
{
}

FakeNetworkManager::~FakeNetworkManager()
{
    QDBusConnection bus(m_connectionName);
    if (bus.isConnected()) {
        bus.unregisterObject(kPath);
        bus.unregisterService(kService);
    }
    QDBusConnection::disconnectFromBus(m_connectionName);
}

bool FakeNetworkManager::start(const QString &busAddress)
{
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, m_connectionName);
    return bus.isConnected() && bus.registerObject(kPath, this, QDBusConnection::ExportAllProperties) &&
           bus.registerService(kService);
}

void FakeNetworkManager::setOnline(bool online)
{
    m_state = online ? kConnectedGlobal : kDisconnected;
    m_connectivity = online ? kConnectivityFull : kConnectivityNone;
    QDBusMessage signal = QDBusMessage::createSignal(kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << kService
           << QVariantMap{{QStringLiteral("State"), m_state.load()},
                          {QStringLiteral("Connectivity"), m_connectivity.load()}}
           << QStringList();
    QDBusConnection(m_connectionName).send(signal);
}
