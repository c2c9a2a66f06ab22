#pragma once
#include <QObject>
#include <QString>

#include <functional>

// The member's stored password in the desktop's keyring (a Secret Service on
// the session bus), in place of the encrypted "lastlogin" of Config.ini. All
// work is done by asynchronous jobs: nothing here waits on the keyring, and
// every answer comes within kTimeoutMs, the keyring's or "unreachable".
namespace keyringStore {

enum class Outcome {
    Done,        // read: found; write, remove: done
    NotFound,    // read: nothing stored; remove: nothing was there
    Unreachable, // no keyring, locked, refused, gone or too slow
};

// A keyring that keeps a member waiting longer than this is treated as
// unreachable: long enough for a desktop's unlock prompt to be answered,
// short enough that a hung service never holds the start-up login for good.
constexpr int kTimeoutMs = 15000;

// The item's label, as the keyring shows it.
QString itemLabel();

// The tick "Spara lösenordet i skrivbordets nyckelring" ([Kortvik] keyring,
// on unless "0").
bool wanted();
bool setWanted(bool wanted);
// The session bus has a Secret Service, running or to be started on demand.
bool offered();
// Both: passwords go to the keyring.
bool inUse();
// The last job found the keyring unreachable (for the dialog's status).
bool lastUnreachable();

// Each calls done exactly once from the event loop, unless context is
// destroyed first.
void read(QObject *context, std::function<void(Outcome, const QString &)> done);
void write(const QString &password, QObject *context, std::function<void(Outcome)> done);
void remove(QObject *context, std::function<void(Outcome)> done);

// When the keyring is in use: stores the password there and, once it holds
// it, clears "lastlogin" in Config.ini if that still holds `stored` (so a
// refusing keyring loses nothing, and a newer value is never erased).
void moveFromSettings(const QString &password, const QString &stored);

} // namespace keyringStore
