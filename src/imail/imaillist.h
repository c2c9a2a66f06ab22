#pragma once
#include <QObject>
#include <QString>

#include "imail/imailcheckflight.h"
#include "imailrow.h"

namespace modGlobal {
class Session;
}

namespace modWebFunctions {

// Reads the inbox table of the start page into out, in the page's order; an
// inbox without rows gives an empty list. False when the page has no inbox
// table or a row cannot be read (then out is left untouched).
bool readInbox(const QString &page, IMailRows &out);
// Parses the start page; the index of the last entry, or -1 when there is
// no list (an empty inbox included; then out is left untouched).
int parseIMailList(const QString &page, IMailRows &out);
// Downloads "/login/community/main.asp" with the session's cookies and parses
// it; -1 when not logged in or on any failure.
int fetchIMailList(modGlobal::Session &session, IMailRows &out);

// Counts the iMails whenever the session asks for it (after a login and on
// the main window's timer) and hands the counts back to the session, which
// passes them on to the caption. One check at a time: a request while a
// check runs (the timer, a plug-in) waits for that check. A child of the
// session.
//
// Only a check that reads the inbox of the login it began in counts: one
// that fails (no answer, a page without the inbox, a row that cannot be
// read) or ends after a logout or another login reports nothing, so the
// counts and rows everyone shows stay those of the last good check. A
// logout clears them (the session's counts with it).
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
    // A check read the inbox: its rows, newest first, after the counts.
    void imailsRead(const IMailRows &rows);

private:
    void runCheck();

    modGlobal::Session *m_session;
    IMailCheckFlight m_flight;
};

} // namespace modWebFunctions
