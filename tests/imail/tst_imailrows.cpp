// The parsed inbox as bus rows: every demo inbox (the 1,000-row one too)
// comes through the site's page intact, newest first, in the site's time.
#include "imail/imailrows.h"

#include "inboxpage.h"
#include "simmembers.h"
#include "simpages.h"
#include "sitetime.h"

#include <QTest>

using modWebFunctions::IMailList;

namespace {

IMailRows expectedRows(const QList<sandlundSim::SimIMail> &inbox)
{
    IMailRows rows;
    for (const sandlundSim::SimIMail &m : inbox)
        rows.append(IMailRow{m.mid, m.subject, siteTime::toSecsSinceEpoch(m.sentAt.date(), m.sentAt.time()), m.isNew,
                             m.senderUid, m.senderName});
    return rows;
}

} // namespace

class TestIMailRows : public QObject
{
    Q_OBJECT
private slots:
    void demoInboxesIntact();
    void newestFirst();
    void noListNoRows();
};

void TestIMailRows::demoInboxesIntact()
{
    int checked = 0;
    for (const sandlundSim::SimMember &m : sandlundSim::defaultMembers()) {
        if (m.inbox.isEmpty())
            continue;
        IMailList list;
        QCOMPARE(modWebFunctions::parseIMailList(sandlundSim::memberMainPage(m), list), int(m.inbox.size()) - 1);
        const IMailRows rows = modWebFunctions::toIMailRows(list);
        const IMailRows expected = expectedRows(m.inbox);
        QCOMPARE(rows.size(), expected.size());
        for (qsizetype i = 0; i < rows.size(); ++i) {
            if (!(rows[i] == expected[i]))
                QFAIL(qPrintable(QStringLiteral("member %1, row %2: mid %3 \"%4\"")
                                     .arg(m.userid).arg(i).arg(rows[i].mid).arg(rows[i].subject)));
        }
        ++checked;
    }
    QVERIFY(checked >= 3); // kalle, anna and the 1,000-row member
}

void TestIMailRows::newestFirst()
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
    IMailList list;
    QCOMPARE(modWebFunctions::parseIMailList(inboxpage::page(page), list), 4);
    QList<qint32> mids;
    for (const IMailRow &r : modWebFunctions::toIMailRows(list))
        mids.append(r.mid);
    // Rows of the same minute keep the page's order.
    QCOMPARE(mids, (QList<qint32>{2, 5, 1, 3, 4}));
}

void TestIMailRows::noListNoRows()
{
    QVERIFY(modWebFunctions::toIMailRows(IMailList{}).isEmpty());
}

QTEST_GUILESS_MAIN(TestIMailRows)
#include "tst_imailrows.moc"
