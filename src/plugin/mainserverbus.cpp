#include "plugin/mainserverbus.h"

#include "kortvikbus.h"
#include "mainserveradaptor.h"
#include "mainserverreferenceadaptor.h"
#include "net/logintrace.h"
#include "plugin/clsmainserver.h"
#include "plugin/clsmainserverreference.h"
#include "plugin/loginrequests.h"
#include "plugin/plugininbox.h"

MainServerBus::MainServerBus(clsMainServer *server, LoginRequests *requests, PluginInbox *inbox, QObject *parent)
    : QObject(parent), m_requests(requests), m_inbox(inbox)
{
    // Direct: plug-ins hear of it at the very step that logs in or out.
    connect(server, &clsMainServer::onLogin, this, &MainServerBus::onLogin, Qt::DirectConnection);
    connect(server, &clsMainServer::onLogout, this, &MainServerBus::onLogout, Qt::DirectConnection);
    connect(inbox, &PluginInbox::imailsChanged, this, &MainServerBus::IMailsChanged);
}

bool MainServerBus::loggedIn() const { return m_inbox->properties().values().loggedIn; }
bool MainServerBus::loggingIn() const { return m_inbox->properties().values().loggingIn; }
bool MainServerBus::guest() const { return m_inbox->properties().values().guest; }
int MainServerBus::userId() const { return m_inbox->properties().values().userId; }
QString MainServerBus::alias() const { return m_inbox->properties().values().alias; }
int MainServerBus::imailCount() const { return m_inbox->properties().values().imailCount; }
int MainServerBus::newIMailCount() const { return m_inbox->properties().values().newIMailCount; }

bool MainServerBus::doLogin(bool ShowBox, const QString &Password)
{
    loginTrace::mark("doLogin");
    const bool fromBus = calledFromDBus();
    QDBusMessage call;
    QDBusConnection bus(QString{});
    if (fromBus) {
        setDelayedReply(true);
        call = message();
        bus = connection();
    }
    m_requests->login(ShowBox, Password, [fromBus, bus, call](const LoginRequests::Outcome &outcome) mutable {
        if (!fromBus)
            return;
        if (outcome.failed)
            bus.send(call.createErrorReply(QString::fromLatin1(kortvikBus::kErrorName), outcome.error));
        else
            bus.send(call.createReply(outcome.loggedIn));
        loginTrace::mark("reply");
        loginTrace::flush();
    });
    return false;
}

void MainServerBus::doLogout()
{
    m_requests->logout();
}

IMailRows MainServerBus::GetIMails()
{
    return m_inbox->rows();
}

void MainServerBus::CheckIMails()
{
    if (calledFromDBus())
        m_inbox->checkIMails(message());
}

MainServerReferenceBus::MainServerReferenceBus(clsMainServerReference *reference, QObject *parent)
    : QObject(parent), m_reference(reference)
{
}

QDBusObjectPath MainServerReferenceBus::GetMainServerReference()
{
    if (m_reference && m_reference->GetMainServerReference())
        return QDBusObjectPath(QString::fromLatin1(kortvikBus::kServerPath));
    if (calledFromDBus())
        sendErrorReply(QString::fromLatin1(kortvikBus::kErrorName), QStringLiteral("no server object in this process"));
    return {};
}

void adaptMainServer(MainServerBus *server)
{
    // The adaptor relays the object's signals of the same signature.
    new MainServerAdaptor(server);
}

void adaptMainServerReference(MainServerReferenceBus *reference)
{
    new MainServerReferenceAdaptor(reference);
}
