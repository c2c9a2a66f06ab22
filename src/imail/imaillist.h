#pragma once
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVector>

#include "imail/imailcheckflight.h"
#include "imailrow.h"

namespace modGlobal {
class Session;
}

namespace modWebFunctions {

struct IMailList {
    QVector<qint32> mid;
    QVector<QString> subject;
    QVector<QDateTime> sentAt;
    QVector<bool> isNew;
    bool anyNew = false;
    QVector<qint32> senderUid;
    QVector<QString> senderName;
};

// Parses the start page; the index of the last entry, or -1 when there is
// no list (then out is left untouched).
int parseIMailList(const QString &page, IMailList &out);
// Downloads "/login/community/main.asp" with the session's cookies and parses
// it; -1 when not logged in or on any failure.
int fetchIMailList(modGlobal::Session &session, IMailList &out);

// Counts the iMails whenever the session asks for it (after a login and on
// the main window's timer) and hands the counts back to the session, which
// passes them on to the caption. One check at a time: a request while a
// check runs (the timer, a plug-in) waits for that check. A child of the
// session.
class IMailWatch : public QObject
{
    Q_OBJECT
public:
    explicit IMailWatch(modGlobal::Session *session);

    // Nothing when logged out; joins a running check. An inbox request that the site answers with
    // its login form, or by resetting a member's "memberid" cookie, means the
    // site has ended the session: the session logs out instead.
    void updateIMailCaption();
    IMailCheckFlight *flight() { return &m_flight; }

signals:
    // The rows a check read while logged in, newest first; empty when the
    // list was unavailable. After the counts.
    void imailsRead(const IMailRows &rows);

signals:
    // A check read the inbox page (an empty list when the page had none);
    // a failed exchange is not reported.
    void inboxRead(const modWebFunctions::IMailList &list);

private:
    void runCheck();

    modGlobal::Session *m_session;
    IMailCheckFlight m_flight;
};

} // namespace modWebFunctions
