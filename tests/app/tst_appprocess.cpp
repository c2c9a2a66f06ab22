// Runs the built program as a user meets it: a copy in a folder of its own,
// a private session bus, and for window checks a private Xvfb display.
#include "kortvikonbus.h"
#include "requiredtool.h"
#include "xclient.h"
#include "xvfbserver.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingReply>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

#include <csignal>

namespace {

const QString kBusName = QStringLiteral("org.kortvik.Kortvik");
constexpr int kStartTimeoutMs = 30000;

// The keys of one section of an INI file, in file order.
QStringList sectionLines(const QString &path, const QString &section)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    bool inSection = false;
    for (QByteArray raw : file.readAll().split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line.compare(QLatin1Char('[') + section + QLatin1Char(']'), Qt::CaseInsensitive) == 0;
            continue;
        }
        if (inSection && !line.isEmpty())
            lines << line;
    }
    return lines;
}

QStringList placementLines(int width, int height, int top, int left)
{
    return {QStringLiteral("frmMn.Width=%1").arg(width), QStringLiteral("frmMn.Height=%1").arg(height),
            QStringLiteral("frmMn.Top=%1").arg(top), QStringLiteral("frmMn.Left=%1").arg(left)};
}

// The placement a first start gets: the design client area, centred on the
// screen (the program runs on the same offscreen screen as this test).
QStringList designPlacement(const QRect &screen = QGuiApplication::primaryScreen()->geometry())
{
    return placementLines(577, 443, screen.y() + (screen.height() - 443) / 2,
                          screen.x() + (screen.width() - 577) / 2);
}

bool waitForStderr(QProcess *process, const QByteArray &text, QByteArray *seen)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kStartTimeoutMs) {
        process->waitForReadyRead(200);
        *seen += process->readAllStandardError();
        if (seen->contains(text))
            return true;
        if (process->state() != QProcess::Running)
            return false;
    }
    return false;
}

bool endsCleanly(QProcess *process)
{
    return process->waitForFinished(kStartTimeoutMs) && process->exitStatus() == QProcess::NormalExit &&
           process->exitCode() == 0;
}

// xdotool on the test's display; its output, trimmed.
QString xdo(const QString &display, const QStringList &arguments, int *exitCode = nullptr)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("xdotool"), arguments);
    p.waitForFinished(10000);
    if (exitCode)
        *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString waitForWindow(const QString &display, const QString &titleRegex)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kStartTimeoutMs) {
        const QString ids = xdo(display, {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                          QStringLiteral("--name"), titleRegex});
        if (!ids.isEmpty())
            return ids.split(QLatin1Char('\n')).first().trimmed();
        QTest::qWait(100);
    }
    return {};
}

// The processes that run the program at path (its sandbox copy is ours alone).
QList<pid_t> processesOf(const QString &path)
{
    QList<pid_t> pids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool isPid = false;
        const pid_t pid = pid_t(entry.toInt(&isPid));
        if (isPid && QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(entry)) == path)
            pids << pid;
    }
    return pids;
}

// A session bus whose services folder starts the sandbox's copy when a
// client calls org.kortvik.Kortvik, as the installed .service file does.
// Started processes get the daemon's environment: the sandbox's.
class ActivatingBus
{
public:
    explicit ActivatingBus(KortvikSandbox &sandbox) : m_program(sandbox.programPath())
    {
        const QString services = m_dir.filePath(QStringLiteral("services"));
        QDir().mkpath(services);
        writeFile(services + QStringLiteral("/org.kortvik.Kortvik.service"),
                  "[D-BUS Service]\nName=org.kortvik.Kortvik\nExec=" + QFile::encodeName(m_program) + "\n");
        writeFile(m_dir.filePath(QStringLiteral("bus.conf")),
                  "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><servicedir>"
                      + QFile::encodeName(services)
                      + "</servicedir><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                        "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        m_daemon.setProcessEnvironment(sandbox.environment());
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + m_dir.filePath(QStringLiteral("bus.conf")),
                        QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (m_daemon.waitForStarted(5000) && (m_daemon.canReadLine() || m_daemon.waitForReadyRead(5000)))
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~ActivatingBus()
    {
        // The daemon does not end what it started.
        for (pid_t pid : processesOf(m_program))
            ::kill(pid, SIGKILL);
        m_daemon.terminate();
        m_daemon.waitForFinished(3000);
    }
    QString address() const { return m_address; }

private:
    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
    }

    QTemporaryDir m_dir;
    QString m_program;
    QProcess m_daemon;
    QString m_address;
};

} // namespace

