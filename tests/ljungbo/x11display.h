#pragma once
#include <QString>

#include <memory>

#include "xvfbserver.h"

// A private Xvfb display for one test, and the little of the X protocol the
// tests need: find a top-level window by title, read its size, and close it
// the way a window manager's close box does (WM_DELETE_WINDOW).
class X11Display
{
public:
    X11Display();
    ~X11Display();

    // Starts Xvfb on a free display; false (with a reason) when that fails.
    bool start(QString *why);
    QString name() const { return m_name; }  // ":N"

    // 0 when there is no mapped top-level window with exactly this title.
    unsigned long findWindow(const QString &title);
    // Waits up to timeoutMs for the window to appear.
    unsigned long waitForWindow(const QString &title, int timeoutMs);
    bool clientSize(unsigned long window, int *width, int *height);
    bool closeWindow(unsigned long window);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    XvfbServer m_server;
    QString m_name;
};
