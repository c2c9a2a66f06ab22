#pragma once
#include <QDBusConnection>

class clsMainServer;
namespace modWebFunctions {
class IMailWatch;
}

// Exports /clsMainServerReference and /clsMainServer on the connection
// (the bus name itself is requested by the start procedure). The server
// object's live state follows its session; its inbox and CheckIMails come
// from the iMail watch (without one, the list stays empty and a check
// answers at once).
bool exportBusObjects(QDBusConnection bus, clsMainServer *server,
                      modWebFunctions::IMailWatch *imails = nullptr);
