#pragma once
#include <QObject>
#include <QString>

namespace modGlobal {
class Session;
}

// The one server object of the process. It raises the session's logins and
// logouts as its events; the bus adaptor exports it to plug-ins.
class clsMainServer : public QObject
{
    Q_OBJECT
public:
    explicit clsMainServer(modGlobal::Session *session, QObject *parent = nullptr);

    modGlobal::Session *session() const { return m_session; }

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

private:
    modGlobal::Session *m_session;
};
