#pragma once
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QList>
#include <QString>

// A service that owns its name on a test's bus and never answers: every
// call to any of its objects waits until the caller gives up.
class SilentService : public QDBusVirtualObject
{
public:
    explicit SilentService(const QString &name);
    ~SilentService() override;

    bool start(const QString &busAddress);
    qsizetype callsHeld() const { return m_held.size(); }

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &) override;

private:
    QString m_name;
    QString m_connectionName;
    QList<QDBusMessage> m_held;
};
