#pragma once
#include <QByteArray>

// Sets an environment variable for one scope and puts the old value back.
class EnvGuard
{
public:
    EnvGuard(const char *name, const QByteArray &value) : m_name(name), m_saved(qgetenv(name)),
        m_wasSet(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~EnvGuard()
    {
        if (m_wasSet)
            qputenv(m_name, m_saved);
        else
            qunsetenv(m_name);
    }
    EnvGuard(const EnvGuard &) = delete;
    EnvGuard &operator=(const EnvGuard &) = delete;

private:
    const char *m_name;
    QByteArray m_saved;
    bool m_wasSet;
};
