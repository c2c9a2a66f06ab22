// The "iMails" menu with and without a handler on a private bus: nobody
// owns the handler name (the box), kortvik-imail waiting in the background
// (its window comes up under Xvfb, no box), a handler that never answers
// (the box after 2 seconds, the window live meanwhile).
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
        for (const char *name : {"tmrLoadLogin", "tmrCheckIMail", "tmrKeepLogin"})
            m_window->timer(QString::fromLatin1(name))->stop();
    }

    void cleanupTestCase()
    {
        m_window.reset();
        m_server.reset();
        resetSession();
    }

    void nobodyOwnsTheName()
    {
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(kHandler));
        BoxWatch box;
        m_window->menuItem(QStringLiteral("mnuIMails"))->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(box.seen, 1, 2000);
        QVERIFY2(box.at < 1000, qPrintable(QString::number(box.at)));
    }

    void silentHandler()
    {
        FakeIMailHandler handler(m_bus.address(), FakeIMailHandler::Mode::Silent);
        QVERIFY(handler.start());
        BoxWatch box;
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
        ticker.start(100);
        m_window->menuItem(QStringLiteral("mnuIMails"))->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(box.seen, 1, 5000);
        QCOMPARE(handler.openCalls(), 1);
        QVERIFY2(box.at >= 1900 && box.at <= 3500, qPrintable(QString::number(box.at)));
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks))); // the window kept turning its loop
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
