#include "plugin/plugininbox.h"

#include "imail/imailcheckflight.h"
#include "session/session.h"

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

void PluginInbox::follow(modGlobal::Session *session)
{
    using modGlobal::Session;
    // The session raises loggedIn and loggedOut before its own flag follows.
    connect(session, &Session::loginStarted, this,
            [this, session] { showSession(session, true, session->isLoggedIn()); });
    connect(session, &Session::loggedIn, this,
            [this, session] { showSession(session, session->loginInProgress(), true); });
    connect(session, &Session::loggedOut, this, [this, session] {
        showSession(session, session->loginInProgress(), false);
        setRows({});
    });
    connect(session, &Session::profileChanged, this, [this, session] {
        showSession(session, m_properties.values().loggingIn && session->loginInProgress(), session->isLoggedIn());
    });
    connect(session, &Session::loginFinished, this,
            [this, session] { showSession(session, false, session->isLoggedIn()); });
    connect(session, &Session::imailCountsChanged, &m_properties, &PluginProperties::setIMailCounts);
}

void PluginInbox::showSession(modGlobal::Session *session, bool loggingIn, bool in)
{
    // The status bar shows the profile's alias and id once the member is in;
    // the counts are the session's, so a logout's zeros go out with it.
    PluginProperties::Values v;
    v.loggedIn = in;
    v.loggingIn = loggingIn;
    v.guest = in && session->isGuest();
    v.userId = in ? session->profile().userid : 0;
    v.alias = in ? session->profile().sign : QString();
    v.imailCount = session->imailCount();
    v.newIMailCount = session->newIMailCount();
    m_properties.setValues(v);
}

void PluginInbox::checkIMails(const QDBusMessage &message)
{
    if (!m_flight)
        return; // the automatic empty reply
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
