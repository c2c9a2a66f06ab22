#pragma once
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include "envguard.h"

// HOME and the XDG base folders (in their usual places below it) inside a
// temporary folder for as long as the object lives, so a test never reads or
// writes the user's own settings, keys, components or browser cookies. The
// old values come back afterwards.
class IsolatedHome
{
public:
    IsolatedHome()
        : m_homeVar("HOME", QFile::encodeName(m_dir.path())),
          m_config("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral(".config")))),
          m_data("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral(".local/share")))),
          m_cache("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral(".cache"))))
    {
    }

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    EnvGuard m_homeVar;
    EnvGuard m_config;
    EnvGuard m_data;
    EnvGuard m_cache;
};

// The same for the rest of the process: a home that lives until the process
// ends. Call before anything else reads those folders.
inline void isolateUserFolders()
{
    static IsolatedHome home;
}
