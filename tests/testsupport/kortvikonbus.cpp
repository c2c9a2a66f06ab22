#include "kortvikonbus.h"

#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QTest>
#include <QUuid>

namespace {
const QString kService = QStringLiteral("org.kortvik.Kortvik");
const QString kPath = QStringLiteral("/clsMainServer");
const QString kInterface = QStringLiteral("org.kortvik.Kortvik.clsMainServer");
} // namespace

KortvikOnBus::~KortvikOnBus()
{
    if (m_client) {
        const QString name = m_client->name();
        m_client.reset();
        QDBusConnection::disconnectFromBus(name);
    }
}

bool KortvikOnBus::start(QString *why, const Options &options)
{
    if (options.sessionBus) {
        if (!bus.start(why))
            return false;
        sandbox.useBus(bus.address());
    } else {
        sandbox.useBus(QStringLiteral("unix:path=") + sandbox.folder() + QStringLiteral("/no-bus-here"));
    }
    if (options.systemBus) {
        systemBus = std::make_unique<PrivateSessionBus>();
        if (!systemBus->start(why))
            return false;
        sandbox.environment().insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), systemBus->address());
    }
    if (options.site) {
        site = std::make_unique<SimSite>(options.siteArgs);
        if (!site->start()) {
            *why = QStringLiteral("demo site did not start: ") + site->otherOutput();
            return false;
        }
        site->applyTo(sandbox.environment());
    }
    if (!sandbox.prepare(why))
        return false;
    if (!options.config.isEmpty()) {
        QFile file(sandbox.settingsPath());
        if (!file.open(QIODevice::WriteOnly) || file.write(options.config) != options.config.size()) {
            *why = QStringLiteral("could not write ") + sandbox.settingsPath();
            return false;
        }
    }
    if (!options.display.isEmpty())
        sandbox.useDisplay(options.display);
    sandbox.environment().insert(options.env);
    if (options.beforeProgram && !options.beforeProgram(why))
        return false;
    program = sandbox.start(options.args);
    if (!options.sessionBus || !options.waitForName)
        return true;
    m_client = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(
        bus.address(), QStringLiteral("kortvikonbus-") + QUuid::createUuid().toString(QUuid::WithoutBraces)));
    if (!m_client->isConnected()) {
        *why = QStringLiteral("no client connection");
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    while (!nameOwned()) {
        if (program->state() == QProcess::NotRunning || waited.elapsed() > 30000) {
            *why = QStringLiteral("kortvik did not take its bus name: ")
                + QString::fromLocal8Bit(program->readAllStandardError());
            return false;
        }
        QTest::qWait(50);
    }
    return true;
}

QProcess *KortvikOnBus::startAgain(const QStringList &args)
{
    return sandbox.start(args);
}

bool KortvikOnBus::nameOwned()
{
    if (!m_client)
        m_client = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(
            bus.address(), QStringLiteral("kortvikonbus-") + QUuid::createUuid().toString(QUuid::WithoutBraces)));
    return m_client->isConnected() && m_client->interface()->isServiceRegistered(kService).value();
}

uint KortvikOnBus::ownerPid()
{
    return nameOwned() ? m_client->interface()->servicePid(kService).value() : 0;
}

bool KortvikOnBus::waitForMainWindow(QProcess *process)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 30000 && process->state() == QProcess::Running) {
        if (nameOwned()) {
            const QDBusMessage introspect = QDBusMessage::createMethodCall(
                kService, QStringLiteral("/frmMain"), QStringLiteral("org.freedesktop.DBus.Introspectable"),
                QStringLiteral("Introspect"));
            const QDBusReply<QString> xml = m_client->call(introspect, QDBus::Block, 2000);
            if (xml.isValid() && xml.value().contains(QLatin1String("org.kortvik.Kortvik.frmMain")))
                return true;
        }
        QTest::qWait(50);
    }
    return false;
}

QDBusMessage KortvikOnBus::call(const QString &method, const QVariantList &args, int timeoutMs)
{
    QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    m.setArguments(args);
    QDBusPendingCall pending = m_client->asyncCall(m, timeoutMs);
    if (!QTest::qWaitFor([&] { return pending.isFinished(); }, timeoutMs + 1000))
        return QDBusMessage::createError(QStringLiteral("org.kortvik.test.Timeout"), method);
    return pending.reply();
}

QVariant KortvikOnBus::property(const QString &name)
{
    QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                    QStringLiteral("Get"));
    m << kInterface << name;
    const QDBusMessage r = m_client->call(m, QDBus::Block, 10000);
    if (r.type() != QDBusMessage::ReplyMessage)
        return {};
    return r.arguments().value(0).value<QDBusVariant>().variant();
}

QVariantMap KortvikOnBus::allProperties()
{
    QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                    QStringLiteral("GetAll"));
    m << kInterface;
    const QDBusMessage r = m_client->call(m, QDBus::Block, 10000);
    if (r.type() != QDBusMessage::ReplyMessage)
        return {};
    return qdbus_cast<QVariantMap>(r.arguments().value(0));
}

bool KortvikOnBus::login(const QString &password)
{
    const QDBusMessage r = call(QStringLiteral("doLogin"), {false, password});
    return r.type() == QDBusMessage::ReplyMessage && r.arguments().value(0).toBool();
}

QString KortvikOnBus::copyTool(const QString &name)
{
    const QString source = qEnvironmentVariable("KORTVIK_BIN_DIR") + QLatin1Char('/') + name;
    const QString target = sandbox.folder() + QLatin1Char('/') + name;
    QFile::remove(target);
    if (!QFile::copy(source, target))
        return QString();
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return target;
}

QStringList KortvikOnBus::siteLogSettled()
{
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), site->port());
    if (socket.waitForConnected(5000)) {
        socket.write("GET /settled HTTP/1.1\r\nHost: x\r\n\r\n");
        socket.waitForBytesWritten(5000);
        socket.waitForDisconnected(5000);
    }
    QStringList log;
    QElapsedTimer waited;
    waited.start();
    do {
        log = site->requestLog();
        if (!log.isEmpty() && log.last().startsWith(QLatin1String("GET /settled ")))
            break;
        QTest::qWait(20);
    } while (waited.elapsed() < 10000);
    return log;
}

int KortvikOnBus::siteRequests(const QString &path)
{
    int n = 0;
    for (const QString &line : siteLogSettled())
        n += line.startsWith(QStringLiteral("GET ") + path + QLatin1Char(' ')) ? 1 : 0;
    return n;
}

bool KortvikOnBus::inboxRequestsDuring(int expected, const std::function<void()> &work, QString *seen)
{
    const QString inbox = QStringLiteral("/login/community/main.asp");
    QElapsedTimer took;
    took.start();
    const int before = siteRequests(inbox);
    work();
    const int made = siteRequests(inbox) - before;
    const int ticks = int(took.elapsed() / 10000) + 1;
    *seen = QStringLiteral("%1 inbox requests for %2 checks in %3 ms").arg(made).arg(expected).arg(took.elapsed());
    return made >= expected - ticks && made <= expected + ticks;
}
