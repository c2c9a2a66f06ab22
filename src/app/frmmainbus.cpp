#include "app/frmmainbus.h"

#include "app/frmmain.h"

frmMainBus::frmMainBus(frmMain *window) : QObject(window), m_window(window)
{
    setObjectName(QStringLiteral("frmMainBus"));
}

void frmMainBus::Activate()
{
    m_window->Activate();
}
