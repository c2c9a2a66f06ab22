#include "app/clsmainapp.h"

#include "app/frmmain.h"
#include "app/frmmainbus.h"
#include "app/modthreading.h"
#include "plugin/busexport.h"
#include "plugin/clsmainserver.h"
#include "session/modglobal.h"

#include <QDBusConnection>

#include <cstdio>

clsMainApp::clsMainApp()
{
    modGlobal::SessionState &s = modGlobal::session();
    // The server object lives until the process ends.
    s.mainServer = new clsMainServer();

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && !exportBusObjects(bus, s.mainServer))
        std::fprintf(stderr, "kortvik: could not offer the plug-in objects on the session bus\n");

    m_mainWindow = new frmMain();
    s.mainWindow = m_mainWindow;
    if (bus.isConnected())
        bus.registerObject(QString::fromLatin1(frmMainBus::kPath), new frmMainBus(m_mainWindow),
                           QDBusConnection::ExportAllSlots);
    m_mainWindow = nullptr;

    if (auto *window = dynamic_cast<frmMain *>(s.mainWindow))
        window->show();
}

clsMainApp::~clsMainApp()
{
    modThreading::unloadProcessWindow();
}
