// One iMail check at a time: callers during a check wait for it, each is
// answered exactly once, and a caller after the end gets a check of its own;
// both for a check that turns the event loop while it waits and for one that
// ends later by itself.
#include "imail/imailcheckflight.h"

#include <QEventLoop>
#include <QTimer>
#include <QtTest>

#include <algorithm>

class TestIMailCheckFlight : public QObject
{
    Q_OBJECT
private slots:
    void nestedLoopCheck();
    void laterFinishingCheck();
};

void TestIMailCheckFlight::nestedLoopCheck()
{
    int checks = 0;
    QList<int> answeredBy; // the check count each caller saw when answered
    IMailCheckFlight *flight = nullptr;
    IMailCheckFlight f([&](std::function<void()> finished) {
        ++checks;
        // Like an exchange with the site: the loop turns, others ask meanwhile.
        QEventLoop loop;
        for (int i = 0; i < 50; ++i)
            QTimer::singleShot(1 + i % 10, &loop, [&] { flight->request([&] { answeredBy << checks; }); });
        QTimer::singleShot(40, &loop, &QEventLoop::quit);
        loop.exec();
        finished();
    });
    flight = &f;
    f.request([&] { answeredBy << checks; });
    QVERIFY(!f.running());
    QCOMPARE(checks, 1);
    QCOMPARE(answeredBy.size(), 51);
    QVERIFY(std::all_of(answeredBy.cbegin(), answeredBy.cend(), [](int n) { return n == 1; }));

    f.request();
    QCOMPARE(checks, 2);
}

void TestIMailCheckFlight::laterFinishingCheck()
{
    int checks = 0;
    std::function<void()> pending;
    IMailCheckFlight f([&](std::function<void()> finished) {
        ++checks;
        pending = std::move(finished);
    });
    int answers = 0;
    for (int i = 0; i < 5; ++i)
        f.request([&] { ++answers; });
    QVERIFY(f.running());
    QCOMPARE(checks, 1);
    QCOMPARE(answers, 0);
    QSignalSpy ended(&f, &IMailCheckFlight::checkFinished);
    pending();
    QCOMPARE(answers, 5);
    QCOMPARE(ended.size(), 1);
    pending(); // a second end of the same check changes nothing
    QCOMPARE(answers, 5);
    QCOMPARE(ended.size(), 1);
}

QTEST_GUILESS_MAIN(TestIMailCheckFlight)
#include "tst_imailcheckflight.moc"
