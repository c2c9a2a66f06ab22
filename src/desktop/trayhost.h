#pragma once
#include <QDBusConnection>
#include <QObject>

// Whether the desktop has a tray, asked without Qt's tray classes: Qt decides
// once per process whether a StatusNotifierItem host is there, and a "no"
// given before the panel has started would stand for good. So Qt is asked
// only when a host is known to be up.
namespace trayHost {

// A StatusNotifierWatcher with a registered host on the bus.
bool statusNotifierHostPresent(const QDBusConnection &bus);
// An XEmbed tray (the _NET_SYSTEM_TRAY selection has an owner) on X11.
bool xembedTrayPresent();
// Either of them, and Qt agrees that it can put an icon there.
bool present();

} // namespace trayHost

// Tells when a StatusNotifierItem host comes up on the session bus after
// the program has started (the panel starts after autostarted programs),
// and again after it went away and came back.
class TrayHostWatch : public QObject
{
    Q_OBJECT
public:
    explicit TrayHostWatch(QObject *parent = nullptr);

signals:
    void hostAppeared();

private slots:
    void hostRegistered();
    void watcherRegistered();
};
