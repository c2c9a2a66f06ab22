#include "mainserverclient.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace {

const QString kService = QStringLiteral("org.kortvik.Kortvik");
const QString kPath = QStringLiteral("/clsMainServer");
const QString kInterface = QStringLiteral("org.kortvik.Kortvik.clsMainServer");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

QDBusMessage serverCall(const QString &interface, const QString &method)
{
    QDBusMessage m = QDBusMessage::createMethodCall(kService, kPath, interface, method);
    m.setAutoStartService(false);
    return m;
}

QVariant plain(const QVariant &v)
{
    return v.userType() == qMetaTypeId<QDBusVariant>()
        ? v.value<QDBusVariant>().variant()
        : v;
}

} // namespace

MainServerClient::MainServerClient(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_watcher(new QDBusServiceWatcher(kService, bus,
                                        QDBusServiceWatcher::WatchForRegistration
                                            | QDBusServiceWatcher::WatchForUnregistration,
                                        this))
{
    imailRow::registerTypes();
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { refresh(); });
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] { setRunning(false); });
    // Signals are matched by sender name, so they follow a restarted Kortvik.
    m_bus.connect(kService, kPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                  SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("IMailsChanged"), this,
                  SLOT(onIMailsChanged(QDBusMessage)));
}

void MainServerClient::refresh()
{
    QDBusMessage getAll = serverCall(kProperties, QStringLiteral("GetAll"));
    getAll << kInterface;
    auto *w = new QDBusPendingCallWatcher(m_bus.asyncCall(getAll), this);
    connect(w, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        const QDBusMessage reply = call->reply();
        if (reply.type() != QDBusMessage::ReplyMessage) {
            setRunning(false);
            return;
        }
        m_state.running = true;
        applyProperties(qdbus_cast<QVariantMap>(reply.arguments().value(0)));
        emit stateChanged();
    });
    fetchRows();
}

void MainServerClient::fetchRows()
{
    const quint64 generation = m_rowsGeneration;
    auto *w = new QDBusPendingCallWatcher(m_bus.asyncCall(serverCall(kInterface, QStringLiteral("GetIMails"))), this);
    connect(w, &QDBusPendingCallWatcher::finished, this, [this, generation](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        const QDBusMessage reply = call->reply();
        if (reply.type() != QDBusMessage::ReplyMessage || generation != m_rowsGeneration)
            return;
        setRows(qdbus_cast<IMailRows>(reply.arguments().value(0)));
    });
}

void MainServerClient::checkIMails()
{
    if (m_checking)
        return;
    m_checking = true;
    emit checkStarted();
    // A check waits for the site; give it the bus's longest patience.
    auto *w = new QDBusPendingCallWatcher(
        m_bus.asyncCall(serverCall(kInterface, QStringLiteral("CheckIMails")), 120000), this);
    connect(w, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *call) {
        call->deleteLater();
        m_checking = false;
        const QDBusMessage reply = call->reply();
        emit checkFinished(reply.type() == QDBusMessage::ReplyMessage ? QString() : reply.errorMessage());
    });
}

void MainServerClient::onPropertiesChanged(const QString &interface, const QVariantMap &changed,
                                           const QStringList &invalidated)
{
    Q_UNUSED(invalidated);
    if (interface != kInterface)
        return;
    const bool wasLoggedIn = m_state.loggedIn;
    m_state.running = true;
    applyProperties(changed);
    if (wasLoggedIn != m_state.loggedIn) {
        // A new member's list comes with IMailsChanged; a logout empties it.
        if (!m_state.loggedIn)
            setRows({});
        else
            fetchRows();
    }
    emit stateChanged();
}

void MainServerClient::onIMailsChanged(const QDBusMessage &message)
{
    ++m_rowsGeneration;
    setRows(qdbus_cast<IMailRows>(message.arguments().value(0)));
}

void MainServerClient::applyProperties(const QVariantMap &values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QVariant v = plain(it.value());
        const QString &name = it.key();
        if (name == QLatin1String("LoggedIn"))
            m_state.loggedIn = v.toBool();
        else if (name == QLatin1String("LoggingIn"))
            m_state.loggingIn = v.toBool();
        else if (name == QLatin1String("Guest"))
            m_state.guest = v.toBool();
        else if (name == QLatin1String("UserID"))
            m_state.userId = v.toInt();
        else if (name == QLatin1String("Alias"))
            m_state.alias = v.toString();
        else if (name == QLatin1String("IMailCount"))
            m_state.imailCount = v.toInt();
        else if (name == QLatin1String("NewIMailCount"))
            m_state.newIMailCount = v.toInt();
    }
}

void MainServerClient::setRows(const IMailRows &rows)
{
    if (rows == m_rows)
        return;
    m_rows = rows;
    emit rowsChanged();
}

void MainServerClient::setRunning(bool running)
{
    if (running)
        return refresh();
    m_state = State{};
    setRows({});
    emit stateChanged();
}
