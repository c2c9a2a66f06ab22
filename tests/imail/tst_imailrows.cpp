// The parsed inbox as bus rows: newest first whatever the page's order.
#include "imail/imailrows.h"

#include "inboxpage.h"

#include <QTest>

using modWebFunctions::IMailList;

class TestIMailRows : public QObject
{
    Q_OBJECT
private slots:
    void newestFirst();
};

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

QTEST_GUILESS_MAIN(TestIMailRows)
#include "tst_imailrows.moc"
