#pragma once
#include <QList>
#include <QObject>

#include <utility>

#include "desktop/traystate.h"

class QMenu;
class QSystemTrayIcon;

// The tray icon with its tooltip and menu. When the desktop has no tray it
// shows nothing; the slots then only keep the state.
class KortvikTray : public QObject
{
    Q_OBJECT
public:
    explicit KortvikTray(QObject *parent = nullptr);
    ~KortvikTray() override;

    bool isShown() const { return m_icon != nullptr; }
    const TrayState &state() const { return m_state; }

public slots:
    void showLoggedOut(bool loginRunning);
    void showMember(const QString &alias);
    void showIMails(int count, int newCount, const IMailRows &rows);

signals:
    // A left click on the icon.
    void activateRequested();
    // The menu's commands; the main window runs its own.
    void loginRequested();
    void logoutRequested();
    void quitRequested();

private:
    void render();

    TrayState m_state;
    QSystemTrayIcon *m_icon = nullptr;
    QMenu *m_menu = nullptr;
    std::pair<TrayState::Icon, bool> m_picture{TrayState::Icon::LoggedOut, false};
    bool m_pictureSet = false;
    QList<TrayState::MenuEntry> m_entries;
};
