#pragma once

class frmMain;

// The application object of the first thread: creates the server object and
// the main window and shows it. Lives as long as the first thread.
class clsMainApp
{
public:
    clsMainApp();
    ~clsMainApp();
    clsMainApp(const clsMainApp &) = delete;
    clsMainApp &operator=(const clsMainApp &) = delete;

private:
    // Only while the constructor runs; modGlobal::session().mainWindow is
    // the one holder afterwards.
    frmMain *m_mainWindow = nullptr;
};
