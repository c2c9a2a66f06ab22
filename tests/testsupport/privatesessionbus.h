#pragma once
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A D-Bus session bus of one test's own (dbus-daemon --session), so that
// programs started by parallel tests never see each other's names.
class PrivateSessionBus
{
public:
    PrivateSessionBus() = default;
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus &) = delete;
    PrivateSessionBus &operator=(const PrivateSessionBus &) = delete;

    // False (with a reason) when dbus-daemon is missing or does not come up.
    bool start(QString *why = nullptr);
    // The value for DBUS_SESSION_BUS_ADDRESS.
    QString address() const { return m_address; }

private:
    QTemporaryDir m_folder;  // the bus's configuration
    QProcess m_daemon;
    QString m_address;
};
