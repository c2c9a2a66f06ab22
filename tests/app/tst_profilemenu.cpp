// The main window's ways into the profile editor and the local options:
// the menus by keyboard and the status panels.
#include "app/frmmain.h"
#include "sessionfixture.h"
#include "app/sttmain.h"
#include "net/moddata.h"
#include "plugin/clsmainserver.h"
#include "profile/frmsetuserdata.h"
#include "session/session.h"
#include "settings/frmlocaloptions.h"
#include "settings/modsettings.h"
#include "isolatedhome.h"
#include "quiettimers.h"
#include "simsite.h"
#include "testsession.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <memory>

class tst_ProfileMenu : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void keyboardReachesTheEditor_data();
    void keyboardReachesTheEditor();
    void statusPanels_data();
    void statusPanels();
    void localOptionsFromTheMenu();

private:
    void loginAs(const QString &password, bool guest);
    frmSetUserData *waitForEditor();

    IsolatedHome m_home;
    std::unique_ptr<SimSite> m_sim;
    std::unique_ptr<clsMainServer> m_server;
    std::unique_ptr<frmMain> m_window;
};

void tst_ProfileMenu::initTestCase()
{
    QVERIFY(m_home.isValid());
    modSettings::overrideProgramFolder(m_home.path());
    m_sim = std::make_unique<SimSite>();
    QVERIFY2(m_sim->start(), qPrintable(m_sim->otherOutput()));
    m_sim->useAsSite();
}

void tst_ProfileMenu::init()
{
    resetSession();
    m_server = std::make_unique<clsMainServer>(&session());
    m_window = std::make_unique<frmMain>(&session());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    quietSessionTimers(*m_window);
}

void tst_ProfileMenu::cleanup()
{
    m_window.reset();
    m_server.reset();
    resetSession();
}

// A finished login, with the menus it sets; the test drives the rest by hand.
void tst_ProfileMenu::loginAs(const QString &password, bool guest)
{
    QVERIFY(sessionfixture::logIn(password));
    QCOMPARE(session().isGuest(), guest);
    quietSessionTimers(*m_window);
}

frmSetUserData *tst_ProfileMenu::waitForEditor()
{
    if (!QTest::qWaitFor([] { return frmSetUserData::instance() != nullptr; }, 3000))
        return nullptr;
    frmSetUserData *editor = frmSetUserData::instance();
    QSignalSpy opened(editor, &frmSetUserData::opened);
    if (!opened.wait(10000))
        return nullptr;
    return editor;
}

void tst_ProfileMenu::keyboardReachesTheEditor_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("tab");
    QTest::newRow("Alt+I, Right, V") << int(Qt::Key_V) << 0;
    QTest::newRow("Alt+I, Right, P") << int(Qt::Key_P) << 1;
    QTest::newRow("Alt+I, Right, O") << int(Qt::Key_O) << 2;
    QTest::newRow("Alt+I, Right, K") << int(Qt::Key_K) << 4;
}

void tst_ProfileMenu::keyboardReachesTheEditor()
{
    QFETCH(int, key);
    QFETCH(int, tab);
    loginAs(QStringLiteral("kalle"), false);
    QTest::keyClick(m_window.get(), Qt::Key_I, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QMenu *options = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(options);
    QCOMPARE(options->objectName(), QStringLiteral("mnuOptions"));
    QTest::keyClick(options, Qt::Key_Right);
    QTRY_VERIFY(QApplication::activePopupWidget() != options);
    QMenu *server = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(server);
    QCOMPARE(server->objectName(), QStringLiteral("mnuOptionsServer"));
    QTest::keyClick(server, Qt::Key(key));

    frmSetUserData *editor = waitForEditor();
    QVERIFY(editor);
    QCOMPARE(editor->parentWidget(), m_window.get());
    QCOMPARE(editor->windowModality(), Qt::WindowModal);
    QCOMPARE(editor->findChild<QTabWidget *>(QStringLiteral("ssTab"))->currentIndex(), tab);
    editor->reject();
    QTRY_VERIFY(!frmSetUserData::instance());
}

void tst_ProfileMenu::statusPanels_data()
{
    QTest::addColumn<QString>("password");  // "" for logged out
    QTest::addColumn<bool>("guest");
    QTest::addColumn<int>("panel");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("tag");
    QTest::newRow("name") << "kalle" << false << 2 << true << "normal";
    QTest::newRow("alias") << "kalle" << false << 3 << true << "normal";
    QTest::newRow("id") << "kalle" << false << 4 << true << "";
    QTest::newRow("panel 5") << "kalle" << false << 5 << false << "";
    QTest::newRow("guest") << "bvolk" << true << 2 << false << "";
    QTest::newRow("logged out") << "" << false << 4 << false << "";
}

void tst_ProfileMenu::statusPanels()
{
    QFETCH(QString, password);
    QFETCH(bool, guest);
    QFETCH(int, panel);
    QFETCH(bool, opens);
    QFETCH(QString, tag);
    if (!password.isEmpty())
        loginAs(password, guest);
    const int requests = m_sim->requestLog().size();
    emit m_window->statusBarPanels()->PanelDblClick(panel);
    if (!opens) {
        QTest::qWait(100);
        QVERIFY(!frmSetUserData::instance());
        QCOMPARE(m_sim->requestLog().size(), requests);
        return;
    }
    frmSetUserData *editor = waitForEditor();
    QVERIFY(editor);
    QCOMPARE(editor->tag(), tag);
    QCOMPARE(editor->findChild<QTabWidget *>(QStringLiteral("ssTab"))->currentIndex(), 0);
    editor->reject();
    QTRY_VERIFY(!frmSetUserData::instance());
}

void tst_ProfileMenu::localOptionsFromTheMenu()
{
    m_window->menuItem(QStringLiteral("mnuOptionsLocalAuto"))->trigger();
    frmLocalOptions *d = frmLocalOptions::instance();
    QVERIFY(d);
    QCOMPARE(d->tag(), QStringLiteral("login"));
    QCOMPARE(d->parentWidget(), m_window.get());
    QVERIFY(d->isVisible());
    d->reject();
    QTRY_VERIFY(!frmLocalOptions::instance());
}

QTEST_MAIN(tst_ProfileMenu)
#include "tst_profilemenu.moc"
