#include "desktop/notifiedrows.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

// An inbox holds far fewer unread rows; a file beyond this is not ours.
constexpr qint64 kMaxFileBytes = 1024 * 1024;

} // namespace

NotifiedRows::NotifiedRows(const QString &folder) : m_folder(folder) {}

QString NotifiedRows::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/kortvik/notified");
}

QString NotifiedRows::fileOf(qint32 memberId) const
{
    // Member ids are positive; anything else is kept for this run only.
    if (m_folder.isEmpty() || memberId <= 0)
        return QString();
    return m_folder + QLatin1Char('/') + QString::number(memberId);
}

QSet<qint32> NotifiedRows::of(qint32 memberId)
{
    const auto known = m_known.constFind(memberId);
    if (known != m_known.constEnd())
        return *known;
    QSet<qint32> mids;
    QFile file(fileOf(memberId));
    if (!file.fileName().isEmpty() && file.size() <= kMaxFileBytes && file.open(QIODevice::ReadOnly)) {
        // One message id per line; anything else is skipped.
        for (const QByteArray &line : file.readAll().split('\n')) {
            bool ok = false;
            const qint32 mid = line.trimmed().toInt(&ok);
            if (ok)
                mids.insert(mid);
        }
    }
    m_known.insert(memberId, mids);
    return mids;
}

void NotifiedRows::set(qint32 memberId, const QSet<qint32> &mids)
{
    if (of(memberId) == mids)
        return;
    m_known.insert(memberId, mids);
    const QString path = fileOf(memberId);
    if (path.isEmpty() || !QDir().mkpath(m_folder))
        return;
    QList<qint32> sorted(mids.cbegin(), mids.cend());
    std::sort(sorted.begin(), sorted.end());
    QByteArray text;
    for (qint32 mid : std::as_const(sorted))
        text += QByteArray::number(mid) + '\n';
    // Whole or not at all: a crash mid-write leaves the previous file.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size())
        file.commit();
}
