#include "net/frmtimer.h"

#include "net/clsdata.h"

#include <QTimer>

frmTimer::frmTimer(QObject *parent)
    : QObject(parent)
    , m_tmrTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("frmTimer"));
    m_tmrTimer->setObjectName(QStringLiteral("tmrTimer"));
    // Disabled until an exchange starts; precise, so 10 s and 2 s mean that.
    m_tmrTimer->setTimerType(Qt::PreciseTimer);
    m_tmrTimer->setInterval(16000);
    connect(m_tmrTimer, &QTimer::timeout, this, &frmTimer::tmrTimer_Timer);
}

void frmTimer::setOpener(clsData *opener)
{
    m_opener = opener;
}

void frmTimer::tmrTimer_Timer()
{
    m_tmrTimer->stop();
    if (clsData *opener = m_opener.data())
        opener->onTimeout();
}
