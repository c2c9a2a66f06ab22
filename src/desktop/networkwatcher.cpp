#include "desktop/networkwatcher.h"

#include <utility>

NetworkWatcher::NetworkWatcher(bool useBackend, QObject *parent, int quietMs) : QObject(parent)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(quietMs);
    connect(&m_quiet, &QTimer::timeout, this, &NetworkWatcher::quietEnded);
    // NetworkManager only: no other backend, no new dependency.
    if (!useBackend || !QNetworkInformation::loadBackendByName(u"networkmanager"))
        return;
    QNetworkInformation *info = QNetworkInformation::instance();
    if (!info || !info->supports(QNetworkInformation::Feature::Reachability))
        return;
    m_watching = true;
    connect(info, &QNetworkInformation::reachabilityChanged, this, &NetworkWatcher::setReachability);
    setReachability(info->reachability());
}

void NetworkWatcher::setReachability(QNetworkInformation::Reachability reachability)
{
    using R = QNetworkInformation::Reachability;
    const bool wasDisconnected = isDisconnected();
    m_reachability = reachability;
    if (isDisconnected() != wasDisconnected)
        emit disconnectedChanged(isDisconnected());
    if (reachability == R::Disconnected) {
        m_lost = true;
        return;
    }
    // Local or site only: the way back to the site is not there yet.
    if (reachability != R::Online || !std::exchange(m_lost, false))
        return;
    if (m_quiet.isActive()) {
        m_owed = true;
        return;
    }
    m_quiet.start();
    emit reconnected();
}

void NetworkWatcher::quietEnded()
{
    if (!std::exchange(m_owed, false) || m_reachability != QNetworkInformation::Reachability::Online)
        return;
    m_quiet.start();
    emit reconnected();
}
