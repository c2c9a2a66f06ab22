#pragma once
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QProcess>
#include <QStringList>

#include <memory>

#include "kortviksandbox.h"
#include "privatesessionbus.h"
#include "simsite.h"

// A copy of kortvik on a private session bus against a demo site of its
// own, and a client connection of the test on that bus.
class KortvikOnBus
{
public:
    KortvikOnBus() = default;
    ~KortvikOnBus();
    KortvikOnBus(const KortvikOnBus &) = delete;
    KortvikOnBus &operator=(const KortvikOnBus &) = delete;

    // Starts bus, site and program and waits until the program owns its
    // bus name. False with a reason on any failure.
    bool start(QString *why, const QStringList &siteArgs = {});

    PrivateSessionBus bus;
    std::unique_ptr<SimSite> site;
    KortvikSandbox sandbox;
    QProcess *program = nullptr;
    QDBusConnection &client() { return *m_client; }

    // A call to /clsMainServer, answered within timeoutMs; the event loop
    // turns while it waits, so signals keep arriving.
    QDBusMessage call(const QString &method, const QVariantList &args = {}, int timeoutMs = 60000);
    // org.freedesktop.DBus.Properties.Get / GetAll on /clsMainServer.
    QVariant property(const QString &name);
    QVariantMap allProperties();
    // doLogin(false, password) and its boolean answer.
    bool login(const QString &password);
    // Copies another program from KORTVIK_BIN_DIR beside the sandboxed kortvik.
    QString copyTool(const QString &name);
    // The number of requests for a path in the site's log, after a request of
    // our own has come through (so everything sent before is counted).
    int siteRequests(const QString &path);

private:
    std::unique_ptr<QDBusConnection> m_client;
};
