#include "testkeyring.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

TestKeyring::~TestKeyring()
{
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(5000))
        m_daemon.kill();
}

bool TestKeyring::available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon")).isEmpty()
           && !QStandardPaths::findExecutable(QStringLiteral("secret-tool")).isEmpty();
}

bool TestKeyring::start(const QString &busAddress, bool unlocked, QString *why)
{
    const QString home = m_home.path();
    m_env = QProcessEnvironment::systemEnvironment();
    m_env.remove(QStringLiteral("GNOME_KEYRING_CONTROL"));
    m_env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    m_env.insert(QStringLiteral("HOME"), home);
    for (const char *var : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString folder = home + QLatin1Char('/') + QLatin1String(var);
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_env.insert(QLatin1String(var), folder);
    }
    m_daemon.setProcessEnvironment(m_env);
    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{QStringLiteral("--foreground"), QStringLiteral("--components=secrets")};
    if (unlocked)
        args << QStringLiteral("--unlock");
    m_daemon.start(QStringLiteral("gnome-keyring-daemon"), args);
    // The password goes out before the channel closes (nothing below runs
    // the event loop that would write it).
    if (!m_daemon.waitForStarted(10000)
        || (unlocked && (m_daemon.write("kortvik-test") < 0 || !m_daemon.waitForBytesWritten(10000)))) {
        *why = QStringLiteral("gnome-keyring-daemon did not start");
        return false;
    }
    m_daemon.closeWriteChannel();

    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, QStringLiteral("testkeyring"));
    const auto up = [&bus] {
        return bus.interface() && bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets"));
    };
    const QDeadlineTimer deadline(30000);
    while (!up() && !deadline.hasExpired() && m_daemon.state() == QProcess::Running)
        QThread::msleep(50);
    const bool ok = up();
    QDBusConnection::disconnectFromBus(bus.name());
    if (!ok)
        *why = QStringLiteral("gnome-keyring-daemon did not take org.freedesktop.secrets");
    return ok;
}

QString TestKeyring::secretTool(const QString &command, const QString &server, const QString &user)
{
    QProcess tool;
    tool.setProcessEnvironment(m_env);
    tool.start(QStringLiteral("secret-tool"), {command, QStringLiteral("server"), server, QStringLiteral("user"), user});
    tool.closeWriteChannel();
    if (!tool.waitForFinished(30000))
        tool.kill();
    return QString::fromUtf8(tool.readAllStandardOutput());
}

QString TestKeyring::lookup(const QString &server, const QString &user)
{
    return secretTool(QStringLiteral("lookup"), server, user);
}

QString TestKeyring::label(const QString &server, const QString &user)
{
    static const QRegularExpression line(QStringLiteral("^label = (.*)$"), QRegularExpression::MultilineOption);
    return line.match(secretTool(QStringLiteral("search"), server, user)).captured(1);
}
