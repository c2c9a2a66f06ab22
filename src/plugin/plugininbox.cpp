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
    // "LoggingIn" goes up as a login starts and down as it ends; a login
    // that no longer talks to the site (cancelled, or in) drops it at the
    // next change plug-ins see.
    connect(session, &Session::loginStarted, this, [this, session] { showSession(session, true); });
    connect(session, &Session::loggedIn, this, [this, session] { showSession(session, session->loginInProgress()); });
    connect(session, &Session::loggedOut, this, [this, session] {
        showSession(session, session->loginInProgress());
        setRows({});
    });
    connect(session, &Session::profileChanged, this, [this, session] {
        showSession(session, m_properties.values().loggingIn && session->loginInProgress());
    });
    connect(session, &Session::loginFinished, this, [this, session] { showSession(session, false); });
    connect(session, &Session::imailCountsChanged, &m_properties, &PluginProperties::setIMailCounts);
}

void PluginInbox::showSession(modGlobal::Session *session, bool loggingIn)
{
    // The status bar shows the profile's alias and id once the member is in;
    // nobody logged in has no iMails, so a logout's zeros go out with it.
    const bool in = session->isLoggedIn();
    PluginProperties::Values v;
    v.loggedIn = in;
    v.loggingIn = loggingIn;
    v.guest = in && session->isGuest();
    v.userId = in ? session->memberId() : 0;
    v.alias = in ? session->alias() : QString();
    v.imailCount = in ? session->imailCount() : 0;
    v.newIMailCount = in ? session->newIMailCount() : 0;
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
