#pragma once
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>

#include "imailrow.h"

class clsMainServer;
class clsMainServerReference;
class LoginRequests;
class PluginInbox;

// Bus names of the plug-in interface.
namespace pluginBus {
inline constexpr const char *kServerPath = "/clsMainServer";
inline constexpr const char *kReferencePath = "/clsMainServerReference";
inline constexpr const char *kServerInterface = "org.kortvik.Kortvik.clsMainServer";
inline constexpr const char *kReferenceInterface = "org.kortvik.Kortvik.clsMainServerReference";
inline constexpr const char *kErrorName = "org.kortvik.Kortvik.Error";
} // namespace pluginBus

// org.kortvik.Kortvik.clsMainServer on /clsMainServer.
class MainServerAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kortvik.Kortvik.clsMainServer")
    Q_CLASSINFO("D-Bus Introspection", ""
        "  <interface name=\"org.kortvik.Kortvik.clsMainServer\">\n"
        "    <method name=\"doLogin\">\n"
        "      <arg name=\"ShowBox\" type=\"b\" direction=\"in\"/>\n"
        "      <arg name=\"Password\" type=\"s\" direction=\"in\"/>\n"
        "      <arg type=\"b\" direction=\"out\"/>\n"
        "    </method>\n"
        "    <method name=\"doLogout\"/>\n"
        "    <signal name=\"onLogin\">\n"
        "      <arg name=\"Password\" type=\"s\"/>\n"
        "      <arg name=\"UserID\" type=\"i\"/>\n"
        "    </signal>\n"
        "    <signal name=\"onLogout\">\n"
        "      <arg name=\"Password\" type=\"s\"/>\n"
        "      <arg name=\"UserID\" type=\"i\"/>\n"
        "    </signal>\n"
        "    <property name=\"LoggedIn\" type=\"b\" access=\"read\"/>\n"
        "    <property name=\"LoggingIn\" type=\"b\" access=\"read\"/>\n"
        "    <property name=\"Guest\" type=\"b\" access=\"read\"/>\n"
        "    <property name=\"UserID\" type=\"i\" access=\"read\"/>\n"
        "    <property name=\"Alias\" type=\"s\" access=\"read\"/>\n"
        "    <property name=\"IMailCount\" type=\"i\" access=\"read\"/>\n"
        "    <property name=\"NewIMailCount\" type=\"i\" access=\"read\"/>\n"
        "    <method name=\"GetIMails\">\n"
        "      <arg name=\"IMails\" type=\"a(isxbis)\" direction=\"out\"/>\n"
        "    </method>\n"
        "    <method name=\"CheckIMails\"/>\n"
        "    <signal name=\"IMailsChanged\">\n"
        "      <arg name=\"IMails\" type=\"a(isxbis)\"/>\n"
        "    </signal>\n"
        "  </interface>\n")
    Q_PROPERTY(bool LoggedIn READ loggedIn)
    Q_PROPERTY(bool LoggingIn READ loggingIn)
    Q_PROPERTY(bool Guest READ guest)
    Q_PROPERTY(int UserID READ userId)
    Q_PROPERTY(QString Alias READ alias)
    Q_PROPERTY(int IMailCount READ imailCount)
    Q_PROPERTY(int NewIMailCount READ newIMailCount)
public:
    // requests: how logins are carried out (owned by the caller or the server);
    // inbox: the live state and the inbox (owned by the caller or the server).
    MainServerAdaptor(clsMainServer *server, LoginRequests *requests, PluginInbox *inbox,
                      const QDBusConnection &bus);

    bool loggedIn() const;
    bool loggingIn() const;
    bool guest() const;
    int userId() const;
    QString alias() const;
    int imailCount() const;
    int newIMailCount() const;

public slots:
    // Answered when the login has ended (a delayed reply); the return value
    // of the slot itself is not used.
    bool doLogin(bool ShowBox, const QString &Password, const QDBusMessage &message);
    void doLogout();
    IMailRows GetIMails();
    // Answered when the check it runs or joins has ended (a delayed reply).
    void CheckIMails(const QDBusMessage &message);

signals:
    void onLogin(const QString &Password, int UserID);
    void onLogout(const QString &Password, int UserID);
    void IMailsChanged(const IMailRows &IMails);

private:
    LoginRequests *m_requests;
    PluginInbox *m_inbox;
    QDBusConnection m_bus;
};

// org.kortvik.Kortvik.clsMainServerReference on /clsMainServerReference.
class MainServerReferenceAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kortvik.Kortvik.clsMainServerReference")
    Q_CLASSINFO("D-Bus Introspection", ""
        "  <interface name=\"org.kortvik.Kortvik.clsMainServerReference\">\n"
        "    <method name=\"GetMainServerReference\">\n"
        "      <arg type=\"o\" direction=\"out\"/>\n"
        "    </method>\n"
        "  </interface>\n")
public:
    MainServerReferenceAdaptor(clsMainServerReference *reference, const QDBusConnection &bus);

public slots:
    QDBusObjectPath GetMainServerReference(const QDBusMessage &message);

private:
    clsMainServerReference *m_reference;
    QDBusConnection m_bus;
};