class tst_AppProcess : public QObject
{
    Q_OBJECT

private slots:
    void placementSavedOnSignal_data();
    void placementSavedOnSignal();
    void automationWithoutInstanceFails();
    void commandLineWithoutDisplay_data();
    void commandLineWithoutDisplay();
    void busActivationStartsOneInstance();
    void startsWithoutSessionBus();
    void secondStartRefusedAndFirstActivated();
    void closeBoxShutsDown();
    void keysAsPeoplePressThem_data();
    void keysAsPeoplePressThem();
};

void tst_AppProcess::placementSavedOnSignal_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("before");  // Config.ini content, "" for none
    QTest::addColumn<QStringList>("after");  // the [Kortvik] section afterwards

    const QStringList design = designPlacement();
    auto ini = [](const QStringList &lines) {
        return QStringLiteral("[Kortvik]\r\n") + lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    };
    QTest::newRow("first run, SIGTERM") << SIGTERM << QString() << design;
    QTest::newRow("first run, SIGINT") << SIGINT << QString() << design;
    const QStringList stored = placementLines(640, 400, 20, 30);
    QTest::newRow("stored placement comes back") << SIGTERM << ini(stored) << stored;
    const QStringList edge = placementLines(640, 400, -18, 30);
    QTest::newRow("top -18 comes back") << SIGTERM << ini(edge) << edge;
    QTest::newRow("top -19 gives the design")
        << SIGTERM << ini(placementLines(640, 400, -19, 30)) << design;
    QTest::newRow("wider than the screen gives the design")
        << SIGTERM << ini(placementLines(5000, 400, 20, 30)) << design;
    QStringList abc = placementLines(640, 400, 20, 30);
    abc[3] = QStringLiteral("frmMn.Left=abc");
    QTest::newRow("left abc gives the design") << SIGTERM << ini(abc) << design;
}

void tst_AppProcess::placementSavedOnSignal()
{
    QFETCH(int, signal);
    QFETCH(QString, before);
    QFETCH(QStringList, after);

    KortvikOnBus k;
    KortvikOnBus::Options options;
    options.site = false;
    options.config = before.toLatin1();
    QString why;
    if (!k.start(&why, options))
        KORTVIK_SKIP_WITHOUT_TOOL(why);
    QProcess *kortvik = k.program;
    QVERIFY2(k.waitForMainWindow(kortvik), kortvik->readAllStandardError().constData());
    QCOMPARE(k.ownerPid(), uint(kortvik->processId()));

    ::kill(pid_t(kortvik->processId()), signal);
    QVERIFY2(endsCleanly(kortvik), kortvik->readAllStandardError().constData());
    // Written in the order Width, Height, Top, Left.
    QCOMPARE(sectionLines(k.sandbox.settingsPath(), QStringLiteral("Kortvik")), after);
    QVERIFY(!k.nameOwned());
}

void tst_AppProcess::automationWithoutInstanceFails()
{
    KortvikOnBus k;
    KortvikOnBus::Options options;
    options.site = false;
    options.args = {QStringLiteral("--automation")};
    options.waitForName = false;
    QString why;
    if (!k.start(&why, options))
        KORTVIK_SKIP_WITHOUT_TOOL(why);
    QProcess *kortvik = k.program;
    QVERIFY(kortvik->waitForFinished(kStartTimeoutMs));
    QCOMPARE(kortvik->exitStatus(), QProcess::NormalExit);
    QVERIFY(kortvik->exitCode() != 0);
    const QByteArray err = kortvik->readAllStandardError();
    QVERIFY2(err.contains("0x80040601"), err.constData());
    QVERIFY2(err.contains("Application can't be started with Automation"), err.constData());
    // No main window was made: nothing loaded a placement or wrote one.
    QVERIFY(!QFile::exists(k.sandbox.settingsPath()));
    QVERIFY(!k.nameOwned());
}

