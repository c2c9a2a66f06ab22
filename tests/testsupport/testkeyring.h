#pragma once
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// GNOME Keyring's Secret Service on a test's own bus, with a home and XDG
// folders of its own: unlocked with a password given on standard input, or
// left locked (nothing unlocks it: the bus starts no prompter).
class TestKeyring
{
public:
    ~TestKeyring();
    static bool available();
    // Waits until org.freedesktop.secrets is owned on the bus.
    bool start(const QString &busAddress, bool unlocked, QString *why);
    // secret-tool's output for the item with these attributes: the secret
    // ("lookup"), or its label ("search"); "" when there is none.
    QString lookup(const QString &server, const QString &user);
    QString label(const QString &server, const QString &user);

private:
    QString secretTool(const QString &command, const QString &server, const QString &user);

    QTemporaryDir m_home;
    QProcessEnvironment m_env;
    QProcess m_daemon;
};
