#pragma once
#include <QObject>
#include <QString>

#include "imailrow.h"

// Decides which desktop notifications the session's changes are worth:
// one when the number of new iMails rises, one when the site ended a
// member's session. None for the guest, none when Config.ini says
// [Kortvik] notify=0 (read each time, so a change needs no restart).
class DesktopNotices : public QObject
{
    Q_OBJECT
public:
    enum class Kind { NewIMails, LoggedOut };
    Q_ENUM(Kind)

    explicit DesktopNotices(QObject *parent = nullptr);

    static bool enabledInSettings();

public slots:
    void loggedIn(bool guest);
    // bySite: the site ended the session; the member did not ask for it.
    void loggedOut(bool bySite);
    // Results of an iMail check that read the inbox page; failed exchanges
    // are not reported here, so a site that is away for a while does not
    // count as a fall and a rise.
    void imailsChecked(int count, int newCount, const IMailRows &rows);

signals:
    // Plain text; the client escapes it for the desktop.
    void notify(DesktopNotices::Kind kind, const QString &summary, const QString &body);

private:
    bool m_member = false;
    int m_lastNew = 0;
};