void tst_AppProcess::commandLineWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // what standard output and error must match, whole
    QTest::addColumn<QString>("err");

    const QString help = QStringLiteral("^Användning: kortvik \\[FLAGGOR\\]\n[^\\x0]*\n  --site VÄRD\\[:PORT\\] "
                                        "[^\\x0]*\nMer om [^\\x0]*: man kortvik\n$");
    const QString version = QStringLiteral("^kortvik \\d+\\.\\d+\\.\\d+\n$");
    const QString none = QStringLiteral("^$");
    auto usage = [](const QString &line) {
        return QStringLiteral("^kortvik: ") + QRegularExpression::escape(line)
               + QStringLiteral(" \\(se kortvik --help\\)\n$");
    };
    QTest::newRow("--help") << QStringList{"--help"} << 0 << help << none;
    QTest::newRow("-h") << QStringList{"-h"} << 0 << help << none;
    QTest::newRow("--version") << QStringList{"--version"} << 0 << version << none;
    QTest::newRow("-v after Qt's own options")
        << QStringList{"-platform", "xcb", "--style=fusion", "-reverse", "-v"} << 0 << version << none;
    QTest::newRow("unknown option") << QStringList{"--minimised"} << 2 << none
                                    << usage(QStringLiteral("okänd flagga \"--minimised\""));
    QTest::newRow("unknown short option") << QStringList{"-x", "--help"} << 2 << none
                                          << usage(QStringLiteral("okänd flagga \"-x\""));
    QTest::newRow("--site without its value") << QStringList{"--site"} << 2 << none
                                              << usage(QStringLiteral("flaggan \"--site\" behöver ett värde"));
    QTest::newRow("an argument") << QStringList{"Config.ini"} << 2 << none
                                 << usage(QStringLiteral("okänt argument \"Config.ini\""));
}

void tst_AppProcess::commandLineWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    KortvikSandbox sandbox;
    QString why;
    QVERIFY2(sandbox.prepare(&why), qPrintable(why));
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        sandbox.environment().remove(QString::fromLatin1(name));

    QProcess *kortvik = sandbox.start(arguments);
    QVERIFY(kortvik->waitForFinished(kStartTimeoutMs));
    const QString stdOut = QString::fromUtf8(kortvik->readAllStandardOutput());
    const QString stdErr = QString::fromUtf8(kortvik->readAllStandardError());
    QCOMPARE(kortvik->exitStatus(), QProcess::NormalExit);
    QVERIFY2(kortvik->exitCode() == exitCode, qPrintable(stdErr));
    QVERIFY2(QRegularExpression(out).match(stdOut).hasMatch(), qPrintable(stdOut));
    QVERIFY2(QRegularExpression(err).match(stdErr).hasMatch(), qPrintable(stdErr));
    QVERIFY(!QFile::exists(sandbox.settingsPath()));
}

void tst_AppProcess::busActivationStartsOneInstance()
{
    KortvikSandbox sandbox;
    QString why;
    QVERIFY2(sandbox.prepare(&why), qPrintable(why));
    ActivatingBus bus(sandbox);
    if (bus.address().isEmpty())
        KORTVIK_SKIP_WITHOUT_TOOL(QStringLiteral("dbus-daemon did not start"));
    QDBusConnection client = QDBusConnection::connectToBus(bus.address(), QStringLiteral("activation"));
    QVERIFY(!client.interface()->isServiceRegistered(kBusName).value());

    // Two plug-ins call at once while nothing runs: one start, and both
    // calls, waiting for the name, reach objects that are already there.
    QList<QDBusPendingReply<QDBusObjectPath>> calls;
    for (int i = 0; i < 2; ++i) {
        calls << client.asyncCall(QDBusMessage::createMethodCall(
                                      kBusName, QStringLiteral("/clsMainServerReference"),
                                      QStringLiteral("org.kortvik.Kortvik.clsMainServerReference"),
                                      QStringLiteral("GetMainServerReference")),
                                  kStartTimeoutMs);
    }
    for (auto &call : calls) {
        call.waitForFinished();
        QVERIFY2(call.isValid(), qPrintable(call.error().message()));
        QCOMPARE(call.value().path(), QStringLiteral("/clsMainServer"));
    }
    const QList<pid_t> running = processesOf(sandbox.programPath());
    QCOMPARE(running.size(), 1);
    QCOMPARE(client.interface()->servicePid(kBusName).value(), uint(running.first()));

    // It is the usual program: it ends in order and saves its placement.
    ::kill(running.first(), SIGTERM);
    QTRY_VERIFY_WITH_TIMEOUT(processesOf(sandbox.programPath()).isEmpty(), kStartTimeoutMs);
    QCOMPARE(sectionLines(sandbox.settingsPath(), QStringLiteral("Kortvik")), designPlacement());
    QDBusConnection::disconnectFromBus(QStringLiteral("activation"));
}

