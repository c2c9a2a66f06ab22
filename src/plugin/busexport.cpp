#include "plugin/busexport.h"

#include "imail/imaillist.h"
#include "plugin/clsmainserver.h"
#include "plugin/clsmainserverreference.h"
#include "plugin/loginrequests.h"
#include "plugin/plugininbox.h"
#include "plugin/mainserveradaptor.h"

bool exportBusObjects(QDBusConnection bus, clsMainServer *server, modWebFunctions::IMailWatch *imails)
{
    if (!server || !bus.isConnected())
        return false;
    // Everything hangs off the server object, which lives until the process ends.
    auto *requests = new LoginRequests(server->session(), [server](bool showBox, const QString &password) {
        return server->doLogin(showBox, password);
    }, [server] { server->doLogout(); }, server);
    auto *inbox = new PluginInbox(imails ? imails->flight() : nullptr, server);
    inbox->follow(server->session());
    if (imails)
        QObject::connect(imails, &modWebFunctions::IMailWatch::imailsRead, inbox, &PluginInbox::setRows);
    inbox->attach(bus, QString::fromLatin1(pluginBus::kServerPath), QString::fromLatin1(pluginBus::kServerInterface));
    new MainServerAdaptor(server, requests, inbox, bus);
    auto *reference = new clsMainServerReference(server, server);
    new MainServerReferenceAdaptor(reference, bus);

    const bool serverOk = bus.registerObject(QString::fromLatin1(pluginBus::kServerPath), server,
                                             QDBusConnection::ExportAdaptors);
    const bool referenceOk = bus.registerObject(QString::fromLatin1(pluginBus::kReferencePath), reference,
                                                QDBusConnection::ExportAdaptors);
    return serverOk && referenceOk;
}
