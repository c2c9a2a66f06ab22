#include "help/clshelp.h"

#include "help/frmhelp.h"

clsHelp::clsHelp(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("clsHelp"));
}

clsHelp::~clsHelp()
{
    // The window goes with its object, at once, whatever state it is in.
    delete m_helpWindow.data();
}

void clsHelp::OpenHelp()
{
    // A top-level window of its own, with no parent: dialogs that are modal
    // to the main window leave it usable.
    if (!m_helpWindow)
        m_helpWindow = new frmHelp();
    m_helpWindow->show();
    if (m_helpWindow->isMinimized())
        m_helpWindow->showNormal();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}
