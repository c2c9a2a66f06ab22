// A Kortvik plug-in in C++/Qt: log in with a password, wait for onLogin,
// log out, wait for onLogout, and print what was heard.
//
// usage: kortvik-plugin-example PASSWORD
// Exit codes: 0 logged in and out, 1 the login failed, 2 Kortvik does not
// answer or reports an error, 3 an event did not come.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QTimer>

#include <cstdio>

namespace {

const QString kService = QStringLiteral("org.kortvik.Kortvik");
const QString kServerInterface = QStringLiteral("org.kortvik.Kortvik.clsMainServer");
// doLogin answers only when the login has ended.
constexpr int kLoginTimeoutMs = 120000;
constexpr int kEventTimeoutMs = 10000;

class Plugin : public QObject
{
    Q_OBJECT
public:
    Plugin(QDBusConnection bus, QString server, QString password)
        : m_bus(bus), m_server(std::move(server)), m_password(std::move(password))
    {
        m_eventTimer.setSingleShot(true);
        connect(&m_eventTimer, &QTimer::timeout, this, [this] {
            std::printf("no %s heard\n", qPrintable(m_waitingFor));
            QCoreApplication::exit(3);
        });
    }

    bool listen()
    {
        return m_bus.connect(kService, m_server, kServerInterface, QStringLiteral("onLogin"), this,
                             SLOT(onLogin(QString, int)))
            && m_bus.connect(kService, m_server, kServerInterface, QStringLiteral("onLogout"), this,
                             SLOT(onLogout(QString, int)));
    }

    void login()
    {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, m_server, kServerInterface,
                                                           QStringLiteral("doLogin"));
        call << false << m_password;
        auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kLoginTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
            w->deleteLater();
            const QDBusPendingReply<bool> reply = *w;
            if (reply.isError()) {
                std::printf("doLogin: error %s: %s\n", qPrintable(reply.error().name()),
                            qPrintable(reply.error().message()));
                QCoreApplication::exit(2);
                return;
            }
            std::printf("doLogin: %s\n", reply.value() ? "true" : "false");
            std::fflush(stdout);
            if (!reply.value()) {
                QCoreApplication::exit(1);
                return;
            }
            m_loginAnswered = true;
            proceed();
        });
    }

public slots:
    void onLogin(const QString &password, int userId)
    {
        std::printf("onLogin %s %d\n", qPrintable(password), userId);
        std::fflush(stdout);
        m_heardLogin = true;
        proceed();
    }

    void onLogout(const QString &password, int userId)
    {
        std::printf("onLogout %s %d\n", qPrintable(password), userId);
        std::fflush(stdout);
        if (m_loggingOut) {
            m_eventTimer.stop();
            QCoreApplication::exit(0);
        }
    }

private:
    // Logs out once the login has been answered and its event heard.
    void proceed()
    {
        if (!m_loginAnswered || m_loggingOut)
            return;
        if (!m_heardLogin) {
            m_waitingFor = QStringLiteral("onLogin");
            m_eventTimer.start(kEventTimeoutMs);
            return;
        }
        m_loggingOut = true;
        m_waitingFor = QStringLiteral("onLogout");
        m_eventTimer.start(kEventTimeoutMs);
        m_bus.asyncCall(QDBusMessage::createMethodCall(kService, m_server, kServerInterface,
                                                       QStringLiteral("doLogout")));
    }

    QDBusConnection m_bus;
    QString m_server;
    QString m_password;
    QTimer m_eventTimer;
    QString m_waitingFor;
    bool m_loginAnswered = false;
    bool m_heardLogin = false;
    bool m_loggingOut = false;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kortvik-plugin-example PASSWORD\n");
        return 2;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "no D-Bus session bus\n");
        return 2;
    }
    // Ask the reference object for the server object, as every plug-in starts.
    const QDBusReply<QDBusObjectPath> server = bus.call(QDBusMessage::createMethodCall(
        kService, QStringLiteral("/clsMainServerReference"),
        QStringLiteral("org.kortvik.Kortvik.clsMainServerReference"), QStringLiteral("GetMainServerReference")));
    if (!server.isValid()) {
        std::fprintf(stderr, "Kortvik does not answer: %s\n", qPrintable(server.error().message()));
        return 2;
    }
    Plugin plugin(bus, server.value().path(), QString::fromLocal8Bit(argv[1]));
    if (!plugin.listen()) {
        std::fprintf(stderr, "cannot listen to %s\n", qPrintable(server.value().path()));
        return 2;
    }
    plugin.login();
    return app.exec();
}

#include "main.moc"
