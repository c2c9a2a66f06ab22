#pragma once
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
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
public:
    ~FakeStatusNotifierWatcher() override { leave(); }
    bool start(const QString &busAddress);
    void leave();
    // Every registration so far (an item that registers again counts again).
    const QStringList &registrations() const { return m_registrations; }
    bool hostRegistered() const { return true; }

public slots:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString &service);

signals:
    Q_SCRIPTABLE void StatusNotifierHostRegistered();

private:
    QString m_connection = QStringLiteral("fake-sni-watcher-%1").arg(quintptr(this), 0, 16);
    QStringList m_registrations;
};
