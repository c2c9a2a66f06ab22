// The inbox page read into the iMail list, and that list as bus rows.
#include "imail/imaillist.h"
#include "sitetime.h"

#include "inboxpage.h"

#include <QRandomGenerator>
#include <QTest>

using modWebFunctions::parseIMailList;
using inboxpage::Row;

Q_DECLARE_METATYPE(QList<Row>)

namespace {

Row row(const QString &mid, const QString &colour, const QString &subject = QStringLiteral("Hej"))
{
    Row r;
    r.mid = mid;
    r.colour = colour;
    r.subject = subject;
    return r;
}

// A list that a failed parse must leave alone.
const IMailRows kSentinel{{99, QStringLiteral("orörd"), 0, true, 7, QStringLiteral("Ingen")}};

// The site's wall-clock time as the rows hold it.
qint64 siteSecs(const QDate &date, const QTime &time)
{
    return siteTime::toSecsSinceEpoch(date, time);
}

QVector<bool> newFlags(const IMailRows &rows)
{
    QVector<bool> flags;
    for (const IMailRow &r : rows)
        flags.append(r.isNew);
    return flags;
}

} // namespace

class TestIMailParse : public QObject
{
    Q_OBJECT
private slots:
    void readsEveryField();
    void newAndReadRows_data();
    void newAndReadRows();
    void textsAreRestored_data();
    void textsAreRestored();
    void dateForms_data();
    void dateForms();
    void unavailableList_data();
    void unavailableList();
    void tooManyRowsIsNoInbox();
    void mangledPagesNeverCrash();
    // The parsed inbox as bus rows: newest first whatever the page's order.
    void newestFirst();
};

void TestIMailParse::readsEveryField()
{
    Row r;
    r.mid = QStringLiteral("1234");
    r.subject = QStringLiteral("Fika?");
    r.colour = QStringLiteral("FF0000");
    r.date = QStringLiteral("2023-11-30");
    r.time = QStringLiteral("08:05");
    r.uid = QStringLiteral("5150");
    r.sender = QStringLiteral("Lisa");
    Row second = row(QStringLiteral("77"), QStringLiteral("000000"), QStringLiteral("Svar"));
    second.uid = QStringLiteral("9");
    second.sender = QStringLiteral("Olle");

    IMailRows l;
    QCOMPARE(parseIMailList(inboxpage::page({r, second}), l), 1);
    // In the page's order.
    const IMailRows want{
        {1234, QStringLiteral("Fika?"), siteSecs(QDate(2023, 11, 30), QTime(8, 5)), true, 5150, QStringLiteral("Lisa")},
        {77, QStringLiteral("Svar"), siteSecs(QDate(2024, 1, 5), QTime(14, 30)), false, 9, QStringLiteral("Olle")}};
    QCOMPARE(l, want);
}

void TestIMailParse::newAndReadRows_data()
{
    QTest::addColumn<QList<Row>>("rows");
    QTest::addColumn<QVector<bool>>("isNew");
    QTest::addColumn<bool>("anyNew");

    QTest::newRow("one red of three")
        << QList<Row>{row("1", "FF0000"), row("2", "000000"), row("3", "000000")}
        << QVector<bool>{true, false, false} << true;
    QTest::newRow("green starts with 00: read")
        << QList<Row>{row("5", "008000")} << QVector<bool>{false} << false;
    QTest::newRow("all read") << QList<Row>{row("1", "000000"), row("2", "00FFFF")}
                              << QVector<bool>{false, false} << false;
    QTest::newRow("only the first two characters count")
        << QList<Row>{row("1", "0F0000"), row("2", "100000")} << QVector<bool>{true, true} << true;
    QTest::newRow("lower case colour") << QList<Row>{row("8", "ff0000")} << QVector<bool>{true} << true;
}

