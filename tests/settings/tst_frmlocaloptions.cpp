// The local login options dialog and the desktop dialog against a real
// Config.ini and a real autostart folder.
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include "app/frmdesktop.h"
#include "isolatedhome.h"
#include "messageboxcatcher.h"
#include "privatesessionbus.h"
#include "requiredtool.h"
#include "settings/autostart.h"
#include "settings/frmlocaloptions.h"
#include "settings/modsettings.h"

class TstFrmLocalOptions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void texts();
    void choices_data();
    void choices();
    void deletedPasswordStaysDeleted();
    void unsavedChoiceIsNoSuccess();
    void desktopDialog_data();
    void desktopDialog();

private:
    frmLocalOptions *open();
    QString config() const;
    void writeConfig(const QByteArray &text);

    PrivateSessionBus m_bus;
    IsolatedHome *m_dir = nullptr;
    QWidget *m_main = nullptr;
};

void TstFrmLocalOptions::initTestCase()
{
    // A bus of the test's own, which starts no keyring that happens to be installed.
    QString why;
    if (!m_bus.start(&why))
        KORTVIK_SKIP_WITHOUT_TOOL(why);
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toLocal8Bit());
}

void TstFrmLocalOptions::init()
{
    m_dir = new IsolatedHome;
    QVERIFY(m_dir->isValid());
    modSettings::overrideProgramFolder(m_dir->path());
    m_main = new QWidget;
    m_main->show();
}

void TstFrmLocalOptions::cleanup()
{
    delete m_main;
    modSettings::overrideProgramFolder(QString());
    delete m_dir;
}

frmLocalOptions *TstFrmLocalOptions::open()
{
    frmLocalOptions *d = frmLocalOptions::openDialog(m_main, QStringLiteral("login"));
    QSignalSpy loaded(d, &frmLocalOptions::settingsLoaded);
    if (!loaded.wait(5000))
        qWarning("the settings were not read");
    return d;
}

QString TstFrmLocalOptions::config() const
{
    QFile f(m_dir->filePath(QStringLiteral("Config.ini")));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("(none)");
    return QString::fromLatin1(f.readAll());
}

