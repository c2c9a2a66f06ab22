#pragma once
#include <QString>

#include <memory>

#include "profile/profilerecord.h"

class clsData;
class clsMainServer;

namespace modGlobal {

class MainView;

// Session state of the calling thread; only the first thread uses it.
struct SessionState {
    clsMainServer *mainServer = nullptr;
    MainView *mainWindow = nullptr;
    std::shared_ptr<clsData> sessionClient;
    bool guest = false;
    QString password;
    bool loginInProgress = false;
    QString logoutPassword;
    qint32 logoutUserID = 0;
    bool pluginLoggedIn = false;
};

SessionState &session();

void setLoggedOut();
void setLoggedIn();
void notifyPlugins(bool loggedIn);
bool isLoggedIn();
void clearProfile();

// Login (the sequence, the password prompt and its entry point).
void askPassword();
void startLogin();
void loginSequence();

} // namespace modGlobal
