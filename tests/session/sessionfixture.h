#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

#include "fakemainview.h"
#include "plugin/clsmainserver.h"
#include "testsession.h"

// What plug-ins heard from the server object.
struct HeardEvent {
    QString kind;  // "onLogin" or "onLogout"
    QString password;
    qint32 userId = 0;
    bool operator==(const HeardEvent &o) const
    {
        return kind == o.kind && password == o.password && userId == o.userId;
    }
};

// A fresh session for one test: empty state and cookie jar, a recording
// main window stand-in, a server object whose events are recorded, and a
// settings file of its own in a temporary program folder.
class SessionFixture
{
public:
    explicit SessionFixture(modGlobal::MainView *view = nullptr);
    ~SessionFixture();

    FakeMainView fake;
    clsMainServer server;
    QList<HeardEvent> events;

    QString settingsFolder() const { return m_folder.path(); }
    QString settingsText() const;

private:
    QTemporaryDir m_folder;
};

// Points HOME and the XDG folders of this process at a temporary folder
// that lives until the process ends, so no test touches the real user's
// files (settings, key pairs, browser stores). Call before anything else.
void isolateUserFolders();

// The request targets of log lines "GET /x HTTP/1.1 | Cookie: ...".
QStringList requestPaths(const QStringList &log);
// The cookie part of a log line.
QString requestCookies(const QString &logLine);
// An HTTP answer with the given cookies (name=value) and body.
QByteArray httpAnswer(const QByteArray &body, const QList<QByteArray> &cookies = {});
