#pragma once
#include "busname.h"
#include <QDBusObjectPath>
#include <QObject>
#include <QString>

#include <atomic>

// Owns org.freedesktop.NetworkManager on a test's own bus (standing in for
// the system bus) with what Qt's NetworkManager backend reads: the
// properties State, Connectivity, PrimaryConnection and Metered of
// /org/freedesktop/NetworkManager, and PropertiesChanged when they change.
// A test that runs the program in its own process moves it to a thread of
// its own: Qt reads the properties with a blocking call.
class FakeNetworkManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.NetworkManager")
    Q_PROPERTY(uint State READ state)
    Q_PROPERTY(uint Connectivity READ connectivity)
    Q_PROPERTY(QDBusObjectPath PrimaryConnection READ primaryConnection)
    Q_PROPERTY(uint Metered READ metered)
public:
    // NetworkManager's NMState and NMConnectivityState values.
    static constexpr uint kDisconnected = 20;
    static constexpr uint kConnectedGlobal = 70;
    static constexpr uint kConnectivityNone = 1;
    static constexpr uint kConnectivityFull = 4;

    explicit FakeNetworkManager(QObject *parent = nullptr);
    ~FakeNetworkManager() override;

    bool start(const QString &busAddress);
    // Online (70, full) or disconnected (20, none), told as NetworkManager tells it.
    void setOnline(bool online);

    uint state() const { return m_state; }
    uint connectivity() const { return m_connectivity; }
    QDBusObjectPath primaryConnection() const { return QDBusObjectPath(QStringLiteral("/")); }
    uint metered() const { return 0; }

private:
    OwnedBusName m_bus;
    std::atomic<uint> m_state = kConnectedGlobal;
    std::atomic<uint> m_connectivity = kConnectivityFull;
};
