#pragma once
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>
#include <QPointer>

#include "imailrow.h"

class clsMainServer;
class clsMainServerReference;
class LoginRequests;
class PluginInbox;

// What /clsMainServer serves. Its adaptor is generated from
// org.kortvik.Kortvik.clsMainServer.xml and forwards every call, property
// and signal to this object by name.
class MainServerBus : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_PROPERTY(bool LoggedIn READ loggedIn)
    Q_PROPERTY(bool LoggingIn READ loggingIn)
    Q_PROPERTY(bool Guest READ guest)
    Q_PROPERTY(int UserID READ userId)
    Q_PROPERTY(QString Alias READ alias)
    Q_PROPERTY(int IMailCount READ imailCount)
    Q_PROPERTY(int NewIMailCount READ newIMailCount)
public:
    // requests: how logins are carried out; inbox: the live state and the
    // inbox. Both are owned by the caller (or are children of this object).
    MainServerBus(clsMainServer *server, LoginRequests *requests, PluginInbox *inbox, QObject *parent = nullptr);

    bool loggedIn() const;
    bool loggingIn() const;
    bool guest() const;
    int userId() const;
    QString alias() const;
    int imailCount() const;
    int newIMailCount() const;

public slots:
    // Answered when the login has ended (a delayed reply); the returned
    // value itself is not sent.
    bool doLogin(bool ShowBox, const QString &Password);
    void doLogout();
    IMailRows GetIMails();
    // Answered when the check it runs or joins has ended (a delayed reply).
    void CheckIMails();

signals:
    void onLogin(const QString &Password, qint32 UserID);
    void onLogout(const QString &Password, qint32 UserID);
    void IMailsChanged(const IMailRows &IMails);

private:
    LoginRequests *m_requests;
    PluginInbox *m_inbox;
};

// What /clsMainServerReference serves (adaptor generated from
// org.kortvik.Kortvik.clsMainServerReference.xml).
class MainServerReferenceBus : public QObject, protected QDBusContext
{
    Q_OBJECT
public:
    explicit MainServerReferenceBus(clsMainServerReference *reference, QObject *parent = nullptr);

public slots:
    // The server's path; an error reply once the server object is gone.
    QDBusObjectPath GetMainServerReference();

private:
    QPointer<clsMainServerReference> m_reference;
};

// Puts the generated adaptors on the two objects (before they are registered).
void adaptMainServer(MainServerBus *server);
void adaptMainServerReference(MainServerReferenceBus *reference);