void TstFrmLocalOptions::writeConfig(const QByteArray &text)
{
    QFile f(m_dir->filePath(QStringLiteral("Config.ini")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

void TstFrmLocalOptions::texts()
{
    frmLocalOptions *d = open();
    QCOMPARE(d->windowTitle(), QStringLiteral("Lokala inställningar"));
    QCOMPARE(d->size(), QSize(425, 425));
    QCOMPARE(d->windowModality(), Qt::WindowModal);
    auto *tab = d->findChild<QTabWidget *>(QStringLiteral("ssTab"));
    QCOMPARE(tab->count(), 1);
    QCOMPARE(tab->tabText(0), QStringLiteral("Inloggning"));
    const QList<QPair<const char *, QString>> captions = {
        {"optNoAuto", QStringLiteral("Ingen automatisk inloggning")},
        {"optIEAuto", QStringLiteral("Logga in med IE's cookie")},
        {"optLastAuto", QStringLiteral("Logga in automatiskt")},
        {"cmdDeletePassword", QStringLiteral("Ta bort lösenordet")},
        {"cmdOK", QStringLiteral("OK")},
        {"cmdCancel", QStringLiteral("Avbryt")},
        {"cmdSet", QStringLiteral("Verkställ")}};
    for (const auto &[name, text] : captions) {
        auto *b = d->findChild<QAbstractButton *>(QLatin1String(name));
        QVERIFY2(b, name);
        QCOMPARE(b->text(), text);
        // Nothing cut off.
        QVERIFY2(b->width() >= b->minimumSizeHint().width(), name);
        QVERIFY2(b->height() >= b->fontMetrics().height(), name);
        const bool bottom = QByteArray(name).startsWith("cmd") && QByteArray(name) != "cmdDeletePassword";
        QCOMPARE(b->toolTip(), bottom ? QStringLiteral("Ändrar alla inställningar på servern och stänger fönstret")
                                      : QString());
    }
    const QString dir = qEnvironmentVariable("KORTVIK_GRAB_DIR");
    if (!dir.isEmpty())
        d->grab().save(QDir(dir).filePath(QStringLiteral("frmLocalOptions.png")));
    // Tab order: OK, Avbryt, Verkställ, then the options and the delete button.
    QWidget *w = d->findChild<QWidget *>(QStringLiteral("cmdOK"));
    QStringList order;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w->objectName() != QStringLiteral("cmdOK") && order.size() < 40);
    const QStringList ours = {"cmdOK",     "cmdCancel", "cmdSet",      "ssTab",
                              "optNoAuto", "optIEAuto", "optLastAuto", "cmdDeletePassword"};
    order.removeIf([&ours](const QString &name) { return !ours.contains(name); });  // the tab bar's own parts
    QCOMPARE(order, ours);
}

void TstFrmLocalOptions::choices_data()
{
    QTest::addColumn<QByteArray>("file");     // Config.ini before; "-" for none
    QTest::addColumn<QString>("shown");       // the option selected on opening
    QTest::addColumn<bool>("canDelete");
    QTest::addColumn<QString>("click");       // option clicked, or ""
    QTest::addColumn<QString>("button");      // cmdOK, cmdSet or cmdCancel
    QTest::addColumn<QString>("logintype");   // stored afterwards; "(missing)" when never written

    QTest::newRow("no file, OK writes nothing") << QByteArray("-") << "optNoAuto" << false << "" << "cmdOK"
                                                << "(missing)";
    QTest::newRow("automatic, OK") << QByteArray("-") << "optNoAuto" << false << "optLastAuto" << "cmdOK"
                                   << "lastlogin";
    QTest::newRow("cookie, Verkställ") << QByteArray("[autologin]\r\nlastlogin=abcde\r\n") << "optNoAuto" << true
                                       << "optIEAuto" << "cmdSet" << "iecookie";
    QTest::newRow("cancel writes nothing") << QByteArray("[autologin]\r\nlogintype=iecookie\r\n") << "optIEAuto"
                                           << false << "optLastAuto" << "cmdCancel" << "iecookie";
    QTest::newRow("stored other text shows none, saves empty")
        << QByteArray("[AutoLogin]\r\nLoginType=cookie\r\n") << "optNoAuto" << false << "optNoAuto" << "cmdOK" << "";
    QTest::newRow("stored lastlogin") << QByteArray("[autologin]\r\nlogintype=lastlogin\r\nlastlogin=x\r\n")
                                      << "optLastAuto" << true << "optNoAuto" << "cmdOK" << "";
}

void TstFrmLocalOptions::choices()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, shown);
    QFETCH(bool, canDelete);
    QFETCH(QString, click);
    QFETCH(QString, button);
    QFETCH(QString, logintype);
    if (file != "-")
        writeConfig(file);

    QPointer<frmLocalOptions> d = open();
    QVERIFY(d->findChild<QRadioButton *>(shown)->isChecked());
    QCOMPARE(d->findChild<QPushButton *>(QStringLiteral("cmdDeletePassword"))->isEnabled(), canDelete);
    auto *cmdSet = d->findChild<QPushButton *>(QStringLiteral("cmdSet"));
    QVERIFY(!cmdSet->isEnabled());
    if (!click.isEmpty()) {
        QTest::mouseClick(d->findChild<QRadioButton *>(click), Qt::LeftButton, {}, QPoint(6, 8));
        QVERIFY(cmdSet->isEnabled());
    }
    QTest::mouseClick(d->findChild<QPushButton *>(button), Qt::LeftButton);
    if (button == QStringLiteral("cmdSet")) {
        QVERIFY(d && d->isVisible());
        QVERIFY(!cmdSet->isEnabled());
    } else {
        QTRY_VERIFY(d.isNull());
    }
    QCOMPARE(modSettings::readSetting(QStringLiteral("autologin"), QStringLiteral("logintype"),
                                      QStringLiteral("(missing)")),
             logintype);
}

void TstFrmLocalOptions::deletedPasswordStaysDeleted()
{
    writeConfig("[autologin]\r\nlogintype=lastlogin\r\nlastlogin=abcde\r\n");
    QPointer<frmLocalOptions> d = open();
    auto *del = d->findChild<QPushButton *>(QStringLiteral("cmdDeletePassword"));
    QVERIFY(del->isEnabled());
    QTest::mouseClick(del, Qt::LeftButton);
    QVERIFY(!del->isEnabled());
    QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("cmdCancel")), Qt::LeftButton);
    QTRY_VERIFY(d.isNull());
    QCOMPARE(modSettings::readSetting(QStringLiteral("autologin"), QStringLiteral("lastlogin"), QStringLiteral("?")),
             QString());
    QCOMPARE(modSettings::readSetting(QStringLiteral("autologin"), QStringLiteral("logintype"), QString()),
             QStringLiteral("lastlogin"));
    // Opened again, the dialog reads the file anew.
    d = open();
    QVERIFY(!d->findChild<QPushButton *>(QStringLiteral("cmdDeletePassword"))->isEnabled());
    QVERIFY(d->findChild<QRadioButton *>(QStringLiteral("optLastAuto"))->isChecked());
}

