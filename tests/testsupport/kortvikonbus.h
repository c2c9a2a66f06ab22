#pragma once
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <functional>
#include <memory>

#include "kortviksandbox.h"
#include "privatesessionbus.h"
#include "simsite.h"

// A copy of kortvik on a private session bus against a demo site of its
// own, and a client connection of the test on that bus. Every test that runs
// the built program starts it through here.
class KortvikOnBus
{
public:
    struct Options {
        bool site = true;           // a demo site of its own (else KORTVIK_SITE points nowhere)
        QStringList siteArgs = {};  // the site's extra arguments (--stall PATH, ...)
        QByteArray config = {};     // Config.ini beside the program before it starts; empty for none
        QStringList args = {};      // the program's arguments
        QProcessEnvironment env = {}; // added to the program's environment
        bool systemBus = false;     // a second private bus as the program's system bus
        bool sessionBus = true;     // false: the program finds no session bus at all
        QString display = {};       // an X display for the program; empty for offscreen
        // Run once the buses and the site are up, before the program: fake
        // services a test wants on the buses. False (with a reason) stops the start.
        std::function<bool(QString *why)> beforeProgram = {};
        bool waitForName = true;    // false: only the process is started (one that may fail)
    };

    KortvikOnBus() = default;
    ~KortvikOnBus();
    KortvikOnBus(const KortvikOnBus &) = delete;
    KortvikOnBus &operator=(const KortvikOnBus &) = delete;

    // Starts bus, site and program and waits until the program owns its
    // bus name. False with a reason on any failure.
    bool start(QString *why, const Options &options);
    bool start(QString *why) { return start(why, Options()); }
    // One more instance of the same copy, with the same environment.
    QProcess *startAgain(const QStringList &args = {});

    PrivateSessionBus bus;
    std::unique_ptr<PrivateSessionBus> systemBus;
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
    // The site's whole request log, after a request of our own has come
    // through (so everything the program sent before is in it).
    QStringList siteLogSettled();
    // The number of requests for a path in that log.
    int siteRequests(const QString &path);
    // Whether `work` made the program send `expected` inbox requests. The
    // program's own 10 s iMail timer runs meanwhile: a check that comes while
    // a tick's check runs joins it, a tick between checks sends a request of
    // its own, so one fewer or one more is allowed per 10 s begun. Else
    // false, and what was seen in *seen.
    bool inboxRequestsDuring(int expected, const std::function<void()> &work, QString *seen);
    // Whether the bus name is owned, and by which process.
    bool nameOwned();
    uint ownerPid();
    // The main window is up once its bus object answers; false when the
    // process ends or 30 s pass first.
    bool waitForMainWindow(QProcess *process);

private:
    std::unique_ptr<QDBusConnection> m_client;
};
