#include "desktop/sleepwatcher.h"

#include <utility>

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
    if (start) {
        m_sleptSinceWake = true;
        return;
    }
    if (!std::exchange(m_sleptSinceWake, false))
        return;
    emit resumed();
}
