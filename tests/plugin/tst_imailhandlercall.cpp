// The "iMails" menu's call to a handler program on a private bus: answered,
// missing, failing, crashing and silent handlers; the caller's event loop
// keeps turning all the while.
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "fakeimailhandler.h"
#include "plugin/imailhandlercall.h"
#include "privatesessionbus.h"
#include "requiredtool.h"

using Mode = FakeIMailHandler::Mode;
Q_DECLARE_METATYPE(FakeIMailHandler::Mode)

class TestIMailHandlerCall : public QObject
{
    Q_OBJECT
    PrivateSessionBus m_bus;

private slots:
    void initTestCase()
    {
        QString why;
        if (!m_bus.start(&why))
            KORTVIK_SKIP_WITHOUT_TOOL(why);
        QVERIFY(QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("kortvik")).isConnected());
    }

    void cleanupTestCase() { QDBusConnection::disconnectFromBus(QStringLiteral("kortvik")); }

    void outcome_data()
    {
        QTest::addColumn<bool>("withHandler");
        QTest::addColumn<Mode>("mode");
        QTest::addColumn<bool>("handled");
        QTest::addColumn<int>("minMs");
        QTest::addColumn<int>("maxMs");
        QTest::newRow("nobody owns the name") << false << Mode::Answer << false << 0 << 1000;
        QTest::newRow("handler answers") << true << Mode::Answer << true << 0 << 1000;
        QTest::newRow("handler fails") << true << Mode::Error << false << 0 << 1000;
        QTest::newRow("handler crashes") << true << Mode::Crash << false << 0 << 1000;
        QTest::newRow("handler silent") << true << Mode::Silent << false << 1900 << 3500;
    }

    void outcome()
    {
        QFETCH(bool, withHandler);
        QFETCH(Mode, mode);
        QFETCH(bool, handled);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);

        std::unique_ptr<FakeIMailHandler> handler;
        if (withHandler) {
            handler = std::make_unique<FakeIMailHandler>(m_bus.address(), mode);
            QVERIFY(handler->start());
        }
        IMailHandlerCall call(QDBusConnection(QStringLiteral("kortvik")));
        QSignalSpy opened(&call, &IMailHandlerCall::opened);
        QSignalSpy noHandler(&call, &IMailHandlerCall::noHandler);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
        ticker.start(50);

        QElapsedTimer clock;
        clock.start();
        call.open();
        call.open(); // a second click while the first call runs
        QVERIFY(call.isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!call.isRunning(), 5000);
        const qint64 elapsed = clock.elapsed();

        QCOMPARE(opened.size(), handled ? 1 : 0);
        QCOMPARE(noHandler.size(), handled ? 0 : 1);
        QVERIFY2(elapsed >= minMs && elapsed <= maxMs, qPrintable(QString::number(elapsed)));
        if (handler)
            QCOMPARE(handler->openCalls(), 1);
        if (minMs > 0)
            QVERIFY2(ticks >= minMs / 50 / 2, qPrintable(QString::number(ticks))); // the loop kept turning
        // Nothing more arrives later.
        QTest::qWait(100);
        QCOMPARE(opened.size() + noHandler.size(), 1);
    }

    void callsAgainAfterAnAnswer()
    {
        FakeIMailHandler handler(m_bus.address(), Mode::Answer);
        QVERIFY(handler.start());
        IMailHandlerCall call(QDBusConnection(QStringLiteral("kortvik")));
        QSignalSpy opened(&call, &IMailHandlerCall::opened);
        call.open();
        QTRY_COMPARE(opened.size(), 1);
        call.open();
        QTRY_COMPARE(opened.size(), 2);
        QCOMPARE(handler.openCalls(), 2);
    }
};

QTEST_GUILESS_MAIN(TestIMailHandlerCall)
#include "tst_imailhandlercall.moc"
