#include "desktop/desktopnotices.h"

#include "settings/modsettings.h"

#include <utility>

namespace {

// The longest sender or subject a notification shows.
constexpr qsizetype kMaxNoticeText = 200;

bool isBidiControl(char16_t c)
{
    return (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069);
}

// Terminal escape sequences go whole, not just their first byte. Each skip
// starts after the introducer and returns the index after the sequence.
qsizetype skipControlSequence(QStringView t, qsizetype i)
{
    while (i < t.size() && t[i].unicode() >= 0x20 && t[i].unicode() <= 0x3f)
        ++i;
    return i < t.size() && t[i].unicode() >= 0x40 && t[i].unicode() <= 0x7e ? i + 1 : i;
}

qsizetype skipControlString(QStringView t, qsizetype i)
{
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c == 0x07 || c == 0x9c)
            return i + 1;
        if (c == 0x1b && i + 1 < t.size() && t[i + 1] == u'\\')
            return i + 2;
    }
    return i;
}

qsizetype skipEscape(QStringView t, qsizetype i)
{
    if (i >= t.size())
        return i;
    const char16_t c = t[i].unicode();
    if (c == u'[')
        return skipControlSequence(t, i + 1);
    if (c == u']' || c == u'P' || c == u'X' || c == u'^' || c == u'_')
        return skipControlString(t, i + 1);
    while (i < t.size() && t[i].unicode() >= 0x20 && t[i].unicode() <= 0x2f)
        ++i;
    return i < t.size() && t[i].unicode() >= 0x30 && t[i].unicode() <= 0x7e ? i + 1 : i;
}

// Text from the site, made fit for one line of a notification: control
// characters go (an escape sequence with all of its bytes), a NUL shows as
// U+FFFD instead of ending the text, line breaks and runs of blanks are one
// blank, and more than max characters are cut with "…".
QString noticeText(const QString &text, qsizetype max)
{
    const QStringView t(text);
    QString out;
    out.reserve(qMin(t.size(), max + 1));
    bool blank = false;
    for (qsizetype i = 0; i < t.size() && out.size() <= max;) {
        const char16_t c = t[i++].unicode();
        if (c == 0x1b) {
            i = skipEscape(t, i);
            continue;
        }
        if (c == 0x9b) {
            i = skipControlSequence(t, i);
            continue;
        }
        if (c == 0x90 || c == 0x98 || c == 0x9d || c == 0x9e || c == 0x9f) {
            i = skipControlString(t, i);
            continue;
        }
        if (QChar::isSpace(c)) {
            blank = true;
            continue;
        }
        if (c != 0 && (c < 0x20 || (c >= 0x7f && c <= 0x9f) || isBidiControl(c)))
            continue;
        if (blank && !out.isEmpty())
            out += u' ';
        blank = false;
        out += c == 0 ? QChar(QChar::ReplacementCharacter) : QChar(c);
    }
    if (out.size() > max) {
        out.truncate(max - 1);
        // Never half of a character that takes two.
        if (!out.isEmpty() && out.back().isHighSurrogate())
            out.chop(1);
        out += QChar(0x2026);
    }
    return out;
}

} // namespace

DesktopNotices::DesktopNotices(const QString &memoryFolder, QObject *parent)
    : QObject(parent)
    , m_memory(memoryFolder)
{
}

bool DesktopNotices::enabledInSettings()
{
    return modSettings::readSetting(QStringLiteral("Kortvik"), QStringLiteral("notify"), QString()).trimmed() !=
           QLatin1String("0");
}

QString DesktopNotices::newIMailsSummary(int newCount)
{
    if (newCount == 1)
        return QStringLiteral("Du har 1 ny iMail");
    return QStringLiteral("Du har %1 nya iMails").arg(newCount);
}

void DesktopNotices::loggedIn(bool guest, qint32 memberId)
{
    m_member = !guest;
    m_memberId = memberId;
    m_lastNew = 0;
    m_notified = m_member ? m_memory.of(memberId) : QSet<qint32>();
}

void DesktopNotices::loggedOut(bool bySite)
{
    const bool wasMember = m_member;
    m_member = false;
    m_lastNew = 0;
    endNewIMails();
    if (bySite && wasMember && enabledInSettings())
        emit notify(Kind::LoggedOut, QStringLiteral("Du har blivit utloggad från Sandlund"), QString());
}

void DesktopNotices::endNewIMails()
{
    if (std::exchange(m_shown, false))
        emit withdraw(Kind::NewIMails);
}

void DesktopNotices::imailsChecked(int count, int newCount, const IMailRows &rows)
{
    Q_UNUSED(count);
    if (!m_member)
        return;
    QSet<qint32> unread;
    IMailRows fresh;
    for (const IMailRow &r : rows) {
        if (!r.isNew)
            continue;
        unread.insert(r.mid);
        if (!m_notified.contains(r.mid))
            fresh.append(r);
    }
    // Without rows only the count tells: a rise is news.
    const bool news = rows.isEmpty() ? newCount > m_lastNew : !fresh.isEmpty();
    m_lastNew = newCount;
    if (!rows.isEmpty() || newCount == 0) {
        // Rows read since are forgotten, so the memory stays as small as the inbox.
        m_notified = unread;
        m_memory.set(m_memberId, m_notified);
    }
    if (newCount == 0) {
        endNewIMails();
        return;
    }
    if (!news || !enabledInSettings())
        return;
    QString body;
    const IMailRows newest = imailRow::newestUnread(fresh, 1);
    if (!newest.isEmpty())
        body = noticeText(newest.first().senderName, kMaxNoticeText) + QStringLiteral(": ") +
               noticeText(newest.first().subject, kMaxNoticeText);
    m_shown = true;
    emit notify(Kind::NewIMails, newIMailsSummary(newCount), body);
}
