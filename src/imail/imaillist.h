#pragma once
#include <QDateTime>
#include <QString>
#include <QVector>

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
// Downloads "/login/community/main.asp" and parses it; -1 when not logged in
// or on any failure.
int fetchIMailList(IMailList &out);
// Writes "<n> iMails (<m> nya)" into mnuIMails; nothing when logged out.
void updateIMailCaption();

} // namespace modWebFunctions
