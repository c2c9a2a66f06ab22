#pragma once
#include <QDBusConnection>
#include <QString>

class QObject;

// A fake service's own connection to a test bus: one object at one path under
// one well-known name, given back when the fake goes (or leaves on purpose).
class OwnedBusName
{
public:
    OwnedBusName(const QString &service, const QString &path, const void *owner);
    ~OwnedBusName() { leave(); }
    OwnedBusName(const OwnedBusName &) = delete;
    OwnedBusName &operator=(const OwnedBusName &) = delete;

    bool join(const QString &busAddress, QObject *object, QDBusConnection::RegisterOptions options);
    void leave();
    QDBusConnection connection() const { return QDBusConnection(m_connectionName); }

private:
    QString m_service;
    QString m_path;
    QString m_connectionName;
};
