#pragma once
#include <QList>
#include <QMetaType>
#include <QString>

class QDBusArgument;

// One inbox row, from the page reader to the bus, the tray and the plug-ins:
// on the bus the struct (isxbis).
struct IMailRow {
    qint32 mid = 0;
    QString subject;
    qint64 sentAt = 0;   // seconds since 1970 (UTC)
    bool isNew = false;
    qint32 senderUid = 0;
    QString senderName;

    friend bool operator==(const IMailRow &, const IMailRow &) = default;
};
using IMailRows = QList<IMailRow>;

Q_DECLARE_METATYPE(IMailRow)

QDBusArgument &operator<<(QDBusArgument &arg, const IMailRow &row);
const QDBusArgument &operator>>(const QDBusArgument &arg, IMailRow &row);

namespace imailRow {

// The bus signature of a whole inbox.
inline constexpr char kListSignature[] = "a(isxbis)";

// Registers IMailRow and IMailRows with the meta-type and D-Bus type
// systems; safe to call more than once.
void registerTypes();

// A D-Bus string cannot hold U+0000 (libdbus would cut the text there) or
// half a surrogate pair; both become U+FFFD so the rest arrives intact.
QString busSafe(const QString &text);

// How many rows are new: the one count of unread iMails.
int countNew(const IMailRows &rows);
// Newest first (rows sent in the same minute keep their order).
void sortNewestFirst(IMailRows &rows);
// The newest unread rows first (by time sent, then by message id), at most max.
IMailRows newestUnread(const IMailRows &rows, int max);

} // namespace imailRow
