#include "testkeyring.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QUuid>

TestKeyring::~TestKeyring()
{
    stop();
}

bool TestKeyring::available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon")).isEmpty()
           && !QStandardPaths::findExecutable(QStringLiteral("secret-tool")).isEmpty();
}

bool TestKeyring::start(const QString &busAddress, bool unlocked, QString *why)
{
    if (!available() || !m_home.isValid()) {
        *why = QStringLiteral("gnome-keyring-daemon or secret-tool is not installed");
        return false;
    }
    const QString home = m_home.path();
    for (const char *sub : {"/.config", "/.local/share", "/run", "/.cache"})
        QDir().mkpath(home + QLatin1String(sub));
    QFile::setPermissions(home + QStringLiteral("/run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                             QFileDevice::ExeOwner);
    m_env = QProcessEnvironment::systemEnvironment();
    m_env.insert(QStringLiteral("HOME"), home);
    m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    m_env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
    m_env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
    m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/run"));
    m_env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    m_env.remove(QStringLiteral("GNOME_KEYRING_CONTROL"));
    m_daemon.setProcessEnvironment(m_env);
    m_daemon.setProgram(QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon")));
    QStringList args{QStringLiteral("--foreground"), QStringLiteral("--components=secrets")};
    if (unlocked)
        args << QStringLiteral("--unlock");
    m_daemon.setArguments(args);
    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_daemon.start();
    if (!m_daemon.waitForStarted(10000)) {
        *why = QStringLiteral("gnome-keyring-daemon did not start");
        return false;
    }
    // The password goes out before the channel closes (nothing runs the
    // event loop below that would write it).
    if (unlocked && (m_daemon.write("kortvik-test") < 0 || !m_daemon.waitForBytesWritten(10000))) {
        *why = QStringLiteral("gnome-keyring-daemon took no password");
        return false;
    }
    m_daemon.closeWriteChannel();

    QDBusConnection bus = QDBusConnection::connectToBus(
        busAddress, QStringLiteral("testkeyring-") + QUuid::createUuid().toString(QUuid::WithoutBraces));
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && m_daemon.state() == QProcess::Running) {
        if (bus.interface() && bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")))
            break;
        QThread::msleep(50);
    }
    const bool up = bus.interface() && bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets"));
    QDBusConnection::disconnectFromBus(bus.name());
    if (!up)
        *why = QStringLiteral("gnome-keyring-daemon did not take org.freedesktop.secrets");
    return up;
}

void TestKeyring::stop()
{
    if (m_daemon.state() == QProcess::NotRunning)
        return;
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(5000)) {
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }
}

QString TestKeyring::secretTool(const QStringList &args)
{
    QProcess tool;
    tool.setProcessEnvironment(m_env);
    tool.start(QStandardPaths::findExecutable(QStringLiteral("secret-tool")), args);
    tool.closeWriteChannel();
    if (!tool.waitForFinished(30000))
        tool.kill();
    return QString::fromUtf8(tool.readAllStandardOutput());
}

QString TestKeyring::lookup(const QString &server, const QString &user)
{
    return secretTool({QStringLiteral("lookup"), QStringLiteral("server"), server, QStringLiteral("user"), user});
}

QString TestKeyring::label(const QString &server, const QString &user)
{
    const QString out = secretTool(
        {QStringLiteral("search"), QStringLiteral("server"), server, QStringLiteral("user"), user});
    return QRegularExpression(QStringLiteral("^label = (.*)$"), QRegularExpression::MultilineOption)
        .match(out)
        .captured(1);
}
