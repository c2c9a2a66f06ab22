#pragma once

#include "session/session.h"

class frmMain;

// The application object of the first thread: creates the session, the
// server object and the main window, hands the session to each, and shows
// the window. Lives as long as the first thread.
class clsMainApp
{
public:
    clsMainApp();
    ~clsMainApp();
    clsMainApp(const clsMainApp &) = delete;
    clsMainApp &operator=(const clsMainApp &) = delete;

    modGlobal::Session &session() { return m_session; }

private:
    modGlobal::Session m_session;
    frmMain *m_mainWindow = nullptr;
};
