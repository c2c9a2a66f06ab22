#include "desktop/kortviktray.h"

#include "desktop/trayhost.h"
#include "desktop/trayicons.h"
#include "desktop/traymenu.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

KortvikTray::KortvikTray(QObject *parent) : QObject(parent)
{
    if (trayHost::present()) {
        createIcon();
        return;
    }
    m_hostWatch = new TrayHostWatch(this);
    connect(m_hostWatch, &TrayHostWatch::hostAppeared, this, [this] {
        if (m_icon || !QSystemTrayIcon::isSystemTrayAvailable())
            return;
        // Qt's icon follows its host from here on, also when the panel restarts.
        m_hostWatch->deleteLater();
        m_hostWatch = nullptr;
        createIcon();
    });
}

void KortvikTray::createIcon()
{
    m_menu = new QMenu();
    m_icon = new QSystemTrayIcon(this);
    m_icon->setContextMenu(m_menu);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            emit activateRequested();
    });
    render();
    m_icon->show();
}

KortvikTray::~KortvikTray()
{
    delete m_icon;
    delete m_menu;
}

void KortvikTray::showLoggedOut(bool loginRunning)
{
    m_state.showLoggedOut(loginRunning);
    render();
}

void KortvikTray::showMember(const QString &alias)
{
    m_state.showMember(alias);
    render();
}

void KortvikTray::showIMails(int count, int newCount, const IMailRows &rows)
{
    m_state.showIMails(count, newCount, rows);
    render();
}

void KortvikTray::showNetwork(bool disconnected)
{
    m_state.showNetwork(disconnected);
    render();
}

void KortvikTray::render()
{
    if (!m_icon)
        return;
    using Kind = TrayState::MenuEntry::Kind;
    // Every iMail check lands here; only what changed is handed to the
    // desktop, and an open menu is left alone when nothing in it changed.
    const std::pair<TrayState::Icon, QString> picture{m_state.icon(), m_state.badge()};
    if (!m_pictureSet || picture != m_picture) {
        m_icon->setIcon(trayIcon(picture.first, m_state.newMark(), picture.second));
        m_picture = picture;
        m_pictureSet = true;
    }
    if (m_icon->toolTip() != m_state.toolTip())
        m_icon->setToolTip(m_state.toolTip());
    const QList<TrayState::MenuEntry> entries = m_state.menuEntries();
    if (entries == m_entries)
        return;
    m_entries = entries;
    const auto commands = fillTrayMenu(m_menu, m_state);
    // Queued: the command may run a modal dialog or shut down; let the
    // menu close first.
    connect(commands.value(Kind::Show), &QAction::triggered, this, &KortvikTray::activateRequested,
            Qt::QueuedConnection);
    connect(commands.value(Kind::Login), &QAction::triggered, this, &KortvikTray::loginRequested,
            Qt::QueuedConnection);
    connect(commands.value(Kind::Logout), &QAction::triggered, this, &KortvikTray::logoutRequested,
            Qt::QueuedConnection);
    connect(commands.value(Kind::Quit), &QAction::triggered, this, &KortvikTray::quitRequested,
            Qt::QueuedConnection);
    for (QAction *row : commands.values(Kind::IMail))
        connect(row, &QAction::triggered, this, &KortvikTray::imailsRequested, Qt::QueuedConnection);
}
