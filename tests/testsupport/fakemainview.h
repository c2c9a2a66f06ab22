#pragma once
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "session/mainview.h"

// A main window stand-in that records what the session shows. It records in
// the window's terms (panels counted from 1, controls by their names, the
// same changes in the same order as the real window), so tests read like
// the status bar and menus.
class FakeMainView : public modGlobal::MainView
{
public:
    struct Panel {
        QString text;
        QString toolTip;
        bool enabled = true;
    };
    struct Menu {
        QString caption;
        bool visible = true;
        bool enabled = true;
    };

    // Status bar panels 1..5 (index 0 unused).
    Panel panels[6];
    // The iMail counts' caption starts as the window's does.
    QHash<QString, Menu> menus{{QStringLiteral("mnuIMails"), {QStringLiteral("0 iMails (0 nya)")}}};
    QHash<QString, bool> timers;
    QList<double> progress;      // every value set, in order
    int relayouts = 0;
    int freezeDepth = 0;         // > 0 while drawing is frozen
    QList<bool> freezeCalls;
    // Every call as one line, e.g. "panelText 2 Anna Berg", in order.
    QStringList calls;
    // Answers of the password dialog, taken from the front; "" when empty.
    QStringList passwordAnswers;
    int passwordAsked = 0;
    // The reason line of every question, in order.
    QStringList passwordReasons;

    void showLoginProgress(double value) override;
    // As the window follows the session's signals.
    void showLoggedOut(bool loginRunning);
    void showLoginRunning(bool running);
    void showMemberCommands(bool member);
    void relayout();
    void showLoggingIn();
    void showLoginCancelHint();
    void showMember(const QString &name, const QString &alias, qint32 id);
    void setKeepAlive(bool on);
    QString askPassword(const QString &reason) override;
    void showIMailCounts(int count, int newCount);

    void setPanelText(int panel, const QString &text);
    void setPanelToolTip(int panel, const QString &tip);
    void setPanelEnabled(int panel, bool enabled);
    void setMenuEnabled(const QString &name, bool enabled);
    void setMenuVisible(const QString &name, bool visible);
    void setMenuCaption(const QString &name, const QString &caption);
    void setTimerEnabled(const QString &name, bool enabled);
    void setProgress(double value);
    void freezeDrawing(bool frozen);

    // Calls whose line starts with prefix.
    QStringList callsStartingWith(const QString &prefix) const;
    void clearCalls() { calls.clear(); }
};
