#pragma once
#include <QString>

namespace modGlobal {

// What the session code needs of the main window. The window implements it;
// tests use a fake. Controls are named by their objectName.
class MainView
{
public:
    virtual ~MainView() = default;
    // Status bar panels are counted from 1.
    virtual void setPanelText(int panel, const QString &text) = 0;
    virtual void setPanelToolTip(int panel, const QString &tip) = 0;
    virtual void setPanelEnabled(int panel, bool enabled) = 0;
    virtual void setMenuEnabled(const QString &name, bool enabled) = 0;
    virtual void setMenuVisible(const QString &name, bool visible) = 0;
    virtual void setMenuCaption(const QString &name, const QString &caption) = 0;
    virtual void setTimerEnabled(const QString &name, bool enabled) = 0;
    // prgLogin; 0.0001 means idle.
    virtual void setProgress(double value) = 0;
    // The window's resize handling.
    virtual void relayout() = 0;
    // Suspends (true) or resumes (false) painting while many controls change.
    virtual void freezeDrawing(bool frozen) = 0;
    // The password dialog, window-modal; "" when cancelled.
    virtual QString askPasswordDialog() = 0;
};

} // namespace modGlobal
