#include "fakemainview.h"

namespace {
bool validPanel(int panel)
{
    return panel >= 1 && panel <= 5;
}
const QString kLoggedOut = QStringLiteral("Utloggad");
} // namespace

void FakeMainView::showLoggedOut(bool loginRunning)
{
    setPanelText(1, kLoggedOut);
    setPanelToolTip(1, QStringLiteral("Dubbelklicka för att logga in"));
    setPanelText(2, kLoggedOut);
    setPanelText(3, kLoggedOut);
    setPanelEnabled(2, false);
    setPanelEnabled(3, false);
    setPanelText(4, kLoggedOut);
    setPanelEnabled(4, false);
    setMenuEnabled(QStringLiteral("mnuOptionsServer"), false);
    setTimerEnabled(QStringLiteral("tmrKeepLogin"), false);
    setMenuEnabled(QStringLiteral("mnuRegister"), true);
    showLoginRunning(loginRunning);
}

void FakeMainView::showLoggingIn()
{
    setPanelText(1, QStringLiteral("Loggar in..."));
    relayout();
}

void FakeMainView::showLoginCancelHint()
{
    setPanelToolTip(1, QStringLiteral("Dubbelklicka för att avbryta inloggningen"));
}

void FakeMainView::showLoginRunning(bool running)
{
    setMenuCaption(QStringLiteral("mnuLogout"),
                   running ? QStringLiteral("&Avbryt inloggning") : QStringLiteral("Logga &ut"));
    setMenuVisible(QStringLiteral("mnuLogin"), !running);
}

void FakeMainView::showMember(const QString &name, const QString &alias, qint32 id)
{
    freezeDrawing(true);
    setPanelText(4, QString::number(id));
    setPanelEnabled(4, true);
    setPanelText(2, name);
    setPanelText(3, alias);
    setPanelText(1, QStringLiteral("Inloggad"));
    setPanelEnabled(2, true);
    setPanelEnabled(3, true);
    setPanelToolTip(1, QStringLiteral("Dubbelklicka för att logga ut"));
    setMenuEnabled(QStringLiteral("mnuOptions"), true);
    relayout();
    freezeDrawing(false);
}

void FakeMainView::showMemberCommands(bool member)
{
    setMenuEnabled(QStringLiteral("mnuOptionsServer"), member);
    if (member)
        setMenuEnabled(QStringLiteral("mnuRegister"), false);
}

void FakeMainView::showLoginProgress(double value)
{
    setProgress(value);
}

void FakeMainView::setKeepAlive(bool on)
{
    setTimerEnabled(QStringLiteral("tmrKeepLogin"), on);
}

void FakeMainView::showIMailCounts(int count, int newCount)
{
    setMenuCaption(QStringLiteral("mnuIMails"),
                   QStringLiteral("%1 iMails (%2 nya)").arg(count).arg(newCount));
}

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

QString FakeMainView::askPassword(const QString &reason)
{
    calls << QStringLiteral("askPassword");
    passwordReasons << reason;
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
