#include "kortviksandbox.h"

#include <QDir>
#include <QFile>

KortvikSandbox::KortvikSandbox() : m_env(QProcessEnvironment::systemEnvironment())
{
    const QString root = m_dir.path();
    for (const char *sub : {"home", "config", "data", "cache", "runtime"})
        QDir(root).mkpath(QString::fromLatin1(sub));
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_env.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
    m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    m_env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    m_env.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/cache"));
    m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/runtime"));
    // Nothing listens there; the program sends nothing at start anyway.
    m_env.insert(QStringLiteral("KORTVIK_SITE"), QStringLiteral("127.0.0.1:9"));
    m_env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    useOffscreen();
}

KortvikSandbox::~KortvikSandbox()
{
    for (const auto &p : m_processes) {
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
}

bool KortvikSandbox::prepare(QString *why)
{
    const QString binDir = qEnvironmentVariable("KORTVIK_BIN_DIR");
    const QString source = binDir + QStringLiteral("/kortvik");
    if (binDir.isEmpty() || !QFile::exists(source)) {
        if (why)
            *why = QStringLiteral("no kortvik program in KORTVIK_BIN_DIR (%1)").arg(binDir);
        return false;
    }
    QFile::remove(programPath());
    if (!QFile::copy(source, programPath())) {
        if (why)
            *why = QStringLiteral("could not copy ") + source;
        return false;
    }
    QFile::setPermissions(programPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner);
    return true;
}

QString KortvikSandbox::folder() const
{
    return m_dir.path() + QStringLiteral("/app");
}

QString KortvikSandbox::programPath() const
{
    QDir().mkpath(folder());
    return folder() + QStringLiteral("/kortvik");
}

QString KortvikSandbox::settingsPath() const
{
    return folder() + QStringLiteral("/Config.ini");
}

void KortvikSandbox::useBus(const QString &address)
{
    m_env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
}

void KortvikSandbox::useOffscreen()
{
    m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_env.remove(QStringLiteral("DISPLAY"));
}

void KortvikSandbox::useDisplay(const QString &display)
{
    m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_env.insert(QStringLiteral("DISPLAY"), display);
}

QProcess *KortvikSandbox::start(const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->setProgram(programPath());
    process->setArguments(arguments);
    process->setProcessEnvironment(m_env);
    process->setWorkingDirectory(folder());
    process->start();
    process->waitForStarted(10000);
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}
