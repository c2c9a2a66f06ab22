#include "fakenotificationservice.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
} // namespace

FakeNotificationService::FakeNotificationService(QObject *parent) : QObject(parent), m_bus(kService, kPath, this)
{
}

FakeNotificationService::~FakeNotificationService() = default;

bool FakeNotificationService::start(const QString &busAddress)
{
    m_address = busAddress;
    return m_bus.join(busAddress, this,
                      QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals);
}

void FakeNotificationService::leave()
{
    m_bus.leave();
    m_unanswered.clear();
}

bool FakeNotificationService::rejoin()
{
    return start(m_address);
}

bool FakeNotificationService::waitForCalls(int n, int ms)
{
    QDeadlineTimer deadline(ms);
    while (m_calls.size() < n && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return m_calls.size() >= n;
}

void FakeNotificationService::invokeAction(uint id, const QString &actionKey)
{
    emit ActionInvoked(id, actionKey);
}

uint FakeNotificationService::Notify(const QString &appName, uint replacesId, const QString &appIcon,
                                     const QString &summary, const QString &body, const QStringList &actions,
                                     const QVariantMap &hints, int)
{
    Call call{appName, replacesId, appIcon, summary, body, actions, hints, 0};
    switch (m_mode) {
    case Mode::Fail:
        m_calls.append(call);
        sendErrorReply(QDBusError::Failed, QStringLiteral("the fake says no"));
        return 0;
    case Mode::Silent:
        m_calls.append(call);
        setDelayedReply(true);
        m_unanswered.append(message());
        return 0;
    case Mode::Answer:
        break;
    }
    // A known id is replaced in place, as a real server does.
    bool known = false;
    for (const Call &c : std::as_const(m_calls))
        known = known || (replacesId != 0 && c.id == replacesId);
    call.id = known ? replacesId : m_nextId++;
    m_calls.append(call);
    return call.id;
}

QStringList FakeNotificationService::GetCapabilities()
{
    QStringList caps{QStringLiteral("body"), QStringLiteral("body-markup")};
    if (m_actionsCap)
        caps << QStringLiteral("actions");
    return caps;
}

QString FakeNotificationService::GetServerInformation(QString &vendor, QString &version, QString &specVersion)
{
    vendor = QStringLiteral("Kortvik tests");
    version = QStringLiteral("1");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("fake-notifications");
}

void FakeNotificationService::CloseNotification(uint id)
{
    m_closed.append(id);
    emit NotificationClosed(id, 3);
}
