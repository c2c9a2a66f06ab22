#include "desktop/traystate.h"

namespace {

// A menu line holds one line of text; long subjects are cut.
QString oneLine(const QString &text, int max)
{
    QString s = text.simplified();
    if (s.size() > max)
        s = s.left(max - 3) + QStringLiteral("...");
    return s;
}

// The alias as text for both readers of the tooltip. Qt's own tray tooltip
// takes the whole text for HTML when its first line holds a tag or "&lt;"
// (an image file could be loaded); a StatusNotifierItem host gets the text
// as the tooltip's title, which is plain text, so escaping would show
// "&lt;" there. A word joiner after each "<" and "&" makes neither a tag
// nor an entity for any reader, and draws nothing.
QString inertMarkup(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        out += c;
        if (c == u'<' || c == u'&')
            out += QChar(0x2060);
    }
    return out;
}

} // namespace

void TrayState::showLoggedOut(bool loginRunning)
{
    m_icon = loginRunning ? Icon::LoggingIn : Icon::LoggedOut;
    m_alias.clear();
    m_count = 0;
    m_newCount = 0;
    m_rows.clear();
}

void TrayState::showMember(const QString &alias)
{
    m_icon = Icon::LoggedIn;
    m_alias = alias;
}

void TrayState::showIMails(int count, int newCount, const IMailRows &rows)
{
    // Counts of a check that ended after a logout belong to nobody.
    if (m_icon != Icon::LoggedIn)
        return;
    m_count = count;
    m_newCount = newCount;
    // The menu shows no more than these; an inbox of thousands is not kept twice.
    m_rows = imailRow::newestUnread(rows, kMaxMenuIMails);
}

void TrayState::showNetwork(bool disconnected)
{
    m_disconnected = disconnected;
}

QString TrayState::badge() const
{
    if (!newMark())
        return QString();
    return m_newCount > 99 ? QStringLiteral("99+") : QString::number(m_newCount);
}

QString TrayState::imailCaption(int count, int newCount)
{
    return QString::number(count) + QStringLiteral(" iMails (") + QString::number(newCount) +
           QStringLiteral(" nya)");
}

QString TrayState::toolTip() const
{
    QString first;
    QString second;
    switch (m_icon) {
    case Icon::LoggedOut:
        first = QStringLiteral("Utloggad");
        break;
    case Icon::LoggingIn:
        first = QStringLiteral("Loggar in...");
        break;
    case Icon::LoggedIn:
        first = QStringLiteral("Inloggad som ") + inertMarkup(m_alias);
        second = imailCaption(m_count, m_newCount);
        break;
    }
    if (m_disconnected)
        second = QStringLiteral("Ingen nätverksanslutning");
    return second.isEmpty() ? first : first + QLatin1Char('\n') + second;
}

QList<TrayState::MenuEntry> TrayState::menuEntries() const
{
    using Kind = MenuEntry::Kind;
    // First: the way back to a window started hidden (--minimized).
    QList<MenuEntry> entries{{Kind::Show, QStringLiteral("Visa Kortvik"), true}, {Kind::Separator, QString(), true}};
    if (m_icon == Icon::LoggedIn) {
        // Each row opens the iMails, as the main window's menu does.
        for (const IMailRow &r : imailRow::newestUnread(m_rows, kMaxMenuIMails))
            entries.append({Kind::IMail, oneLine(r.senderName, 30) + QStringLiteral(": ") + oneLine(r.subject, 50),
                            true});
        if (entries.size() > 2)
            entries.append({Kind::Separator, QString(), true});
    }
    // As the main window: a login can be started unless one runs, and
    // "Logga ut" also cancels a running login.
    entries.append({Kind::Login, QStringLiteral("Logga &in..."), m_icon != Icon::LoggingIn});
    entries.append({Kind::Logout, QStringLiteral("Logga &ut"), m_icon != Icon::LoggedOut});
    entries.append({Kind::Quit, QStringLiteral("St&äng av"), true});
    return entries;
}
