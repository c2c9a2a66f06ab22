#include "imail/imaillist.h"

#include "imail/inboxmarkers.h"
#include "net/clsdata.h"
#include "net/moddata.h"
#include "session/session.h"
#include "session/sitelogout.h"
#include "sitetime.h"
#include "text/textutil.h"

#include <QDate>
#include <QEventLoop>
#include <QFuture>
#include <QFutureWatcher>
#include <QPromise>
#include <QThreadPool>
#include <QTime>
#include <QTimer>

#include <memory>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

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
bool parseSentAt(const QString &dateText, const QString &timeText, qint64 &out)
{
    QDate date = QDate::fromString(dateText, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        date = QDate::fromString(dateText, QStringLiteral("d/M/yyyy"));
    const QTime time = QTime::fromString(timeText + QStringLiteral(":00"), QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid())
        return false;
    // The site's wall-clock time.
    out = siteTime::toSecsSinceEpoch(date, time);
    return true;
}

QString restoreLines(QString text)
{
    text.replace(QStringLiteral("<br>"), QStringLiteral("\r\n"));
    return modGlobal::htmlDecode(text);
}

bool parseRow(const QString &row, IMailRow &out)
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
        if (subject.startsWith(QStringLiteral("<b>")))
            subject.remove(0, 3);
    }

    // Colour code, the closing `">` and a blank come before the date.
    const QString dateText = dateCell.mid(9);
    const QString timeText = modGlobal::cutBetween(row, timeStart(m), kTimeEnd);
    qint64 sentAt = 0;
    if (!parseSentAt(dateText, timeText, sentAt))
        return false;

    qint32 senderUid = 0;
    if (!toInt32(modGlobal::cutBetween(row, kSenderUidStart, kSenderUidEnd), senderUid))
        return false;
    const QString senderName =
        modGlobal::cutBetween(row, senderNameStart(QString::number(senderUid)), kSenderNameEnd);

    out = IMailRow{mid, restoreLines(subject), sentAt, isNew, senderUid, restoreLines(senderName)};
    return true;
}

} // namespace

bool readInbox(const QString &page, IMailRows &out)
{
    // Found apart rather than cut out: an inbox without rows (the markers
    // side by side) is an inbox, a page without them is not, and a table of
    // many megabytes is not copied.
    const QString head = inbox::headMarker();
    const qsizetype at = page.indexOf(head);
    if (at < 0)
        return false;
    const qsizetype from = at + head.size();
    const qsizetype to = page.indexOf(inbox::endMarker(), from);
    if (to < 0)
        return false;
    const QStringView table = QStringView(page).mid(from, to - from);
    if (table.isEmpty()) {
        out = IMailRows();
        return true;
    }

    const QString separator = inbox::rowSeparator();
    // Row boundaries first, so the list is sized once and the rows are
    // copied one at a time.
    QList<qsizetype> starts{0};
    for (qsizetype sep = table.indexOf(separator); sep >= 0;
         sep = table.indexOf(separator, sep + separator.size())) {
        if (starts.size() >= kMaxRows)
            return false;
        starts.append(sep + separator.size());
    }
    const qsizetype n = starts.size();

    IMailRows list(n);
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype rowFrom = starts[i];
        const qsizetype rowTo = i + 1 < n ? starts[i + 1] - separator.size() : table.size();
        if (!parseRow(table.mid(rowFrom, rowTo - rowFrom).toString(), list[i]))
            return false;
    }
    out = std::move(list);
    return true;
}

int parseIMailList(const QString &page, IMailRows &out)
{
    IMailRows list;
    if (!readInbox(page, list) || list.isEmpty())
        return -1;
    out = std::move(list);
    return static_cast<int>(out.size() - 1);
}

namespace {

// The start page, "ERROR" when the exchange failed.
QString readInboxPage(modGlobal::Session &session, QString *header)
{
    const std::shared_ptr<clsData> client = session.newExchange();
    return client->Read(QStringLiteral("/login/community/main.asp"), modData::cookieList(session.cookies()),
                        QString(), QString(), false, header);
}

// Pages longer than this are read on a worker thread: reading 20,000 rows
// takes longer than the window may stand still.
constexpr qsizetype kAsideChars = 256 * 1024;

// What a check makes of the start page.
struct PageReading {
    bool loginForm = false; // the site's login form instead of the inbox
    bool read = false;      // an inbox table whose rows could all be read
    IMailRows rows;         // newest first
};

PageReading readPage(const QString &page)
{
    PageReading r;
    r.loginForm = siteLogout::isLoginFormPage(page);
    r.read = !r.loginForm && readInbox(page, r.rows);
    if (r.read)
        imailRow::sortNewestFirst(r.rows);
    return r;
}

// A big page is read on a worker thread while this thread's loop turns; the
// wait is part of the check, and checks run one at a time. Nothing is read
// when the loop is ended before the worker has finished.
PageReading readPageAside(QString page)
{
    if (page.size() < kAsideChars)
        return readPage(page);
    const auto promise = std::make_shared<QPromise<PageReading>>();
    const QFuture<PageReading> future = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([promise, page = std::move(page)]() mutable {
        PageReading reading = readPage(page);
        // Nothing of the page outlives the reading.
        page = QString();
        promise->addResult(std::move(reading));
        promise->finish();
    });
    QFutureWatcher<PageReading> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    if (!future.isFinished())
        loop.exec();
    QFuture<PageReading> done = future;
    return done.isResultReadyAt(0) ? done.takeResult() : PageReading();
}

// Freed pages of many megabytes stay with the process unless handed back.
void giveBackMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace

int fetchIMailList(modGlobal::Session &session, IMailRows &out)
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
    // The answer belongs to the login the check began in, or to nobody.
    const auto sameLogin = [this, &password, sequence] {
        return m_session->isLoggedIn() && m_session->isLatestSequence(sequence) && m_session->password() == password;
    };
    QString header;
    QString page = readInboxPage(*m_session, &header);
    // A failed exchange is no answer: the last good counts stay.
    if (page == QLatin1String("ERROR"))
        return;
    const bool big = page.size() >= kAsideChars;
    {
        const PageReading reading = readPageAside(std::move(page));
        // Only an answer can tell that the site ended the session; a site
        // that cannot be reached says nothing about it.
        if (!m_session->isGuest() && (siteLogout::setsOtherMemberCookie(header, password) || reading.loginForm)) {
            m_session->endBySite(password, sequence);
            return;
        }
        if (!reading.read || !sameLogin())
            return;
        m_session->setIMailCounts(static_cast<int>(reading.rows.size()), imailRow::countNew(reading.rows));
        emit imailsRead(reading.rows);
    }
    // In a turn of its own: handing back many megabytes takes a while.
    if (big)
        QTimer::singleShot(0, this, &giveBackMemory);
}

} // namespace modWebFunctions
