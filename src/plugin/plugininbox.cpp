#include "plugin/plugininbox.h"

#include "imail/imailcheckflight.h"

#include <QDBusMessage>

PluginInbox::PluginInbox(IMailCheckFlight *flight, QObject *parent)
    : QObject(parent)
    , m_flight(flight)
{
    imailRow::registerTypes();
    connect(&m_properties, &PluginProperties::changed, this, &PluginInbox::sendPropertiesChanged);
}

void PluginInbox::attach(const QDBusConnection &bus, const QString &path, const QString &interface)
{
    m_bus = bus;
    m_path = path;
    m_interface = interface;
}

void PluginInbox::checkIMails(const QDBusMessage &message)
{
    message.setDelayedReply(true);
    // The bus connection is kept by value: the reply goes out even when the
    // call's own connection object is gone by then.
    const QDBusMessage reply = message.createReply();
    QDBusConnection bus = m_bus;
    m_flight->request([bus, reply]() mutable { bus.send(reply); });
}

void PluginInbox::setRows(const IMailRows &rows)
{
    if (rows == m_rows)
        return;
    m_rows = rows;
    emit imailsChanged(m_rows);
}

void PluginInbox::sendPropertiesChanged(const QVariantMap &changed)
{
    if (!m_bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(m_path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << m_interface << changed << QStringList();
    m_bus.send(signal);
}
