#include "kortvikonbus.h"

#include <QDBusConnectionInterface>
#include <QDBusPendingCall>
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

bool KortvikOnBus::start(QString *why, const QStringList &siteArgs)
{
    if (!bus.start(why))
        return false;
    site = std::make_unique<SimSite>(siteArgs);
    if (!site->start()) {
        *why = QStringLiteral("demo site did not start: ") + site->otherOutput();
        return false;
    }
    if (!sandbox.prepare(why))
        return false;
    sandbox.useBus(bus.address());
    sandbox.environment().insert(QStringLiteral("KORTVIK_SITE"), site->authority());
    program = sandbox.start();
    m_client = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(
        bus.address(), QStringLiteral("kortvikonbus-") + QUuid::createUuid().toString(QUuid::WithoutBraces)));
    if (!m_client->isConnected()) {
        *why = QStringLiteral("no client connection");
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    while (!m_client->interface()->isServiceRegistered(kService)) {
        if (program->state() == QProcess::NotRunning || waited.elapsed() > 30000) {
            *why = QStringLiteral("kortvik did not take its bus name: ")
                + QString::fromLocal8Bit(program->readAllStandardError());
            return false;
        }
        QTest::qWait(50);
    }
    return true;
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

int KortvikOnBus::siteRequests(const QString &path)
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
    int n = 0;
    for (const QString &line : log)
        n += line.startsWith(QStringLiteral("GET ") + path + QLatin1Char(' ')) ? 1 : 0;
    return n;
}