void tst_AppProcess::startsWithoutSessionBus()
{
    KortvikOnBus k;
    KortvikOnBus::Options options;
    options.site = false;
    options.sessionBus = false;
    QString why;
    QVERIFY2(k.start(&why, options), qPrintable(why));
    QProcess *kortvik = k.program;
    QByteArray err;
    QVERIFY2(waitForStderr(kortvik, "no D-Bus session bus", &err), err.constData());
    QTest::qWait(300);
    QCOMPARE(kortvik->state(), QProcess::Running);
    // Nothing stored, nothing to decrypt: libcrypto is not even loaded.
    QFile maps(QStringLiteral("/proc/%1/maps").arg(kortvik->processId()));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    QVERIFY(!maps.readAll().contains("/libcrypto.so"));
    ::kill(pid_t(kortvik->processId()), SIGTERM);
    QVERIFY(endsCleanly(kortvik));
    QCOMPARE(sectionLines(k.sandbox.settingsPath(), QStringLiteral("Kortvik")), designPlacement());
}

// Xvfb and the program on a private bus, for the tests that look at windows.
struct WindowSession {
    XvfbServer x;
    KortvikOnBus k;
    int adiaeresisKey = 0;

    // Starts the first instance; empty on success, else why it cannot run.
    QString setUp(const QByteArray &config = {})
    {
        QString why;
        if (!x.start(&why))
            return why.isEmpty() ? QStringLiteral("set-up failed") : why;
        KortvikOnBus::Options options;
        options.site = false;
        options.display = x.display();
        options.config = config;
        if (!k.start(&why, options))
            return why.isEmpty() ? QStringLiteral("set-up failed") : why;
        return {};
    }

    // Gives Ä a key of its own (the server's layout is US) while the
    // program runs; it reads the new keymap before any later key event.
    // For a symbol without a key xdotool maps a spare key only for a
    // moment, which a busy program reads too late.
    bool bindAdiaeresis()
    {
        adiaeresisKey = xclient::bindKeysym(x.display(), QStringLiteral("adiaeresis"));
        return adiaeresisKey >= 10;
    }
};

bool windowToolsMissing(QString *why)
{
    if (!XvfbServer::available()) {
        *why = QStringLiteral("Xvfb is not installed");
        return true;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        *why = QStringLiteral("xdotool is not installed");
        return true;
    }
    return false;
}

void tst_AppProcess::secondStartRefusedAndFirstActivated()
{
    QString why;
    if (windowToolsMissing(&why))
        KORTVIK_SKIP_WITHOUT_TOOL(why);
    WindowSession session;
    why = session.setUp();
    QVERIFY2(why.isEmpty(), qPrintable(why));
    const QString display = session.x.display();

    QProcess *first = session.k.program;
    QVERIFY2(session.k.waitForMainWindow(first), first->readAllStandardError().constData());
    const QString mainWindow = waitForWindow(display, QStringLiteral("^Kortvik - Interface till "));
    QVERIFY(!mainWindow.isEmpty());
    QVERIFY(session.bindAdiaeresis());
    QFile settings(session.k.sandbox.settingsPath());
    const QByteArray settingsBefore = settings.open(QIODevice::ReadOnly) ? settings.readAll() : QByteArray();
    settings.close();

    QProcess *second = session.k.startAgain();
    const QString box = waitForWindow(display, QStringLiteral("^Öppen instans$"));
    QVERIFY2(!box.isEmpty(), second->readAllStandardError().constData());
    QCOMPARE(xdo(display, {QStringLiteral("getwindowname"), box}), QStringLiteral("Öppen instans"));
    // Message boxes carry the program's icon too.
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-display"), display, QStringLiteral("-id"), box,
                                          QStringLiteral("_NET_WM_ICON")});
    QVERIFY(xprop.waitForFinished(10000));
    QVERIFY(xprop.readAllStandardOutput().startsWith("_NET_WM_ICON(CARDINAL) = "));
    QCOMPARE(second->state(), QProcess::Running);

    // Answer the box the way a user does: focus it and press Return.
    xdo(display, {QStringLiteral("windowfocus"), QStringLiteral("--sync"), box});
    QCOMPARE(xdo(display, {QStringLiteral("getwindowfocus")}), box);
    xdo(display, {QStringLiteral("key"), QStringLiteral("Return")});

    QVERIFY2(endsCleanly(second), second->readAllStandardError().constData());
    QCOMPARE(first->state(), QProcess::Running);
    QCOMPARE(session.k.ownerPid(), uint(first->processId()));

    // The running instance's window was brought to the front.
    QTRY_COMPARE_WITH_TIMEOUT(xdo(display, {QStringLiteral("getwindowfocus")}), mainWindow, 10000);
    QVERIFY(xdo(display, {QStringLiteral("getwindowname"), mainWindow})
                .startsWith(QStringLiteral("Kortvik - Interface till ")));

    // The second start wrote nothing.
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QCOMPARE(settings.readAll(), settingsBefore);
    settings.close();

    // Ctrl with the key that carries Ä ends the first one in order. The key
    // goes up while Ctrl is still held (xdotool's "ctrl+x" lets Ctrl go first).
    xdo(display, {QStringLiteral("keydown"), QStringLiteral("ctrl"), QStringLiteral("key"),
                  QString::number(session.adiaeresisKey), QStringLiteral("keyup"), QStringLiteral("ctrl")});
    QVERIFY2(endsCleanly(first), first->readAllStandardError().constData());
    QCOMPARE(sectionLines(session.k.sandbox.settingsPath(), QStringLiteral("Kortvik")),
             designPlacement(QRect(QPoint(0, 0), XvfbServer::screenSize())));
}

