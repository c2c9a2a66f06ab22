#include "plugin/mainserveradaptor.h"

#include "plugin/clsmainserver.h"
#include "plugin/clsmainserverreference.h"
#include "plugin/loginrequests.h"

MainServerAdaptor::MainServerAdaptor(clsMainServer *server, LoginRequests *requests,
                                     const QDBusConnection &bus)
    : QDBusAbstractAdaptor(server), m_requests(requests), m_bus(bus)
{
    setAutoRelaySignals(false);
    connect(server, &clsMainServer::onLogin, this, &MainServerAdaptor::onLogin);
    connect(server, &clsMainServer::onLogout, this, &MainServerAdaptor::onLogout);
}

bool MainServerAdaptor::doLogin(bool ShowBox, const QString &Password, const QDBusMessage &message)
{
    message.setDelayedReply(true);
    QDBusConnection bus = m_bus;
    m_requests->login(ShowBox, Password, [bus, message](const LoginRequests::Outcome &outcome) mutable {
        if (outcome.failed)
            bus.send(message.createErrorReply(QString::fromLatin1(pluginBus::kErrorName), outcome.error));
        else
            bus.send(message.createReply(outcome.loggedIn));
    });
    return false;
}

void MainServerAdaptor::doLogout()
{
    m_requests->logout();
}

MainServerReferenceAdaptor::MainServerReferenceAdaptor(clsMainServerReference *reference,
                                                       const QDBusConnection &bus)
    : QDBusAbstractAdaptor(reference), m_reference(reference), m_bus(bus)
{
}

QDBusObjectPath MainServerReferenceAdaptor::GetMainServerReference(const QDBusMessage &message)
{
    if (!m_reference->GetMainServerReference()) {
        message.setDelayedReply(true);
        m_bus.send(message.createErrorReply(QString::fromLatin1(pluginBus::kErrorName),
                                            QStringLiteral("no server object in this process")));
        return {};
    }
    return QDBusObjectPath(QString::fromLatin1(pluginBus::kServerPath));
}
