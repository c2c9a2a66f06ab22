#include "plugin/imailhandlercall.h"

#include "kortvikbus.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

IMailHandlerCall::IMailHandlerCall(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
{
}

void IMailHandlerCall::open()
{
    if (m_running)
        return;
    m_running = true;
    // Without a session bus there is no handler to ask.
    if (!m_bus.isConnected())
        return finish(false);
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(kortvikBus::kIMailHandlerService),
                                                      QLatin1String(kortvikBus::kIMailHandlerPath),
                                                      QLatin1String(kortvikBus::kIMailHandlerInterface),
                                                      QStringLiteral("Open"));
    // Without an owner the bus answers at once with ServiceUnknown; never
    // let it start a handler that nobody runs.
    call.setAutoStartService(false);
    // The bus's own timeout covers a handler that never answers, and a
    // handler that dies is answered for by the bus at once.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_timeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        finish(!w->isError());
    });
}

void IMailHandlerCall::finish(bool handled)
{
    m_running = false;
    if (handled)
        emit opened();
    else
        emit noHandler();
}
