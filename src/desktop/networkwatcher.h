#pragma once
#include <QNetworkInformation>
#include <QObject>
#include <QTimer>

// Follows the network's reachability through Qt's NetworkManager backend
// and tells when the machine has lost its network and when it is back
// online. Without the backend, or while it reports "unknown", it stays
// silent and the program behaves as it would without it.
//
// A network that flaps is not a storm of re-checks: the first return
// online is told at once, further ones within the quiet period are told
// once, at its end, if the network is still online then.
class NetworkWatcher : public QObject
{
    Q_OBJECT
public:
    static constexpr int kQuietMs = 5000;

    // useBackend false: only what setReachability is given counts.
    explicit NetworkWatcher(bool useBackend = true, QObject *parent = nullptr, int quietMs = kQuietMs);

    bool isWatching() const { return m_watching; }
    bool isDisconnected() const { return m_reachability == QNetworkInformation::Reachability::Disconnected; }

public slots:
    void setReachability(QNetworkInformation::Reachability reachability);

signals:
    void disconnectedChanged(bool disconnected);
    // Back online after the network was gone.
    void reconnected();

private:
    void quietEnded();

    bool m_watching = false;
    QNetworkInformation::Reachability m_reachability = QNetworkInformation::Reachability::Unknown;
    // Disconnected since the last time online.
    bool m_lost = false;
    // A return online came during the quiet period.
    bool m_owed = false;
    QTimer m_quiet;
};