void tst_AppProcess::closeBoxShutsDown()
{
    QString why;
    if (windowToolsMissing(&why))
        KORTVIK_SKIP_WITHOUT_TOOL(why);
    WindowSession session;
    // Applied as given: there is no window manager to move it.
    why = session.setUp(QStringLiteral("[Kortvik]\r\n%1\r\n")
                            .arg(placementLines(600, 420, 40, 50).join(QStringLiteral("\r\n")))
                            .toLatin1());
    QVERIFY2(why.isEmpty(), qPrintable(why));
    const QString display = session.x.display();
    QProcess *kortvik = session.k.program;
    QVERIFY2(session.k.waitForMainWindow(kortvik), kortvik->readAllStandardError().constData());
    const QString window = waitForWindow(display, QStringLiteral("^Kortvik - Interface till "));
    QVERIFY(!window.isEmpty());
    const QString geometry = xdo(display, {QStringLiteral("getwindowgeometry"), window});
    QVERIFY2(geometry.contains(QLatin1String("Position: 50,40")), qPrintable(geometry));
    QVERIFY2(geometry.contains(QLatin1String("Geometry: 600x420")), qPrintable(geometry));

    QVERIFY(xclient::requestClose(display, window.toULong()));
    QVERIFY2(endsCleanly(kortvik), kortvik->readAllStandardError().constData());
    QCOMPARE(sectionLines(session.k.sandbox.settingsPath(), QStringLiteral("Kortvik")),
             placementLines(600, 420, 40, 50));
}

void tst_AppProcess::keysAsPeoplePressThem_data()
{
    QTest::addColumn<QString>("keys");   // xdotool's words
    QTest::addColumn<bool>("loggedIn");  // afterwards
    QTest::newRow("Ctrl down, U down, Ctrl up, U up") << "keydown ctrl keydown u keyup ctrl keyup u" << false;
    QTest::newRow("Ctrl down, U down, U up, Ctrl up") << "keydown ctrl keydown u keyup u keyup ctrl" << false;
    QTest::newRow("Ctrl+Shift+U does nothing") << "keydown ctrl keydown shift key u keyup shift keyup ctrl" << true;
    QTest::newRow("Ctrl+Q quits") << "keydown ctrl key q keyup ctrl" << false;
}

// The keys through an X server as a member presses them: each acts as it
// goes down, whichever key is let go of first.
void tst_AppProcess::keysAsPeoplePressThem()
{
    QFETCH(QString, keys);
    QFETCH(bool, loggedIn);
    QString why;
    if (windowToolsMissing(&why))
        KORTVIK_SKIP_WITHOUT_TOOL(why);
    XvfbServer x;
    QVERIFY2(x.start(&why), qPrintable(why));
    KortvikOnBus kortvik;
    KortvikOnBus::Options options;
    options.display = x.display();
    QVERIFY2(kortvik.start(&why, options), qPrintable(why));
    const QString window = waitForWindow(x.display(), QStringLiteral("^Kortvik - Interface till "));
    QVERIFY(!window.isEmpty() && kortvik.login(QStringLiteral("kalle")));

    xdo(x.display(), QStringList{QStringLiteral("windowfocus"), QStringLiteral("--sync"), window} + keys.split(u' '));
    if (keys.contains(QLatin1String(" q "))) {
        QVERIFY(endsCleanly(kortvik.program));
        return;
    }
    // Once F1's help window is up, the keys before it have been handled.
    xdo(x.display(), {QStringLiteral("key"), QStringLiteral("F1")});
    QVERIFY(!waitForWindow(x.display(), QStringLiteral("^Kortvik - Hjälp$")).isEmpty());
    QCOMPARE(kortvik.property(QStringLiteral("LoggedIn")).toBool(), loggedIn);
}

QTEST_MAIN(tst_AppProcess)
#include "tst_appprocess.moc"
