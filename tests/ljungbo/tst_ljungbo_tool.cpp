// kortvik-components: the registry commands, the error exits, and "call"
// in-process (offscreen) and end to end under a private Xvfb.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include "componenthost.h"
#include "envguard.h"
#include "ljungbo/componentregistry.h"
#include "ljungbopaths.h"
#include "requiredtool.h"
#include "xclient.h"
#include "xvfbserver.h"

using namespace comp;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

} // namespace

class LjungboToolTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_data;

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_data.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }

    Run tool(const QStringList &args, int timeoutMs = 30000)
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(binDir() + QStringLiteral("/kortvik-components"), args);
        Run r;
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

    static QString notAComponent()
    {
        return QStringLiteral(LJUNGBO_TEST_NOTACOMPONENT);
    }

private slots:
    void init()
    {
        QDir(m_data.path()).removeRecursively();
        QDir().mkpath(m_data.path());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
    }

    void registerListUnregister()
    {
        Run r = tool({QStringLiteral("list")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray());

        r = tool({QStringLiteral("register"), ljungboLibrary()});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QByteArray());
        r = tool({QStringLiteral("list")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("Kortvik_Ljungbo.Default\n"));
        // Registered under its absolute path, however it was named.
        QCOMPARE(readRecord(QStringLiteral("Kortvik_Ljungbo.Default"))->library,
                 QFileInfo(ljungboLibrary()).canonicalFilePath());

        // Another component registered beside it is listed on its own line.
        QVERIFY(writeRecord({QStringLiteral("Other.Thing"), {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}},
                             QStringLiteral("/nowhere/libother.so")}));
        r = tool({QStringLiteral("list")});
        QCOMPARE(r.out, QByteArray("Kortvik_Ljungbo.Default\nOther.Thing\n"));

        r = tool({QStringLiteral("unregister"), ljungboLibrary()});
        QCOMPARE(r.exitCode, 0);
        r = tool({QStringLiteral("list")});
        QCOMPARE(r.out, QByteArray("Other.Thing\n"));
    }

    void errorExits_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("no command") << QStringList{} << int(HostUsage) << QStringLiteral("usage:");
        QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")} << int(HostUsage)
                                         << QStringLiteral("usage:");
        QTest::newRow("call without method") << QStringList{QStringLiteral("call"), QStringLiteral("A.B")}
                                             << int(HostUsage) << QStringLiteral("usage:");
        QTest::newRow("unknown program identifier")
            << QStringList{QStringLiteral("call"), QStringLiteral("No.Such"), QStringLiteral("Test")}
            << int(HostUnknownProgId) << QStringLiteral("No.Such: no such registered component");
        QTest::newRow("identifier that is a path")
            << QStringList{QStringLiteral("call"), QStringLiteral("../../etc/passwd"), QStringLiteral("Test")}
            << int(HostUnknownProgId) << QStringLiteral("no such registered component");
        QTest::newRow("missing library file")
            << QStringList{QStringLiteral("register"), QStringLiteral("/nonexistent/libx.so")} << int(HostBadLibrary)
            << QStringLiteral("/nonexistent/libx.so: no such file");
        QTest::newRow("library without entry points")
            << QStringList{QStringLiteral("register"), notAComponent()} << int(HostBadLibrary)
            << QStringLiteral("not a component library (missing DllGetClassObject, DllRegisterServer, "
                              "DllUnregisterServer)");
        QTest::newRow("unregister a library without entry points")
            << QStringList{QStringLiteral("unregister"), notAComponent()} << int(HostBadLibrary)
            << QStringLiteral("not a component library");
        QTest::newRow("not a library at all")
            << QStringList{QStringLiteral("register"), QStringLiteral(LJUNGBO_TEST_SOURCE_FILE)}
            << int(HostBadLibrary) << QStringLiteral("cannot be loaded");
    }
    void errorExits()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const Run r = tool(args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(QString::fromLocal8Bit(r.err).contains(message), r.err.constData());
        QVERIFY(registeredProgIds().isEmpty());  // nothing was registered on the way
    }

    void callErrorsOfARegisteredComponent()
    {
        QCOMPARE(tool({QStringLiteral("register"), ljungboLibrary()}).exitCode, 0);
        // The object is made, the method is not there: no window, a clear exit.
        Run r = tool({QStringLiteral("call"), QStringLiteral("Kortvik_Ljungbo.Default"), QStringLiteral("Show")});
        QCOMPARE(r.exitCode, int(HostUnknownMethod));
        QVERIFY(r.err.contains("Kortvik_Ljungbo.Default has no method Show"));

        // A record whose library is not a component.
        QVERIFY(writeRecord({QStringLiteral("Broken.Record"), {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}}, notAComponent()}));
        r = tool({QStringLiteral("call"), QStringLiteral("Broken.Record"), QStringLiteral("Test")});
        QCOMPARE(r.exitCode, int(HostBadLibrary));
        QVERIFY(r.err.contains("not a component library"));

        // A record naming a class the library does not serve.
        QVERIFY(writeRecord({QStringLiteral("Wrong.Class"), {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}},
                             QFileInfo(ljungboLibrary()).canonicalFilePath()}));
        r = tool({QStringLiteral("call"), QStringLiteral("Wrong.Class"), QStringLiteral("Test")});
        QCOMPARE(r.exitCode, int(HostCreateFailed));
        QVERIFY(r.err.contains("0x80040111"));
    }

    // In-process: call returns only after the window it showed is closed.
    void callWaitsForTheShownWindow()
    {
        QCOMPARE(registerLibrary(ljungboLibrary(), false).status, int(HostOk));
        QStringList seen;
        QPointer<QWidget> form;
        QTimer closer;
        closer.setInterval(20);
        int ticksVisible = 0;
        connect(&closer, &QTimer::timeout, this, [&] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                if (w->isVisible() && w->windowTitle() == QLatin1String("Form1"))
                    form = w;
            }
            if (!form)
                return;
            // Stay open a few ticks: the call must keep waiting meanwhile.
            if (++ticksVisible == 5) {
                seen << QStringLiteral("%1 %2x%3").arg(form->windowTitle()).arg(form->width()).arg(form->height());
                form->close();
                seen << QStringLiteral("closed");
            }
        });
        closer.start();
        const HostResult result = callMethod(QStringLiteral("Kortvik_Ljungbo.Default"), QStringLiteral("Test"));
        seen << QStringLiteral("returned");
        QCOMPARE(result.status, int(HostOk));
        QCOMPARE(seen, (QStringList{QStringLiteral("Form1 312x213"), QStringLiteral("closed"),
                                    QStringLiteral("returned")}));
        // Released at the end: the window is gone with its object.
        QVERIFY(!form);
    }

    // End to end on a real X server: the window appears with its caption and
    // size, and closing it as a close box does ends the program with 0.
    void callShowsForm1UntilClosed()
    {
        XvfbServer x;
        QString why;
        if (!x.start(&why))
            KORTVIK_SKIP_WITHOUT_TOOL(why);
        QCOMPARE(tool({QStringLiteral("register"), ljungboLibrary()}).exitCode, 0);

        QProcess p;
        QProcessEnvironment env = environment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), x.display());
        p.setProcessEnvironment(env);
        p.start(binDir() + QStringLiteral("/kortvik-components"),
                {QStringLiteral("call"), QStringLiteral("Kortvik_Ljungbo.Default"), QStringLiteral("Test")});
        QVERIFY(p.waitForStarted());
        // Generous: a loaded machine may take long to start a program on X.
        const unsigned long window = xclient::waitForWindow(x.display(), QStringLiteral("Form1"), 60000);
        QVERIFY2(window, p.readAllStandardError().constData());
        int width = 0, height = 0;
        QVERIFY(xclient::clientSize(x.display(), window, &width, &height));
        QCOMPARE(QSize(width, height), QSize(312, 213));

        // Still running while the window is open.
        QVERIFY(!p.waitForFinished(500));
        QVERIFY(xclient::requestClose(x.display(), window));
        QVERIFY(p.waitForFinished(15000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
    }
};

QTEST_MAIN(LjungboToolTest)
#include "tst_ljungbo_tool.moc"
