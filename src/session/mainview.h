#pragma once
#include <QString>

namespace modGlobal {

// What the session needs of the main window, as things to show. The window
// maps them to its controls; tests use a fake.
class MainView
{
public:
    virtual ~MainView() = default;
    // Nobody logged in. loginRunning: a login is still under way, so the
    // logout command offers to cancel it.
    virtual void showLoggedOut(bool loginRunning) = 0;
    // A login has begun talking to the site.
    virtual void showLoggingIn() = 0;
    // The status hint while a login runs.
    virtual void showLoginCancelHint() = 0;
    // Whether the login and logout commands act on a running login.
    virtual void showLoginRunning(bool running) = 0;
    // The logged-in member (or guest) in the status bar.
    virtual void showMember(const QString &name, const QString &alias, qint32 id) = 0;
    // Commands only for members: on for a member, off for a guest.
    virtual void showMemberCommands(bool member) = 0;
    // Login progress; 0.0001 means idle.
    virtual void showLoginProgress(double value) = 0;
    // Starts or stops keeping the login alive.
    virtual void setKeepAlive(bool on) = 0;
    // The window's resize handling.
    virtual void relayout() = 0;
    // The password dialog, window-modal; "" when cancelled. reason: a line
    // above the box that says why it asks again ("" for none).
    virtual QString askPassword(const QString &reason) = 0;
};

} // namespace modGlobal
