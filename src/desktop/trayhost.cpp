#include "desktop/trayhost.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QSystemTrayIcon>

#ifdef KORTVIK_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#endif

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
// A watcher that hangs must not hold the start for long.
constexpr int kWatcherTimeoutMs = 2000;

QDBusMessage hostQuestion()
{
    QDBusMessage get = QDBusMessage::createMethodCall(kWatcher, kWatcherPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    return get;
}

bool saysHostRegistered(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
           && qvariant_cast<QDBusVariant>(reply.arguments().first()).variant().toBool();
}

} // namespace

namespace trayHost {

bool statusNotifierHostPresent(const QDBusConnection &bus)
{
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(kWatcher))
        return false;
    return saysHostRegistered(bus.call(hostQuestion(), QDBus::Block, kWatcherTimeoutMs));
}

bool xembedTrayPresent()
{
#ifdef KORTVIK_HAVE_XCB
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return false;
    xcb_connection_t *c = x11->connection();
    // The screen of DISPLAY (":0.1" is screen 1), as the tray's selection names it.
    int screen = 0;
    if (const char *display = std::getenv("DISPLAY")) {
        const QByteArray d(display);
        const int dot = d.lastIndexOf('.');
        if (dot > d.lastIndexOf(':'))
            screen = d.mid(dot + 1).toInt();
    }
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, name.size(), name.constData()), nullptr), &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false;
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr), &std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
#else
    return false;
#endif
}

bool present()
{
    if (!statusNotifierHostPresent(QDBusConnection::sessionBus()) && !xembedTrayPresent())
        return false;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

} // namespace trayHost

TrayHostWatch::TrayHostWatch(QObject *parent) : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    auto *watch = new QDBusServiceWatcher(kWatcher, bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(watch, &QDBusServiceWatcher::serviceRegistered, this, &TrayHostWatch::watcherRegistered);
    // A watcher that was up before its host: the host says when it comes.
    bus.connect(kWatcher, kWatcherPath, kWatcher, QStringLiteral("StatusNotifierHostRegistered"), this,
                SLOT(hostRegistered()));
    // One that was up but too slow to answer at start is asked once more,
    // without waiting for it.
    if (bus.interface() && bus.interface()->isServiceRegistered(kWatcher)) {
        auto *pending = new QDBusPendingCallWatcher(bus.asyncCall(hostQuestion()), this);
        connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending] {
            pending->deleteLater();
            if (saysHostRegistered(pending->reply()))
                emit hostAppeared();
        });
    }
}

void TrayHostWatch::watcherRegistered()
{
    if (trayHost::statusNotifierHostPresent(QDBusConnection::sessionBus()))
        emit hostAppeared();
}

void TrayHostWatch::hostRegistered()
{
    emit hostAppeared();
}
