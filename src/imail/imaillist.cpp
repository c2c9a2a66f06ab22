#include "imail/imaillist.h"

#include "imail/imailrows.h"
#include "imail/inboxmarkers.h"
#include "net/clsdata.h"
#include "net/moddata.h"
#include "session/session.h"
#include "session/sitelogout.h"
#include "text/textutil.h"

#include <QDate>
#include <QTime>

#include <memory>

namespace modWebFunctions {

namespace {

// More rows than any inbox page holds; a page beyond this is not an inbox.
constexpr qsizetype kMaxRows = 20000;

bool toInt32(const QString &text, qint32 &out)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (ok)
        out = v;
    return ok;
}

// The site writes dates either as "yyyy-MM-dd" or as "d/M/yyyy" and times as
// "HH:mm"; the parser reads exactly those forms, not the machine's locale,
// so the result does not depend on where the program runs. Date and time are
// read apart so a local time that falls into a daylight-saving gap still
// counts as a readable date.
bool parseSentAt(const QString &dateText, const QString &timeText, QDateTime &out)
{
    QDate date = QDate::fromString(dateText, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        date = QDate::fromString(dateText, QStringLiteral("d/M/yyyy"));
    const QTime time = QTime::fromString(timeText + QStringLiteral(":00"), QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid())
        return false;
    out = QDateTime(date, time);
    return true;
}

QString restoreLines(QString text)
{
    text.replace(QStringLiteral("<br>"), QStringLiteral("\r\n"));
    return modGlobal::htmlDecode(text);
}

bool parseRow(const QString &row, IMailList &list, qsizetype i)
{
    using namespace inbox;
    qint32 mid = 0;
    if (!toInt32(modGlobal::cutBetween(row, kMidStart, kMidEnd), mid))
        return false;
    const QString m = QString::number(mid);

    QString subject = modGlobal::cutBetween(row, subjectStart(m), kSubjectEnd);
    const QString dateCell = modGlobal::cutBetween(row, dateCellStart(m), kDateCellEnd);

    bool isNew = false;
    if (!dateCell.startsWith(QStringLiteral("00"))) {
        isNew = true;
        list.anyNew = true;
        if (subject.startsWith(QStringLiteral("<b>")))
            subject.remove(0, 3);
    }

    // Colour code, the closing `">` and a blank come before the date.
    const QString dateText = dateCell.mid(9);
    const QString timeText = modGlobal::cutBetween(row, timeStart(m), kTimeEnd);
    QDateTime sentAt;
    if (!parseSentAt(dateText, timeText, sentAt))
        return false;

    qint32 senderUid = 0;
    if (!toInt32(modGlobal::cutBetween(row, kSenderUidStart, kSenderUidEnd), senderUid))
        return false;
    const QString senderName =
        modGlobal::cutBetween(row, senderNameStart(QString::number(senderUid)), kSenderNameEnd);

    list.mid[i] = mid;
    list.senderName[i] = restoreLines(senderName);
    list.subject[i] = restoreLines(subject);
    list.sentAt[i] = sentAt;
    list.isNew[i] = isNew;
    list.senderUid[i] = senderUid;
    return true;
}

} // namespace

int parseIMailList(const QString &page, IMailList &out)
{
    const QString table = modGlobal::cutBetween(page, inbox::headMarker(), inbox::endMarker());
    if (table.isEmpty())
        return -1;

    const QString separator = inbox::rowSeparator();
    // Row boundaries first, so the arrays are sized once and the rows are
    // copied one at a time.
    QList<qsizetype> starts{0};
    for (qsizetype at = table.indexOf(separator); at >= 0;
         at = table.indexOf(separator, at + separator.size())) {
        if (starts.size() >= kMaxRows)
            return -1;
        starts.append(at + separator.size());
    }
    const qsizetype n = starts.size();

    IMailList list;
    list.mid.resize(n);
    list.subject.resize(n);
    list.sentAt.resize(n);
    list.isNew.resize(n);
    list.senderUid.resize(n);
    list.senderName.resize(n);
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype from = starts[i];
        const qsizetype to = i + 1 < n ? starts[i + 1] - separator.size() : table.size();
        if (!parseRow(table.mid(from, to - from), list, i))
            return -1;
    }
    out = std::move(list);
    return static_cast<int>(n - 1);
}

namespace {

// The start page, "ERROR" when the exchange failed.
QString readInboxPage(modGlobal::Session &session, QString *header)
{
    const std::shared_ptr<clsData> client = clsData::create(&session.cookies());
    return client->Read(QStringLiteral("/login/community/main.asp"), modData::cookieList(session.cookies()),
                        QString(), QString(), false, header);
}

} // namespace

int fetchIMailList(modGlobal::Session &session, IMailList &out)
{
    if (!session.isLoggedIn())
        return -1;
    const QString page = readInboxPage(session, nullptr);
    if (page == QLatin1String("ERROR"))
        return -1;
    return parseIMailList(page, out);
}

IMailWatch::IMailWatch(modGlobal::Session *session)
    : QObject(session)
    , m_session(session)
    , m_flight([this](std::function<void()> finished) {
        runCheck();
        finished();
    })
{
    connect(session, &modGlobal::Session::imailCheckDue, this, &IMailWatch::updateIMailCaption,
            Qt::DirectConnection);
}

void IMailWatch::updateIMailCaption()
{
    m_flight.request();
}

void IMailWatch::runCheck()
{
    if (!m_session->isLoggedIn())
        return;
    const QString password = m_session->password();
    const quint64 sequence = m_session->latestSequence();
    QString header;
    const QString page = readInboxPage(*m_session, &header);
    const bool read = page != QLatin1String("ERROR");
    // Only an answer can tell that the site ended the session; a site that
    // cannot be reached says nothing about it.
    if (read && !m_session->isGuest() &&
        (siteLogout::setsOtherMemberCookie(header, password) || siteLogout::isLoginFormPage(page))) {
        m_session->endBySite(password, sequence);
        if (!m_session->isLoggedIn())
            return;
    }
    IMailList list;
    const int last = read ? parseIMailList(page, list) : -1;
    const int n = last + 1;
    int m = 0;
    if (last >= 0) {
        for (bool isNew : list.isNew)
            m += isNew ? 1 : 0;
    }
    m_session->setIMailCounts(n, m);
    if (read)
        emit inboxRead(last >= 0 ? list : IMailList());
    // A logout while the page was on its way: those rows are no one's now.
    if (m_session->isLoggedIn())
        emit imailsRead(last >= 0 ? toIMailRows(list) : IMailRows{});
}

} // namespace modWebFunctions
