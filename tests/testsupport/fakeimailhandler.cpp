#include "fakeimailhandler.h"

#include <QTimer>
#include <QUuid>

FakeIMailHandler::FakeIMailHandler(const QString &busAddress, Mode mode, QObject *parent)
    : QObject(parent)
    , m_address(busAddress)
    , m_connectionName(QStringLiteral("fake-imail-handler-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    , m_mode(mode)
{
}

FakeIMailHandler::~FakeIMailHandler()
{
    QDBusConnection::disconnectFromBus(m_connectionName);
}

bool FakeIMailHandler::start()
{
    QDBusConnection bus = QDBusConnection::connectToBus(m_address, m_connectionName);
    return bus.isConnected() && bus.registerService(QStringLiteral("org.kortvik.Kortvik.IMailHandler"))
        && bus.registerObject(QStringLiteral("/IMailHandler"), this, QDBusConnection::ExportAllSlots);
}

void FakeIMailHandler::Open(const QDBusMessage &message)
{
    ++m_calls;
    QDBusConnection bus(m_connectionName);
    switch (m_mode) {
    case Mode::Answer:
        return;
    case Mode::Silent:
        message.setDelayedReply(true);
        return;
    case Mode::Error:
        bus.send(message.createErrorReply(QStringLiteral("org.kortvik.test.Failed"), QStringLiteral("nej")));
        message.setDelayedReply(true);
        return;
    case Mode::Crash:
        // Gone without a reply, as a crashed program's connection goes.
        message.setDelayedReply(true);
        QTimer::singleShot(0, this, [name = m_connectionName] { QDBusConnection::disconnectFromBus(name); });
        return;
    }
}
