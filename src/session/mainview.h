#pragma once
#include <QString>

namespace modGlobal {

// What the session needs of the main window while its steps run: the
// password question and the login's progress. What the window shows of the
// session it learns from the session's signals; tests use a fake.
class MainView
{
public:
    virtual ~MainView() = default;
    // Login progress; 0.0001 means idle.
    virtual void showLoginProgress(double value) = 0;
    // The password dialog, window-modal; "" when cancelled. reason: a line
    // above the box that says why it asks again ("" for none).
    virtual QString askPassword(const QString &reason) = 0;
};

} // namespace modGlobal
