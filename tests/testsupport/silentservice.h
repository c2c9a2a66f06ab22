#pragma once
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>

// A service that owns its name on a test's bus and never answers: every
// call to any of its objects waits until the caller gives up.
class SilentService : public QDBusVirtualObject
{
public:
    ~SilentService() override { QDBusConnection::disconnectFromBus(m_connection); }
    bool start(const QString &busAddress, const QString &name)
    {
        QDBusConnection bus = QDBusConnection::connectToBus(busAddress, m_connection);
        return bus.registerVirtualObject(QStringLiteral("/"), this, QDBusConnection::SubPath)
               && bus.registerService(name);
    }
    qsizetype callsHeld() const { return m_held; }

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &, const QDBusConnection &) override { return ++m_held > 0; }

private:
    QString m_connection = QStringLiteral("silent-%1").arg(quintptr(this), 0, 16);
    qsizetype m_held = 0;
};
