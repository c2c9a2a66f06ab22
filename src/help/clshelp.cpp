#include "help/clshelp.h"

#include "help/frmhelp.h"

#include <QScreen>

#include <algorithm>

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
    if (!m_helpWindow) {
        m_helpWindow = new frmHelp();
        place(m_helpWindow);
    }
    m_helpWindow->show();
    if (m_helpWindow->isMinimized())
        m_helpWindow->showNormal();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}

void clsHelp::place(frmHelp *window) const
{
    if (!m_anchor || !m_anchor->isVisible() || !m_anchor->screen())
        return;
    // Not shown yet, the window has no frame of its own: it will get one
    // like the anchor's.
    const QRect anchorFrame = m_anchor->frameGeometry();
    const QRect anchorClient = m_anchor->geometry();
    const QSize frame = window->size() + (anchorFrame.size() - anchorClient.size());
    window->move(placeBeside(anchorFrame, frame, m_anchor->screen()->availableGeometry()));
}

QPoint clsHelp::placeBeside(const QRect &anchor, const QSize &frame, const QRect &screen)
{
    const int roomRight = screen.right() - anchor.right();
    const int roomLeft = anchor.left() - screen.left();
    const int lastX = std::max(screen.left(), screen.right() + 1 - frame.width());
    int x;
    if (roomRight >= frame.width())
        x = anchor.right() + 1;
    else if (roomLeft >= frame.width())
        x = anchor.left() - frame.width();
    else
        x = roomRight >= roomLeft ? lastX : screen.left();
    const int lastY = std::max(screen.top(), screen.bottom() + 1 - frame.height());
    return {x, std::clamp(anchor.top(), screen.top(), lastY)};
}
