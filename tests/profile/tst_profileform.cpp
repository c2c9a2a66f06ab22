// Window-free rules of the profile editor: month lengths and the wait
// animation (the commit rules are driven through the editor itself).
#include <QTest>

#include "profile/birthdate.h"
#include "profile/waitbounce.h"

using namespace modGlobal;

class TstProfileForm : public QObject
{
    Q_OBJECT
private slots:
    void daysInMonth_data();
    void daysInMonth();
    void waitBounce();
};

void TstProfileForm::daysInMonth_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("days");
    QTest::newRow("month 0 is the day before 1 January") << 0 << 2003 << 31;
    QTest::newRow("February, leap year") << 2 << 2004 << 29;
    QTest::newRow("February 1900, century") << 2 << 1900 << 28;
    QTest::newRow("February 2000, 400th year") << 2 << 2000 << 29;
    QTest::newRow("April") << 4 << 2003 << 30;
    QTest::newRow("December rolls into next year") << 12 << 1999 << 31;
}

void TstProfileForm::daysInMonth()
{
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(int, days);
    QCOMPARE(modGlobal::daysInMonth(month, year), days);
}

void TstProfileForm::waitBounce()
{
    WaitBounce b;
    QList<double> seen;
    for (int i = 0; i < 42; ++i) {
        b.tick();
        seen << b.value;
    }
    // Up to 20, down to 1, the turn at 0.0001, then up from 1: 40 ticks a round.
    QCOMPARE(seen.mid(0, 3), (QList<double>{1, 2, 3}));
    QCOMPARE(seen[19], 20.0);
    QCOMPARE(seen[20], 19.0);
    QCOMPARE(b.direction, QStringLiteral("up"));
    QCOMPARE(seen[38], 1.0);
    QCOMPARE(seen[39], 0.0001);
    QCOMPARE(seen[40], 1.0);
    QCOMPARE(seen[41], 2.0);
}


QTEST_APPLESS_MAIN(TstProfileForm)
#include "tst_profileform.moc"
