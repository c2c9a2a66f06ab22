#include "fakestatusnotifierwatcher.h"

#include <QDBusMessage>

namespace {
const QString kService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kPath = QStringLiteral("/StatusNotifierWatcher");
} // namespace

FakeStatusNotifierWatcher::FakeStatusNotifierWatcher(QObject *parent)
    : QObject(parent)
    , m_connectionName(QStringLiteral("fake-sni-watcher-%1").arg(quintptr(this), 0, 16))
{
}

FakeStatusNotifierWatcher::~FakeStatusNotifierWatcher()
{
    leave();
}

bool FakeStatusNotifierWatcher::start(const QString &busAddress)
{
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, m_connectionName);
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(kPath, this, QDBusConnection::ExportScriptableContents | QDBusConnection::ExportAllProperties))
        return false;
    m_items.clear();
    if (!bus.registerService(kService))
        return false;
    emit StatusNotifierHostRegistered();
    return true;
}

void FakeStatusNotifierWatcher::leave()
{
    QDBusConnection bus(m_connectionName);
    if (bus.isConnected()) {
        bus.unregisterObject(kPath);
        bus.unregisterService(kService);
    }
    QDBusConnection::disconnectFromBus(m_connectionName);
}

void FakeStatusNotifierWatcher::RegisterStatusNotifierItem(const QString &service)
{
    // An item may give its bus name or its object path (then its sender counts).
    const QString item = service.startsWith(QLatin1Char('/')) ? message().service() + service : service;
    m_items << item;
    m_registrations << item;
    emit StatusNotifierItemRegistered(item);
}

void FakeStatusNotifierWatcher::RegisterStatusNotifierHost(const QString &) {}
