#include "desktop/desktopnotices.h"

#include "settings/modsettings.h"

DesktopNotices::DesktopNotices(QObject *parent) : QObject(parent) {}

bool DesktopNotices::enabledInSettings()
{
    return modSettings::readSetting(QStringLiteral("Kortvik"), QStringLiteral("notify"), QString()).trimmed() !=
           QLatin1String("0");
}

void DesktopNotices::loggedIn(bool guest)
{
    m_member = !guest;
    m_lastNew = 0;
}

void DesktopNotices::loggedOut(bool bySite)
{
    const bool wasMember = m_member;
    m_member = false;
    m_lastNew = 0;
    if (bySite && wasMember && enabledInSettings())
        emit notify(Kind::LoggedOut, QStringLiteral("Du har blivit utloggad från Sandlund"), QString());
}

void DesktopNotices::imailsChecked(int count, int newCount, const DesktopIMails &rows)
{
    Q_UNUSED(count);
    if (!m_member)
        return;
    const bool rose = newCount > m_lastNew;
    m_lastNew = newCount;
    if (!rose || !enabledInSettings())
        return;
    QString body;
    const DesktopIMails newest = newestUnread(rows, 1);
    if (!newest.isEmpty())
        body = newest.first().sender + QStringLiteral(": ") + newest.first().subject.simplified();
    emit notify(Kind::NewIMails, QStringLiteral("Du har ") + QString::number(newCount) + QStringLiteral(" nya iMails"),
                body);
}
