#pragma once
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>

class clsMainServer;
class clsMainServerReference;
class LoginRequests;

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
        "  </interface>\n")
public:
    // requests: how logins are carried out (owned by the caller or the server).
    MainServerAdaptor(clsMainServer *server, LoginRequests *requests, const QDBusConnection &bus);

public slots:
    // Answered when the login has ended (a delayed reply); the return value
    // of the slot itself is not used.
    bool doLogin(bool ShowBox, const QString &Password, const QDBusMessage &message);
    void doLogout();

signals:
    void onLogin(const QString &Password, int UserID);
    void onLogout(const QString &Password, int UserID);

private:
    LoginRequests *m_requests;
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
