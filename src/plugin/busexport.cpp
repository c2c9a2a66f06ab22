#include "plugin/busexport.h"

#include "imail/imaillist.h"
#include "kortvikbus.h"
#include "plugin/clsmainserver.h"
#include "plugin/clsmainserverreference.h"
#include "plugin/loginrequests.h"
#include "plugin/mainserverbus.h"
#include "plugin/plugininbox.h"

bool exportBusObjects(QDBusConnection bus, clsMainServer *server, modWebFunctions::IMailWatch *imails)
{
    if (!server || !bus.isConnected())
        return false;
    // Everything hangs off the server object, which lives until the process ends.
    auto *requests = new LoginRequests(server->session(), [server](bool showBox, const QString &password) {
        return server->doLogin(showBox, password);
    }, [server] { server->doLogout(); }, server);
    auto *inbox = new PluginInbox(imails ? imails->flight() : nullptr);
    auto *exported = new MainServerBus(server, requests, inbox, server);
    inbox->setParent(exported);
    inbox->follow(server->session());
    if (imails)
        QObject::connect(imails, &modWebFunctions::IMailWatch::imailsRead, inbox, &PluginInbox::setRows);
    inbox->attach(bus, QString::fromLatin1(kortvikBus::kServerPath), QString::fromLatin1(kortvikBus::kServerInterface));
    adaptMainServer(exported);
    auto *reference = new clsMainServerReference(server, server);
    auto *exportedReference = new MainServerReferenceBus(reference, reference);
    adaptMainServerReference(exportedReference);

    const bool serverOk = bus.registerObject(QString::fromLatin1(kortvikBus::kServerPath), exported,
                                             QDBusConnection::ExportAdaptors);
    const bool referenceOk = bus.registerObject(QString::fromLatin1(kortvikBus::kReferencePath), exportedReference,
                                                QDBusConnection::ExportAdaptors);
    return serverOk && referenceOk;
}
