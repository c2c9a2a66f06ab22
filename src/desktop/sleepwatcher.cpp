#include "desktop/sleepwatcher.h"

SleepWatcher::SleepWatcher(QObject *parent) : SleepWatcher(QDBusConnection::systemBus(), parent) {}

SleepWatcher::SleepWatcher(const QDBusConnection &bus, QObject *parent) : QObject(parent)
{
    if (!bus.isConnected())
        return;
    QDBusConnection c(bus);
    m_watching = c.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                           QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                           SLOT(onPrepareForSleep(bool)));
}

void SleepWatcher::onPrepareForSleep(bool start)
{
    if (!start)
        emit resumed();
}
