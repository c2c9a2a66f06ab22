// The "iMails" menu with and without a handler on a private bus: nobody
// owns the handler name, a handler that fails, crashes or never answers
// (the box, after 2 seconds at most, the window live meanwhile), and
// kortvik-imail waiting in the background (its window comes up under Xvfb,
// no box).
#include "quiettimers.h"
#include "app/frmmain.h"
#include "net/site.h"
#include "plugin/clsmainserver.h"
#include "settings/modsettings.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "fakeimailhandler.h"
#include "privatesessionbus.h"
#include "requiredtool.h"
#include "testsession.h"
#include "xvfbserver.h"

namespace {

const QString kHandler = QStringLiteral("org.kortvik.Kortvik.IMailHandler");

// Watches for the "Ingen plugin" box and closes it.
class BoxWatch : public QObject
{
public:
    BoxWatch()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *box = qobject_cast<QMessageBox *>(w);
                if (box && box->isVisible() && box->windowTitle() == QLatin1String("Ingen plugin")) {
                    if (!seen)
                        at = clock.elapsed();
                    ++seen;
                    box->accept();
                }
            }
        });
        m_timer.start(10);
        clock.start();
    }
    int seen = 0;
    qint64 at = -1;
    QElapsedTimer clock;

private:
    QTimer m_timer;
};

} // namespace

class tst_IMailMenu : public QObject
{
    Q_OBJECT
    QTemporaryDir m_home;
    PrivateSessionBus m_bus;
    std::unique_ptr<clsMainServer> m_server;
    std::unique_ptr<frmMain> m_window;

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        modSettings::overrideProgramFolder(m_home.path());
        modData::configureSite(QStringLiteral("127.0.0.1:9"));
        QString why;
        if (!m_bus.start(&why))
            KORTVIK_SKIP_WITHOUT_TOOL(why);
        // The window takes the session bus on first use: this one.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toLocal8Bit());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        resetSession();
        m_server = std::make_unique<clsMainServer>(&session());
        m_window = std::make_unique<frmMain>(&session());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        quietSessionTimers(*m_window);
    }

    void cleanupTestCase()
    {
        m_window.reset();
        m_server.reset();
        resetSession();
    }

    // Every way of not getting an answer ends in the box, in time, with the
    // window's loop turning meanwhile; a second click while the call runs
    // asks no second time.
    void fallsBackToTheBox_data()
    {
        QTest::addColumn<int>("mode"); // -1: nobody owns the name
        QTest::addColumn<int>("minMs");
        QTest::addColumn<int>("maxMs");
        QTest::newRow("nobody owns the name") << -1 << 0 << 1000;
        QTest::newRow("handler fails") << int(FakeIMailHandler::Mode::Error) << 0 << 1000;
        QTest::newRow("handler crashes") << int(FakeIMailHandler::Mode::Crash) << 0 << 1000;
        QTest::newRow("handler silent") << int(FakeIMailHandler::Mode::Silent) << 1900 << 3500;
    }

    void fallsBackToTheBox()
    {
        QFETCH(int, mode);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        std::unique_ptr<FakeIMailHandler> handler;
        if (mode >= 0) {
            handler = std::make_unique<FakeIMailHandler>(m_bus.address(), FakeIMailHandler::Mode(mode));
            QVERIFY(handler->start());
        }
        QCOMPARE(QDBusConnection::sessionBus().interface()->isServiceRegistered(kHandler).value(), mode >= 0);
        BoxWatch box;
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
        ticker.start(50);
        m_window->menuItem(QStringLiteral("mnuIMails"))->trigger();
        m_window->menuItem(QStringLiteral("mnuIMails"))->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(box.seen, 1, 5000);
        QVERIFY2(box.at >= minMs && box.at <= maxMs, qPrintable(QString::number(box.at)));
        QVERIFY2(ticks >= box.at / 50 / 2, qPrintable(QString::number(ticks)));
        if (handler)
            QCOMPARE(handler->openCalls(), 1);
        QTest::qWait(100);
        QCOMPARE(box.seen, 1);
    }

    void kortvikImailComesUp()
    {
        if (!XvfbServer::available() || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            KORTVIK_SKIP_WITHOUT_TOOL(QStringLiteral("Xvfb or xdotool missing"));
        XvfbServer x;
        QString why;
        if (!x.start(&why))
            KORTVIK_SKIP_WITHOUT_TOOL(why);
        // A copy of its own, so its Config.ini lands in the test's folder.
        const QString program = m_home.filePath(QStringLiteral("kortvik-imail"));
        QFile::remove(program);
        QVERIFY(QFile::copy(qEnvironmentVariable("KORTVIK_BIN_DIR") + QStringLiteral("/kortvik-imail"), program));
        QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus.address());
        env.insert(QStringLiteral("DISPLAY"), x.display());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("HOME"), m_home.path());
        tool.setProcessEnvironment(env);
        tool.start(program, {QStringLiteral("--background")});
        QVERIFY(tool.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(QDBusConnection::sessionBus().interface()->isServiceRegistered(kHandler), 15000);

        auto visibleWindows = [&x] {
            QProcess p;
            QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
            e.insert(QStringLiteral("DISPLAY"), x.display());
            p.setProcessEnvironment(e);
            p.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                QStringLiteral("--name"), QStringLiteral("^Kortvik - iMails$")});
            p.waitForFinished(5000);
            return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
        };
        QCOMPARE(visibleWindows(), QString()); // waiting in the background

        BoxWatch box;
        m_window->menuItem(QStringLiteral("mnuIMails"))->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!visibleWindows().isEmpty(), 10000);
        QTest::qWait(2500); // past the fallback time: still no box
        QCOMPARE(box.seen, 0);

        tool.terminate();
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        // It left its placement in its own section.
        QFile ini(m_home.filePath(QStringLiteral("Config.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().contains("[kortvik-imail]"));
    }
};

QTEST_MAIN(tst_IMailMenu)
#include "tst_imailmenu.moc"