void TstFrmLocalOptions::unsavedChoiceIsNoSuccess()
{
    // A folder where the file should be: nothing can be written or read.
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("Config.ini/x")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral(".config/kortvik/Config.ini/x")));
    MessageBoxCatcher boxes;
    QPointer<frmLocalOptions> d = open();
    QTest::mouseClick(d->findChild<QRadioButton *>(QStringLiteral("optLastAuto")), Qt::LeftButton, {}, QPoint(6, 8));
    QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("cmdOK")), Qt::LeftButton);
    QCOMPARE(boxes.seen.size(), 1);
    QVERIFY(boxes.seen[0].startsWith(QStringLiteral("Kunde inte spara|")));
    // Still open, the choice still pending.
    QVERIFY(d && d->isVisible());
    QVERIFY(d->findChild<QPushButton *>(QStringLiteral("cmdSet"))->isEnabled());
}

void TstFrmLocalOptions::desktopDialog_data()
{
    QTest::addColumn<QString>("before");   // the autostart entry: "none", "there", "blocked"
    QTest::addColumn<QString>("click");    // the box the member clicks
    QTest::addColumn<bool>("entryAfter");
    QTest::addColumn<QString>("notifyAfter");
    QTest::addColumn<QString>("message");  // the box shown, "" for none

    const QString noFolder = QStringLiteral("Kunde inte spara|Kortvik kan inte starta med datorn: mappen ");
    QTest::newRow("tick: entry written") << "none" << "chkAutostart" << true << "" << "";
    QTest::newRow("untick: entry removed") << "there" << "chkAutostart" << false << "" << "";
    QTest::newRow("folder not writable: tick stays off") << "blocked" << "chkAutostart" << false << "" << noFolder;
    QTest::newRow("notifications off") << "none" << "chkNotify" << false << "0" << "";
}

void TstFrmLocalOptions::desktopDialog()
{
    QFETCH(QString, before);
    QFETCH(QString, click);
    QFETCH(bool, entryAfter);
    QFETCH(QString, notifyAfter);
    QFETCH(QString, message);
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        KORTVIK_SKIP_WITHOUT_TOOL(QStringLiteral("desktop-file-validate is not installed"));

    // A program path as an installed one may have: blanks and a quote.
    const QStringList command{m_dir->filePath(QStringLiteral("my \"apps\"/kortvik")), QStringLiteral("--minimized")};
    const QString entry = autostart::entryPath();
    QVERIFY(entry.startsWith(m_dir->path()));
    if (before == QLatin1String("there"))
        QVERIFY(autostart::turnOn(command, nullptr));
    if (before == QLatin1String("blocked")) {
        // A file where the folder should be (permissions do not stop root).
        QFile blocker(QFileInfo(entry).absolutePath());
        QVERIFY(QDir().mkpath(QFileInfo(blocker.fileName()).absolutePath()));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }

    MessageBoxCatcher boxes;
    QPointer<frmDesktop> d = frmDesktop::openDialog(m_main, command);
    QSignalSpy loaded(d.data(), &frmDesktop::settingsLoaded);
    QVERIFY(loaded.wait(5000));
    const auto box = [&d](const char *name) { return d->findChild<QCheckBox *>(QLatin1String(name)); };
    QCOMPARE(box("chkAutostart")->isChecked(), before == QLatin1String("there"));
    QVERIFY(box("chkNotify")->isChecked() && box("chkKeyring")->isChecked());
    // The test's bus has no Secret Service: the password stays in Config.ini, and says so.
    QCOMPARE(d->keyringStatus(), QString::fromUtf8("Nyckelringen kan inte nås: lösenordet sparas i Config.ini"));

    box(qPrintable(click))->click();
    QTest::mouseClick(d->findChild<QPushButton *>(QStringLiteral("cmdOK")), Qt::LeftButton);
    QCOMPARE(QFileInfo(entry).isFile(), entryAfter);
    QCOMPARE(boxes.seen.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QVERIFY2(boxes.seen[0].startsWith(message), qPrintable(boxes.seen[0]));
        // Still open, the tick off.
        QVERIFY(d && d->isVisible() && !box("chkAutostart")->isChecked());
        d->close();
    }
    QTRY_VERIFY(d.isNull());
    QCOMPARE(modSettings::readSetting(QStringLiteral("Kortvik"), QStringLiteral("notify"), QString()), notifyAfter);

    if (entryAfter) {
        QFile f(entry);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        QVERIFY2(text.contains(QStringLiteral("\nExec=\"") + m_dir->path()
                               + QStringLiteral("/my \\\\\"apps\\\\\"/kortvik\" --minimized\n")),
                 qPrintable(text));
        QProcess validate;
        validate.start(validator, {entry});
        QVERIFY(validate.waitForFinished(30000));
        const QByteArray remarks = validate.readAllStandardOutput() + validate.readAllStandardError();
        QVERIFY2(validate.exitCode() == 0 && remarks.isEmpty(), remarks.constData());
    }
}

QTEST_MAIN(TstFrmLocalOptions)
#include "tst_frmlocaloptions.moc"
