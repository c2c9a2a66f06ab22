#pragma once
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "session/mainview.h"

// A main window stand-in that records what the session code does to it.
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
    QHash<QString, Menu> menus;
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

    void setPanelText(int panel, const QString &text) override;
    void setPanelToolTip(int panel, const QString &tip) override;
    void setPanelEnabled(int panel, bool enabled) override;
    void setMenuEnabled(const QString &name, bool enabled) override;
    void setMenuVisible(const QString &name, bool visible) override;
    void setMenuCaption(const QString &name, const QString &caption) override;
    void setTimerEnabled(const QString &name, bool enabled) override;
    void setProgress(double value) override;
    void relayout() override;
    void freezeDrawing(bool frozen) override;
    QString askPasswordDialog() override;

    // Calls whose line starts with prefix.
    QStringList callsStartingWith(const QString &prefix) const;
    void clearCalls() { calls.clear(); }
};
