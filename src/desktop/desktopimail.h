#pragma once
#include <QDateTime>
#include <QList>
#include <QString>

// One inbox row as the desktop pieces (tray menu, notifications) need it.
struct DesktopIMail {
    qint32 mid = 0;
    QString sender;
    QString subject;
    QDateTime sentAt;
    bool isNew = false;
};
using DesktopIMails = QList<DesktopIMail>;

// The newest unread rows first (by time sent, then by message id), at most max.
DesktopIMails newestUnread(const DesktopIMails &rows, int max);
