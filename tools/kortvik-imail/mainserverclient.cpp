#include "mainserverclient.h"

#include "kortvikbus.h"
#include "mainserverproxy.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>

namespace {

const QString kService = QString::fromLatin1(kortvikBus::kService);
const QString kInterface = QString::fromLatin1(MainServerProxy::staticInterfaceName());
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

} // namespace

MainServerClient::MainServerClient(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_server(new MainServerProxy(kService, QString::fromLatin1(kortvikBus::kServerPath), bus, this))
    , m_watcher(new QDBusServiceWatcher(kService, bus,
                                        QDBusServiceWatcher::WatchForRegistration
                                            | QDBusServiceWatcher::WatchForUnregistration,
                                        this))
{
    imailRow::registerTypes();
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { refresh(); });
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] { setRunning(false); });
    // Signals are matched by sender name, so they follow a restarted Kortvik.
    m_bus.connect(kService, m_server->path(), kProperties, QStringLiteral("PropertiesChanged"), this,
                  SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    connect(m_server, &MainServerProxy::IMailsChanged, this, &MainServerClient::onIMailsChanged);
}

QDBusMessage MainServerClient::call(const QString &interface, const QString &method) const
{
    QDBusMessage m = QDBusMessage::createMethodCall(m_server->service(), m_server->path(), interface, method);
    m.setAutoStartService(false);
    return m;
}

void MainServerClient::refresh()
{
    QDBusMessage getAll = call(kProperties, QStringLiteral("GetAll"));
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
        m_state.apply(qdbus_cast<QVariantMap>(reply.arguments().value(0)));
        emit stateChanged();
    });
    fetchRows();
}

void MainServerClient::fetchRows()
{
    const quint64 generation = m_rowsGeneration;
    auto *w = new QDBusPendingCallWatcher(m_bus.asyncCall(call(kInterface, QStringLiteral("GetIMails"))), this);
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
        m_bus.asyncCall(call(kInterface, QStringLiteral("CheckIMails")), 120000), this);
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
    m_state.apply(changed);
    if (wasLoggedIn != m_state.loggedIn) {
        // A new member's list comes with IMailsChanged; a logout empties it.
        if (!m_state.loggedIn)
            setRows({});
        else
            fetchRows();
    }
    emit stateChanged();
}

void MainServerClient::onIMailsChanged(const IMailRows &rows)
{
    ++m_rowsGeneration;
    setRows(rows);
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
