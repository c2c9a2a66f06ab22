#pragma once
#include "busname.h"
#include <QObject>
#include <QString>

// Owns org.freedesktop.login1 on a test's own bus (standing in for the
// system bus) and sends the Manager's PrepareForSleep signal on demand.
class FakeLogind : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    explicit FakeLogind(QObject *parent = nullptr);
    ~FakeLogind() override;

    bool start(const QString &busAddress);
    // true: the machine is about to sleep; false: it has woken up.
    void prepareForSleep(bool start) { emit PrepareForSleep(start); }

signals:
    Q_SCRIPTABLE void PrepareForSleep(bool start);

private:
    OwnedBusName m_bus;
};
