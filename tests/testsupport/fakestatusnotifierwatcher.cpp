#include "fakestatusnotifierwatcher.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace {
const QString kService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kPath = QStringLiteral("/StatusNotifierWatcher");
} // namespace

bool FakeStatusNotifierWatcher::start(const QString &busAddress)
{
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, m_connection);
    if (!bus.registerObject(kPath, this, QDBusConnection::ExportScriptableContents | QDBusConnection::ExportAllProperties)
        || !bus.registerService(kService))
        return false;
    emit StatusNotifierHostRegistered();
    return true;
}

void FakeStatusNotifierWatcher::leave()
{
    QDBusConnection::disconnectFromBus(m_connection);
}

void FakeStatusNotifierWatcher::RegisterStatusNotifierItem(const QString &service)
{
    // An item may give its bus name or its object path (then its sender counts).
    m_registrations << (service.startsWith(QLatin1Char('/')) ? message().service() + service : service);
}
