#pragma once
#include <QDateTime>
#include <QList>
#include <QString>

// One inbox row as the desktop pieces (tray menu, notifications) need it.
struct IMailRow {
    qint32 mid = 0;
    QString sender;
    QString subject;
    QDateTime sentAt;
    bool isNew = false;
};
using IMailRows = QList<IMailRow>;

// The newest unread rows first (by time sent, then by message id), at most max.
IMailRows newestUnread(const IMailRows &rows, int max);
