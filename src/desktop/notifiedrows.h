#pragma once
#include <QHash>
#include <QSet>
#include <QString>

// The unread iMails a member has already been told about, per member id,
// so that a new login, a wake-up or a restart does not tell them again.
// One small file per member in the data folder, replaced whole on change.
class NotifiedRows
{
public:
    // An empty folder keeps the memory for this run only.
    explicit NotifiedRows(const QString &folder = QString());

    // $XDG_DATA_HOME/kortvik/notified
    static QString defaultFolder();

    QSet<qint32> of(qint32 memberId);
    void set(qint32 memberId, const QSet<qint32> &mids);

private:
    QString fileOf(qint32 memberId) const;

    QString m_folder;
    QHash<qint32, QSet<qint32>> m_known;
};
