#include "imail/imailcheckflight.h"

IMailCheckFlight::IMailCheckFlight(Check check, QObject *parent)
    : QObject(parent)
    , m_check(std::move(check))
{
}

void IMailCheckFlight::request(std::function<void()> done)
{
    if (done)
        m_waiting.append(std::move(done));
    if (m_running)
        return;
    m_running = true;
    m_check([this] { finish(); });
}

void IMailCheckFlight::finish()
{
    if (!m_running)
        return;
    m_running = false;
    // Callers that arrive from here on start a check of their own.
    const QList<std::function<void()>> waiting = std::exchange(m_waiting, {});
    for (const auto &done : waiting)
        done();
    emit checkFinished();
}
