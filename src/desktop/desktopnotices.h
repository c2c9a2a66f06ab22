#pragma once
#include <QObject>
#include <QSet>
#include <QString>

#include "desktop/notifiedrows.h"
#include "imailrow.h"

// Decides which desktop notifications the session's changes are worth:
// one when unread iMails come that the member was not told about yet, one
// when the site ended a member's session. None for the guest, none when
// Config.ini says [Kortvik] notify=0 (read each time, so a change needs no
// restart). The new-iMails notification is withdrawn when nothing is
// unread any more and at every logout.
class DesktopNotices : public QObject
{
    Q_OBJECT
public:
    enum class Kind { NewIMails, LoggedOut };
    Q_ENUM(Kind)

    // memoryFolder: where the rows already told about are kept across
    // restarts (NotifiedRows::defaultFolder()); empty for this run only.
    explicit DesktopNotices(const QString &memoryFolder = QString(), QObject *parent = nullptr);

    static bool enabledInSettings();
    // "Du har 1 ny iMail", "Du har 2 nya iMails"
    static QString newIMailsSummary(int newCount);

public slots:
    void loggedIn(bool guest, qint32 memberId = 0);
    // bySite: the site ended the session; the member did not ask for it.
    void loggedOut(bool bySite);
    // Results of an iMail check that read the inbox page; failed exchanges
    // are not reported here, so a site that is away for a while does not
    // count as a fall and a rise.
    void imailsChecked(int count, int newCount, const IMailRows &rows);

signals:
    // Plain text; the client escapes it for the desktop.
    void notify(DesktopNotices::Kind kind, const QString &summary, const QString &body);
    // The notification of that kind is out of date: take it off the desktop.
    void withdraw(DesktopNotices::Kind kind);

private:
    void endNewIMails();

    NotifiedRows m_memory;
    bool m_member = false;
    qint32 m_memberId = 0;
    int m_lastNew = 0;
    // The unread rows the member has been told about.
    QSet<qint32> m_notified;
    // A new-iMails notification may be on the desktop.
    bool m_shown = false;
};
