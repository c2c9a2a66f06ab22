#include "plugin/mainserveradaptor.h"

#include "plugin/clsmainserver.h"
#include "plugin/clsmainserverreference.h"
#include "plugin/loginrequests.h"
#include "plugin/plugininbox.h"

#include "net/logintrace.h"

MainServerAdaptor::MainServerAdaptor(clsMainServer *server, LoginRequests *requests, PluginInbox *inbox,
                                     const QDBusConnection &bus)
    : QDBusAbstractAdaptor(server), m_requests(requests), m_inbox(inbox), m_bus(bus)
{
    setAutoRelaySignals(false);
    connect(server, &clsMainServer::onLogin, this, &MainServerAdaptor::onLogin);
    connect(server, &clsMainServer::onLogout, this, &MainServerAdaptor::onLogout);
    connect(inbox, &PluginInbox::imailsChanged, this, &MainServerAdaptor::IMailsChanged);
}

bool MainServerAdaptor::loggedIn() const { return m_inbox->properties().values().loggedIn; }
bool MainServerAdaptor::loggingIn() const { return m_inbox->properties().values().loggingIn; }
bool MainServerAdaptor::guest() const { return m_inbox->properties().values().guest; }
int MainServerAdaptor::userId() const { return m_inbox->properties().values().userId; }
QString MainServerAdaptor::alias() const { return m_inbox->properties().values().alias; }
int MainServerAdaptor::imailCount() const { return m_inbox->properties().values().imailCount; }
int MainServerAdaptor::newIMailCount() const { return m_inbox->properties().values().newIMailCount; }

IMailRows MainServerAdaptor::GetIMails()
{
    return m_inbox->rows();
}

void MainServerAdaptor::CheckIMails(const QDBusMessage &message)
{
    m_inbox->checkIMails(message);
}

bool MainServerAdaptor::doLogin(bool ShowBox, const QString &Password, const QDBusMessage &message)
{
    loginTrace::mark("doLogin");
    message.setDelayedReply(true);
    QDBusConnection bus = m_bus;
    m_requests->login(ShowBox, Password, [bus, message](const LoginRequests::Outcome &outcome) mutable {
        if (outcome.failed)
            bus.send(message.createErrorReply(QString::fromLatin1(pluginBus::kErrorName), outcome.error));
        else
            bus.send(message.createReply(outcome.loggedIn));
        loginTrace::mark("reply");
        loginTrace::flush();
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
