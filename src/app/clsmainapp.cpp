#include "app/clsmainapp.h"

#include "app/desktopintegration.h"
#include "app/frmmain.h"
#include "app/frmmainbus.h"
#include "app/modthreading.h"
#include "imail/imaillist.h"
#include "net/logintrace.h"
#include "plugin/busexport.h"
#include "plugin/clsmainserver.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QEvent>

#include <cstdio>

namespace {

// With a login trace on: the session's signals (before their listeners
// run) and, with KORTVIK_TRACE_EVENTS set as well, the events the main
// thread handles in between.
class EventTrace : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Timer:
        case QEvent::Paint:
        case QEvent::UpdateRequest:
        case QEvent::LayoutRequest:
        case QEvent::MetaCall:
        case QEvent::Polish:
        case QEvent::PolishRequest:
            loginTrace::mark(QByteArray("event ").append(QByteArray::number(int(event->type()))).constData(),
                             watched->metaObject()->className());
            break;
        default:
            break;
        }
        return false;
    }
};

void traceSession(modGlobal::Session *s)
{
    using modGlobal::Session;
    QObject::connect(s, &Session::loginStarted, s, [] { loginTrace::mark("signal loginStarted"); });
    QObject::connect(s, &Session::loggedIn, s, [] { loginTrace::mark("signal loggedIn"); });
    QObject::connect(s, &Session::loggedOut, s, [] { loginTrace::mark("signal loggedOut"); });
    QObject::connect(s, &Session::loginFinished, s, [] { loginTrace::mark("signal loginFinished"); });
    QObject::connect(s, &Session::profileChanged, s, [] { loginTrace::mark("signal profileChanged"); });
    QObject::connect(s, &Session::imailCheckDue, s, [] { loginTrace::mark("signal imailCheckDue"); });
    QObject::connect(s, &Session::imailCountsChanged, s, [] { loginTrace::mark("signal imailCountsChanged"); });
    if (qEnvironmentVariableIsSet("KORTVIK_TRACE_EVENTS"))
        QCoreApplication::instance()->installEventFilter(new EventTrace(s));
}

} // namespace

clsMainApp::clsMainApp()
{
    if (loginTrace::enabled())
        traceSession(&m_session);
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
    m_mainWindow->show();
}

clsMainApp::~clsMainApp()
{
    // The window uses the session; it goes first.
    delete m_mainWindow;
    modThreading::unloadProcessWindow();
}
