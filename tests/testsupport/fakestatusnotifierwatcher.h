#pragma once
#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>

// A panel's StatusNotifierWatcher with its host, on a test's own bus: owns
// org.kde.StatusNotifierWatcher and records the items that register. It can
// go away (the panel quits) and come back.
class FakeStatusNotifierWatcher : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
public:
    explicit FakeStatusNotifierWatcher(QObject *parent = nullptr);
    ~FakeStatusNotifierWatcher() override;

    bool start(const QString &busAddress);
    void leave();

    // Every registration so far (an item that registers again counts again).
    const QStringList &registrations() const { return m_registrations; }
    QStringList items() const { return m_items; }
    bool hostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

public slots:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString &service);
    Q_SCRIPTABLE void RegisterStatusNotifierHost(const QString &service);

signals:
    Q_SCRIPTABLE void StatusNotifierItemRegistered(const QString &service);
    Q_SCRIPTABLE void StatusNotifierHostRegistered();

private:
    QString m_connectionName;
    QStringList m_items;
    QStringList m_registrations;
};
