#pragma once
#include <QString>

namespace modGlobal {

// What the session needs of the main window while its steps run. The rest
// (the member, the login's start, the keep-alive) the window learns from
// the session's signals; tests use a fake.
class MainView
{
public:
    virtual ~MainView() = default;
    // Nobody logged in, with the keep-alive stopped. loginRunning: a login
    // is still under way, so the logout command offers to cancel it.
    virtual void showLoggedOut(bool loginRunning) = 0;
    // Whether the login and logout commands act on a running login.
    virtual void showLoginRunning(bool running) = 0;
    // Commands only for members: on for a member, off for a guest.
    virtual void showMemberCommands(bool member) = 0;
    // Login progress; 0.0001 means idle.
    virtual void showLoginProgress(double value) = 0;
    // The window's resize handling.
    virtual void relayout() = 0;
    // The password dialog, window-modal; "" when cancelled. reason: a line
    // above the box that says why it asks again ("" for none).
    virtual QString askPassword(const QString &reason) = 0;
};

} // namespace modGlobal
