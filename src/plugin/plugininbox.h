#pragma once
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include "imailrow.h"
#include "plugin/pluginproperties.h"

class IMailCheckFlight;
class QDBusMessage;

namespace modGlobal {
class Session;
}

// The live state and the inbox that /clsMainServer offers plug-ins: the
// properties (with PropertiesChanged), the rows of the last check
// (GetIMails, IMailsChanged) and CheckIMails through the one-at-a-time check.
class PluginInbox : public QObject
{
    Q_OBJECT
public:
    // flight: the one iMail check; without it CheckIMails answers at once.
    explicit PluginInbox(IMailCheckFlight *flight, QObject *parent = nullptr);

    // Keeps the properties equal to the session's state as the status bar
    // and the menu bar show it, from the session's signals; a logout
    // empties the list and zeroes the counts with the login properties (one
    // PropertiesChanged).
    void follow(modGlobal::Session *session);

    PluginProperties &properties() { return m_properties; }
    const IMailRows &rows() const { return m_rows; }

    // Sends PropertiesChanged for `interface` on `path` from now on.
    void attach(const QDBusConnection &bus, const QString &path, const QString &interface);

    // Answers the call (a delayed reply) when the check it joins has ended.
    void checkIMails(const QDBusMessage &message);

public slots:
    // The list of the last check that read the inbox; empty after a logout.
    void setRows(const IMailRows &rows);

signals:
    // The list differs from the one before.
    void imailsChanged(const IMailRows &rows);

private:
    void sendPropertiesChanged(const QVariantMap &changed);
    void showSession(modGlobal::Session *session, bool loggingIn);

    IMailCheckFlight *m_flight;
    PluginProperties m_properties;
    IMailRows m_rows;
    QDBusConnection m_bus{QString()};
    QString m_path;
    QString m_interface;
};
