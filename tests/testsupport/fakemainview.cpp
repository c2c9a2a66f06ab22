#include "fakemainview.h"

namespace {
bool validPanel(int panel)
{
    return panel >= 1 && panel <= 5;
}
} // namespace

void FakeMainView::setPanelText(int panel, const QString &text)
{
    calls << QStringLiteral("panelText %1 %2").arg(panel).arg(text);
    if (validPanel(panel))
        panels[panel].text = text;
}

void FakeMainView::setPanelToolTip(int panel, const QString &tip)
{
    calls << QStringLiteral("panelTip %1 %2").arg(panel).arg(tip);
    if (validPanel(panel))
        panels[panel].toolTip = tip;
}

void FakeMainView::setPanelEnabled(int panel, bool enabled)
{
    calls << QStringLiteral("panelEnabled %1 %2").arg(panel).arg(enabled);
    if (validPanel(panel))
        panels[panel].enabled = enabled;
}

void FakeMainView::setMenuEnabled(const QString &name, bool enabled)
{
    calls << QStringLiteral("menuEnabled %1 %2").arg(name).arg(enabled);
    menus[name].enabled = enabled;
}

void FakeMainView::setMenuVisible(const QString &name, bool visible)
{
    calls << QStringLiteral("menuVisible %1 %2").arg(name).arg(visible);
    menus[name].visible = visible;
}

void FakeMainView::setMenuCaption(const QString &name, const QString &caption)
{
    calls << QStringLiteral("menuCaption %1 %2").arg(name, caption);
    menus[name].caption = caption;
}

void FakeMainView::setTimerEnabled(const QString &name, bool enabled)
{
    calls << QStringLiteral("timer %1 %2").arg(name).arg(enabled);
    timers[name] = enabled;
}

void FakeMainView::setProgress(double value)
{
    calls << QStringLiteral("progress %1").arg(value);
    progress << value;
}

void FakeMainView::relayout()
{
    calls << QStringLiteral("relayout");
    ++relayouts;
}

void FakeMainView::freezeDrawing(bool frozen)
{
    calls << QStringLiteral("freeze %1").arg(frozen);
    freezeCalls << frozen;
    freezeDepth += frozen ? 1 : -1;
}

QString FakeMainView::askPasswordDialog()
{
    calls << QStringLiteral("askPassword");
    ++passwordAsked;
    return passwordAnswers.isEmpty() ? QString() : passwordAnswers.takeFirst();
}

QStringList FakeMainView::callsStartingWith(const QString &prefix) const
{
    QStringList out;
    for (const QString &c : calls) {
        if (c.startsWith(prefix))
            out << c;
    }
    return out;
}
