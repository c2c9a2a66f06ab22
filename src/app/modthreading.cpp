#include "app/modthreading.h"

#include "app/accessibility.h"
#include "app/clsmainapp.h"
#include "app/frmmainbus.h"
#include "app/frmprocess.h"
#include "app/termsignals.h"
#include "kortvikbus.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QMessageBox>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace modThreading {

namespace {

std::atomic<StartMode> g_startMode{StartMode::User};
std::atomic<bool> g_startMinimized{false};
// Set once the first thread has made its marker window: the stand-in for a
// title search from threads that cannot look at the first thread's widgets.
std::atomic<bool> g_markerMade{false};

constexpr int kActivateTimeoutMs = 5000;

QString hexNumber(quint32 number)
{
    return QStringLiteral("0x") + QString::number(number, 16).toUpper().rightJustified(8, QLatin1Char('0'));
}

// The top-level window with exactly this title, searched on the first
// thread; other threads can only learn whether the marker exists.
bool markerWindowExists(const QString &caption)
{
    if (QThread::currentThread() != QCoreApplication::instance()->thread())
        return g_markerMade.load();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (w->windowTitle() == caption)
            return true;
    }
    return false;
}

enum class Claim { Ours, Taken, NoBus };

// The previous-instance test: another process owns the bus name. The same
// process asking again gets the name back as its own, so later threads never
// take themselves for a second instance.
Claim claimInstance()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return Claim::NoBus;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
        busName(), QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid())
        return Claim::NoBus;
    return reply.value() == QDBusConnectionInterface::ServiceRegistered ? Claim::Ours : Claim::Taken;
}

void activateRunningInstance()
{
    QDBusMessage call = QDBusMessage::createMethodCall(busName(), QString::fromLatin1(frmMainBus::kPath),
                                                       QString::fromLatin1(frmMainBus::kInterface),
                                                       QStringLiteral("Activate"));
    // Failure (no such window, no answer) is of no consequence.
    QDBusConnection::sessionBus().call(call, QDBus::Block, kActivateTimeoutMs);
}

} // namespace

StartError::StartError(quint32 number, const QString &description)
    : std::runtime_error(description.toStdString()), m_number(number), m_description(description)
{
}

QString StartError::message() const
{
    return QStringLiteral("Error %1 (%2): %3")
        .arg(hexNumber(m_number))
        .arg(qint32(m_number))
        .arg(m_description);
}

void setStartMode(StartMode mode)
{
    g_startMode = mode;
}

StartMode startMode()
{
    return g_startMode;
}

void setStartMinimized(bool minimized)
{
    g_startMinimized = minimized;
}

bool startMinimized()
{
    return g_startMinimized;
}

QString busName()
{
    return QString::fromLatin1(kortvikBus::kService);
}

clsMainApp *&mainApp()
{
    thread_local clsMainApp *app = nullptr;
    return app;
}

frmProcess *&processWindow()
{
    thread_local frmProcess *window = nullptr;
    return window;
}

quint32 &processId()
{
    thread_local quint32 id = 0;
    return id;
}

QString secondInstanceText()
{
    return QStringLiteral("Du har redan en existerande instans av Kortvik körandes\r\n\r\n"
                          "   Var god använd den instansen istället");
}

void showSecondInstanceBox()
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Öppen instans"), secondInstanceText(),
                    QMessageBox::Ok);
    box.setObjectName(QStringLiteral("msgOpenInstance"));
    box.exec();
}

void startThread()
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    // Without an application object no window can exist on any thread.
    if (!app)
        throw StartError(kErrInternalStart, QStringLiteral("Internal error starting thread"));

    processId() = quint32(QCoreApplication::applicationPid());
    const QString marker = frmProcess::markerCaption(processId());
    const bool onFirstThread = QThread::currentThread() == app->thread();

    // Windows exist on the first thread only: a later thread finds the
    // process set up, and one of an unready process has nothing to build on.
    if (!onFirstThread) {
        if (markerWindowExists(marker))
            return;
        throw StartError(kErrInternalStart, QStringLiteral("Internal error starting thread"));
    }

    // A later start on this thread finds the process set up.
    if (markerWindowExists(marker))
        return;

    // From here on a termination request ends the process in order, even
    // while the "Öppen instans" box waits or before the window exists.
    installShutdownSignals();

    const Claim claim = claimInstance();
    if (claim == Claim::Taken) {
        showSecondInstanceBox();
        activateRunningInstance();
        std::fflush(nullptr);
        std::_Exit(0);
    }
    if (claim == Claim::NoBus)
        std::fprintf(stderr, "kortvik: no D-Bus session bus; starting as a single instance "
                             "without the plug-in interface\n");

    if (startMode() == StartMode::Automation)
        throw StartError(kErrAutomationStart, QStringLiteral("Application can't be started with Automation"));

    auto *marked = new frmProcess();
    marked->setWindowTitle(marker);
    // A native window makes the marker visible to outside tools, like the
    // window list that the title search looks at. It is never shown.
    marked->winId();
    // Nothing for a user: a screen reader does not list it.
    hideFromAssistiveTechnology(marked);
    processWindow() = marked;
    g_markerMade = true;

    mainApp() = new clsMainApp();
}

void unloadProcessWindow()
{
    if (frmProcess *w = processWindow()) {
        processWindow() = nullptr;
        w->close();
        delete w;
    }
}

} // namespace modThreading
