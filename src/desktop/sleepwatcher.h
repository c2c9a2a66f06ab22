#pragma once
#include <QDBusConnection>
#include <QObject>

// Tells when the machine has woken from sleep: logind's
// org.freedesktop.login1.Manager.PrepareForSleep(false) on the system bus
// (DBUS_SYSTEM_BUS_ADDRESS points elsewhere for tests). Without a system
// bus or logind it stays silent.
//
// Once per sleep: logind says (true) before the machine sleeps and (false)
// after it wakes, so a (false) without a (true) since the last wake-up is
// that same wake-up again, however often it comes. The first (false) counts
// even alone: the sleep may have begun before the watch did.
class SleepWatcher : public QObject
{
    Q_OBJECT
public:
    explicit SleepWatcher(QObject *parent = nullptr);
    SleepWatcher(const QDBusConnection &bus, QObject *parent = nullptr);

    // Whether the watch is set up (there is a bus to listen on).
    bool isWatching() const { return m_watching; }

signals:
    void resumed();

private slots:
    void onPrepareForSleep(bool start);

private:
    bool m_watching = false;
    bool m_sleptSinceWake = true;
};