void TestIMailParse::newAndReadRows()
{
    QFETCH(QList<Row>, rows);
    QFETCH(QVector<bool>, isNew);
    QFETCH(bool, anyNew);
    IMailRows l;
    QCOMPARE(parseIMailList(inboxpage::page(rows), l), rows.size() - 1);
    QCOMPARE(newFlags(l), isNew);
    QCOMPARE(imailRow::countNew(l) > 0, anyNew);
}

void TestIMailParse::textsAreRestored_data()
{
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QString>("wantSubject");
    QTest::addColumn<QString>("wantSender");

    QTest::newRow("bold mark dropped for a new message")
        << "FF0000" << "<b>Hej" << "Kalle" << "Hej" << "Kalle";
    QTest::newRow("bold mark kept for a read message")
        << "000000" << "<b>Hej" << "Kalle" << "<b>Hej" << "Kalle";
    QTest::newRow("only a leading bold mark") << "FF0000" << "Hej <b>du" << "Kalle" << "Hej <b>du" << "Kalle";
    QTest::newRow("line breaks") << "000000" << "Rad 1<br>Rad 2" << "A<br>B" << "Rad 1\r\nRad 2" << "A\r\nB";
    QTest::newRow("break tag is case-sensitive") << "000000" << "a<BR>b" << "x" << "a<BR>b" << "x";
    QTest::newRow("entities") << "000000" << "a &amp; b" << "Kalle &amp; Co" << "a & b" << "Kalle & Co";
    QTest::newRow("bold removed before decoding") << "FF0000" << "&lt;b&gt;x" << "x" << "<b>x" << "x";
}

void TestIMailParse::textsAreRestored()
{
    QFETCH(QString, colour);
    QFETCH(QString, subject);
    QFETCH(QString, sender);
    QFETCH(QString, wantSubject);
    QFETCH(QString, wantSender);
    Row r = row(QStringLiteral("3"), colour, subject);
    r.sender = sender;
    IMailRows l;
    QCOMPARE(parseIMailList(inboxpage::page({r}), l), 0);
    QCOMPARE(l.value(0).subject, wantSubject);
    QCOMPARE(l.value(0).senderName, wantSender);
}

void TestIMailParse::dateForms_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QDateTime>("want");

    QTest::newRow("iso") << "2024-02-29" << "23:59" << QDateTime(QDate(2024, 2, 29), QTime(23, 59));
    QTest::newRow("day/month/year") << "5/1/2024" << "07:00" << QDateTime(QDate(2024, 1, 5), QTime(7, 0));
    QTest::newRow("day/month/year padded")
        << "05/01/2024" << "00:01" << QDateTime(QDate(2024, 1, 5), QTime(0, 1));
}

void TestIMailParse::dateForms()
{
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QDateTime, want);
    Row r;
    r.date = date;
    r.time = time;
    IMailRows l;
    QCOMPARE(parseIMailList(inboxpage::page({r}), l), 0);
    QCOMPARE(l.value(0).sentAt, siteSecs(want.date(), want.time()));
}

void TestIMailParse::unavailableList_data()
{
    QTest::addColumn<QString>("page");

    Row badDate = row("2", "000000");
    badDate.date = QStringLiteral("igår");
    Row badMonth = row("2", "000000");
    badMonth.date = QStringLiteral("2024-13-01");
    Row badTime = row("2", "000000");
    badTime.time = QStringLiteral("25:00");
    Row badMid = row("x1", "000000");
    Row badUid = row("2", "000000");
    badUid.uid = QStringLiteral("abc");
    Row hugeMid = row("4294967296", "000000");

    QTest::newRow("one unreadable date spoils all")
        << inboxpage::page({row("1", "FF0000"), badDate, row("3", "000000")});
    QTest::newRow("month 13") << inboxpage::page({badMonth});
    QTest::newRow("hour 25") << inboxpage::page({badTime});
    QTest::newRow("message id not a number") << inboxpage::page({row("1", "000000"), badMid});
    QTest::newRow("sender id not a number") << inboxpage::page({badUid});
    QTest::newRow("message id beyond 32 bits") << inboxpage::page({hugeMid});
    QTest::newRow("empty inbox") << inboxpage::page({});
    QTest::newRow("no inbox table") << QStringLiteral("<html><body>Logga in först</body></html>");
    QTest::newRow("empty page") << QString();
    QTest::newRow("table never ends") << inboxpage::head() + QStringLiteral("\r\n") + inboxpage::rowText(Row());
    QTest::newRow("head marker with CRLF after its last line")
        << inboxpage::head() + QStringLiteral("\r\n") + inboxpage::tail();
}

