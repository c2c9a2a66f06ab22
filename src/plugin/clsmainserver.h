#pragma once
#include <QObject>
#include <QString>

// The one server object of the process. The session raises its events;
// the bus adaptor exports it to plug-ins.
class clsMainServer : public QObject
{
    Q_OBJECT
public:
    explicit clsMainServer(QObject *parent = nullptr) : QObject(parent) {}

    // Called only by modGlobal::notifyPlugins. Listeners receive copies.
    void raiseOnLogin(const QString &password, qint32 userId) { emit onLogin(password, userId); }
    void raiseOnLogout(const QString &password, qint32 userId) { emit onLogout(password, userId); }

    // Logs in and returns only when the login has ended: with the password
    // dialog (ShowBox), or with Password when it has exactly five characters
    // (otherwise nothing happens). True when logged in afterwards. Runs the
    // login in place; plug-ins on the bus go through LoginRequests instead.
    bool doLogin(bool ShowBox, const QString &Password);
    // Logged-out state; cancels a running login.
    void doLogout();

signals:
    void onLogin(const QString &Password, qint32 UserID);
    void onLogout(const QString &Password, qint32 UserID);
};
