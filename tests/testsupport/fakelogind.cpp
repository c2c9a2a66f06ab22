#include "fakelogind.h"

#include <QDBusConnection>

namespace {
const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
} // namespace

FakeLogind::FakeLogind(QObject *parent)
    : QObject(parent)
    , m_connectionName(QStringLiteral("fake-logind-%1").arg(quintptr(this), 0, 16))
{
}

FakeLogind::~FakeLogind()
{
    QDBusConnection bus(m_connectionName);
    if (bus.isConnected()) {
        bus.unregisterObject(kPath);
        bus.unregisterService(kService);
    }
    QDBusConnection::disconnectFromBus(m_connectionName);
}

bool FakeLogind::start(const QString &busAddress)
{
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, m_connectionName);
    return bus.isConnected() && bus.registerObject(kPath, this, QDBusConnection::ExportScriptableSignals) &&
           bus.registerService(kService);
}
