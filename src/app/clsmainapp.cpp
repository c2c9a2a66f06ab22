#include "app/clsmainapp.h"

#include "app/desktopintegration.h"
#include "app/frmmain.h"
#include "app/frmmainbus.h"
#include "desktop/kortviktray.h"
#include "app/modthreading.h"
#include "imail/imaillist.h"
#include "plugin/busexport.h"
#include "plugin/clsmainserver.h"

#include <QDBusConnection>

#include <cstdio>

clsMainApp::clsMainApp()
{
    // A child of the session: answers its requests for iMail counts.
    auto *imailWatch = new modWebFunctions::IMailWatch(&m_session);

    // The server object lives until the process ends.
    auto *server = new clsMainServer(&m_session);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && !exportBusObjects(bus, server, imailWatch))
        std::fprintf(stderr, "kortvik: could not offer the plug-in objects on the session bus\n");

    m_mainWindow = new frmMain(&m_session);
    if (bus.isConnected())
        bus.registerObject(QString::fromLatin1(frmMainBus::kPath), new frmMainBus(m_mainWindow),
                           QDBusConnection::ExportAllSlots);
    // The tray, notifications and the wake-up from sleep; they only listen.
    auto *desktop = new DesktopIntegration(m_mainWindow, m_mainWindow);
    desktop->follow(&m_session, imailWatch);
    // Hidden only where the tray icon is a way back to it; loading starts
    // the start-up login and the timers all the same.
    if (modThreading::startMinimized() && desktop->tray()->isShown())
        m_mainWindow->load();
    else
        m_mainWindow->show();
}

clsMainApp::~clsMainApp()
{
    // The window uses the session; it goes first.
    delete m_mainWindow;
    modThreading::unloadProcessWindow();
}