void TestIMailParse::unavailableList()
{
    QFETCH(QString, page);
    IMailRows l = kSentinel;
    QCOMPARE(parseIMailList(page, l), -1);
    // The caller's list is left as it was.
    QCOMPARE(l, kSentinel);
}

void TestIMailParse::tooManyRowsIsNoInbox()
{
    // Separators alone cost a hostile page nothing to send; the parser must
    // not size arrays after them.
    const QString page = inboxpage::head() + inboxpage::separator().repeated(200000) + inboxpage::tail();
    IMailRows l;
    QCOMPARE(parseIMailList(page, l), -1);

    // A large but plausible inbox is still read.
    QList<Row> rows;
    for (int i = 0; i < 2000; ++i)
        rows.append(row(QString::number(i + 1), i % 7 ? QStringLiteral("000000") : QStringLiteral("CC0000")));
    QCOMPARE(parseIMailList(inboxpage::page(rows), l), 1999);
    QCOMPARE(imailRow::countNew(l), 286);
}

void TestIMailParse::mangledPagesNeverCrash()
{
    const QString good = inboxpage::page({row("1", "FF0000"), row("2", "000000"), row("3", "000000")});
    QRandomGenerator rng(20240105);
    int parsed = 0;
    for (int round = 0; round < 3000; ++round) {
        QString page = good;
        const int edits = 1 + int(rng.bounded(6));
        for (int e = 0; e < edits && !page.isEmpty(); ++e) {
            const qsizetype at = rng.bounded(int(page.size()));
            switch (rng.bounded(4)) {
            case 0: page.remove(at, rng.bounded(40)); break;
            case 1: page.insert(at, page.mid(rng.bounded(int(page.size())), rng.bounded(120))); break;
            case 2: page[at] = QChar(u"\"<>\r\n 0a&;"[rng.bounded(10)]); break;
            default: page.truncate(at); break;
            }
        }
        IMailRows l;
        const int last = parseIMailList(page, l);
        QVERIFY(last >= -1);
        if (last >= 0) {
            ++parsed;
            QCOMPARE(l.size(), last + 1);
        }
    }
    // Some edits leave the rows readable; the loop must have seen both outcomes.
    QVERIFY(parsed > 0);
    QVERIFY(parsed < 3000);
}

void TestIMailParse::newestFirst()
{
    QList<inboxpage::Row> page;
    auto add = [&page](const char *mid, const char *date, const char *time) {
        inboxpage::Row r;
        r.mid = QString::fromLatin1(mid);
        r.date = QString::fromLatin1(date);
        r.time = QString::fromLatin1(time);
        page.append(r);
    };
    add("1", "2024-01-05", "14:30");
    add("2", "2024-03-01", "08:00");
    add("3", "2024-01-05", "14:30");
    add("4", "2023-12-31", "23:59");
    add("5", "2024-01-05", "14:31");
    IMailRows list;
    QCOMPARE(modWebFunctions::parseIMailList(inboxpage::page(page), list), 4);
    imailRow::sortNewestFirst(list);
    QList<qint32> mids;
    for (const IMailRow &r : std::as_const(list))
        mids.append(r.mid);
    // Rows of the same minute keep the page's order.
    QCOMPARE(mids, (QList<qint32>{2, 5, 1, 3, 4}));
}

QTEST_GUILESS_MAIN(TestIMailParse)
#include "tst_imailparse.moc"
