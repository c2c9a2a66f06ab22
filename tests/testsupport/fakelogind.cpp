#include "fakelogind.h"

#include <QDBusConnection>

namespace {
const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
} // namespace

FakeLogind::FakeLogind(QObject *parent) : QObject(parent), m_bus(kService, kPath, this)
{
}

FakeLogind::~FakeLogind() = default;

bool FakeLogind::start(const QString &busAddress)
{
    return m_bus.join(busAddress, this, QDBusConnection::ExportScriptableSignals);
}
