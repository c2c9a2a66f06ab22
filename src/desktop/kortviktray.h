#pragma once
#include <QList>
#include <QObject>

#include <utility>

#include "desktop/traystate.h"

class QMenu;
class QSystemTrayIcon;
class TrayHostWatch;

// The tray icon with its tooltip and menu. When the desktop has no tray it
// shows nothing and the slots only keep the state, until a tray host comes
// up: the icon then appears with that state.
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
    void showNetwork(bool disconnected);

signals:
    // A left click on the icon, or "Visa Kortvik" in its menu.
    void activateRequested();
    // The menu's commands; the main window runs its own.
    void loginRequested();
    void logoutRequested();
    void quitRequested();
    // An iMail row was chosen.
    void imailsRequested();

private:
    void createIcon();
    void render();

    TrayState m_state;
    QSystemTrayIcon *m_icon = nullptr;
    QMenu *m_menu = nullptr;
    TrayHostWatch *m_hostWatch = nullptr;
    std::pair<TrayState::Icon, QString> m_picture{TrayState::Icon::LoggedOut, QString()};
    bool m_pictureSet = false;
    QList<TrayState::MenuEntry> m_entries;
};
