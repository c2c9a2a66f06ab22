#pragma once
#include <QList>
#include <QString>

#include "imailrow.h"

// What the tray shows, worked out without any window: the icon, its
// tooltip and its menu, from the session's state and the last iMail check.
class TrayState
{
public:
    enum class Icon { LoggedOut, LoggingIn, LoggedIn };

    struct MenuEntry {
        enum class Kind { Show, IMail, Separator, Login, Logout, Quit };
        Kind kind;
        QString text;   // as shown; "&" marks the access key of commands
        bool enabled;
        bool operator==(const MenuEntry &) const = default;
    };

    static constexpr int kMaxMenuIMails = 5;

    // Inputs.
    void showLoggedOut(bool loginRunning);
    void showMember(const QString &alias);
    void showIMails(int count, int newCount, const IMailRows &rows);
    // While the network is gone the tooltip's second line says so.
    void showNetwork(bool disconnected);

    // Outputs.
    Icon icon() const { return m_icon; }
    // The fourth mark: new iMails while logged in.
    bool newMark() const { return m_icon == Icon::LoggedIn && m_newCount > 0; }
    // The number the icon carries: "" without new iMails, "1" to "99", "99+".
    QString badge() const;
    QString toolTip() const;
    QList<MenuEntry> menuEntries() const;
    // "3 iMails (1 nya)"
    static QString imailCaption(int count, int newCount);

private:
    Icon m_icon = Icon::LoggedOut;
    QString m_alias;
    int m_count = 0;
    int m_newCount = 0;
    IMailRows m_rows;
    bool m_disconnected = false;
};
