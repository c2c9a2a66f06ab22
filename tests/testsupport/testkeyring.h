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
    TestKeyring() = default;
    ~TestKeyring();
    TestKeyring(const TestKeyring &) = delete;
    TestKeyring &operator=(const TestKeyring &) = delete;

    static bool available();
    // Waits until org.freedesktop.secrets is owned on the bus.
    bool start(const QString &busAddress, bool unlocked, QString *why);
    void stop();

    // secret-tool's answer for the program's item ("" when there is none).
    QString lookup(const QString &server, const QString &user);
    // The label of that item, as `secret-tool search` prints it.
    QString label(const QString &server, const QString &user);

private:
    QString secretTool(const QStringList &args);

    QTemporaryDir m_home;
    QProcessEnvironment m_env;
    QProcess m_daemon;
};
