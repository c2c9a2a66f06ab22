#include "fakenetworkmanager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace {
const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kPath = QStringLiteral("/org/freedesktop/NetworkManager");
} // namespace

FakeNetworkManager::FakeNetworkManager(QObject *parent) : QObject(parent), m_bus(kService, kPath, this)
{
}

FakeNetworkManager::~FakeNetworkManager() = default;

bool FakeNetworkManager::start(const QString &busAddress)
{
    return m_bus.join(busAddress, this, QDBusConnection::ExportAllProperties);
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
    m_bus.connection().send(signal);
}
