#pragma once
#include <QDBusConnection>

class clsMainServer;

// Exports /clsMainServerReference and /clsMainServer on the connection
// (the bus name itself is requested by the start procedure).
bool exportBusObjects(QDBusConnection bus, clsMainServer *server);
