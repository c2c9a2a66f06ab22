#pragma once
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A copy of the built kortvik program in a folder of its own (it keeps
// Config.ini beside itself), with HOME and the XDG folders inside that
// folder, so a test never touches the real user's files.
class KortvikSandbox
{
public:
    KortvikSandbox();
    ~KortvikSandbox();

    // False (with a reason) when KORTVIK_BIN_DIR has no kortvik to copy.
    bool prepare(QString *why = nullptr);

    QString folder() const;             // where the copy lives
    QString programPath() const;        // folder() + "/kortvik"
    QString settingsPath() const;       // folder() + "/Config.ini"
    QProcessEnvironment &environment() { return m_env; }

    // Environment presets.
    void useBus(const QString &address);
    void useOffscreen();
    void useDisplay(const QString &display);

    // Starts a new instance and waits until it runs; the sandbox owns every process it starts and
    // kills those still running when it goes away.
    QProcess *start(const QStringList &arguments = {});

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
