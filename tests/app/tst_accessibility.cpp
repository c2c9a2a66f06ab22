// Every control that takes the focus, in every window and dialog, has a name
// a screen reader can say. A new dialog is one more row: the menu item that
// opens it.
#include "app/accessibility.h"
#include "app/frmmain.h"
#include "app/frmprocess.h"
#include "isolatedhome.h"
#include "messageboxcatcher.h"
#include "net/site.h"
#include "quiettimers.h"
#include "settings/modsettings.h"
#include "testsession.h"

#include <QAccessible>
#include <QMenu>
#include <QTest>

namespace {

// Words, not "?"; and a control that reports its value as its name (a list
// box with an entry chosen) needs a label beside.
bool sayable(QAccessibleInterface *iface)
{
    const QString name = iface->text(QAccessible::Name).trimmed();
    if (std::none_of(name.cbegin(), name.cend(), [](QChar c) { return c.isLetterOrNumber(); }))
        return false;
    const auto *widget = qobject_cast<QWidget *>(iface->object());
    if (name == iface->text(QAccessible::Value).trimmed() && !(widget && widget->accessibleName() == name))
        return !iface->relations(QAccessible::Label).isEmpty();
    return true;
}

// Walks what is on screen; counts the controls that take the focus (a tab
// widget hands it on to its tab bar) and lists those without a name.
int walk(QAccessibleInterface *iface, QStringList *unnamed)
{
    if (!iface || iface->state().invisible)
        return 0;
    const auto *widget = qobject_cast<QWidget *>(iface->object());
    const bool focusable = iface->state().focusable && !(widget && widget->focusProxy());
    if (focusable && !sayable(iface))
        *unnamed << (widget ? widget->objectName() : QString()) + QStringLiteral(" \"")
                        + iface->text(QAccessible::Name) + u'"';
    int count = focusable;
    for (int i = 0; i < iface->childCount(); ++i)
        count += walk(iface->child(i), unnamed);
    return count;
}

// The window a menu item opened, once it is ready for the member: on top of
// any modal wait (the profile editor's fetch) and not a message box.
QWidget *openedWindow(QWidget *main)
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        QWidget *modal = QApplication::activeModalWidget();
        if (w != main && w->isVisible() && (!w->parentWidget() || w->parentWidget() == main)
            && !qobject_cast<QMessageBox *>(w) && !qobject_cast<QMenu *>(w) && (!modal || modal == w))
            return w;
    }
    return nullptr;
}

} // namespace

class tst_Accessibility : public QObject
{
    Q_OBJECT
    IsolatedHome m_home;
    std::unique_ptr<frmMain> m_window;

private slots:
    void initTestCase()
    {
        modSettings::overrideProgramFolder(m_home.path());
        modData::configureSite(QStringLiteral("127.0.0.1:9"));  // nobody answers
        installAccessibility();
        m_window = std::make_unique<frmMain>(&resetSession());
        m_window->show();
        quietSessionTimers(*m_window);
        QTRY_VERIFY(m_window->helpObject());
    }

    void cleanupTestCase() { m_window.reset(); }

    void everyFocusableControlHasAName_data()
    {
        QTest::addColumn<QString>("item");  // "" for the main window itself
        QTest::newRow("main window") << "";
        QTest::newRow("password dialog") << "mnuLogin";
        QTest::newRow("profile editor, Vanligt") << "mnuOptionsNormal";
        QTest::newRow("profile editor, Personligt") << "mnuOptionsPersonal";
        QTest::newRow("profile editor, Om mig") << "mnoOptionsAboutMe";
        QTest::newRow("profile editor, Övrigt") << "mnoOptionsOther";
        QTest::newRow("profile editor, Kunskaper") << "mnuOptionsKnowledge";
        QTest::newRow("local options") << "mnuOptionsLocalAuto";
        QTest::newRow("help") << "mnuHelpP";
        QTest::newRow("About") << "mnuAbout";
    }

    void everyFocusableControlHasAName()
    {
        QFETCH(QString, item);
        int focusable = 0;
        QStringList unnamed;
        const auto check = [&](QWidget *window) {
            focusable = walk(QAccessible::queryAccessibleInterface(window), &unnamed);
        };
        if (item.isEmpty()) {
            check(m_window.get());
        } else {
            m_window->session().notifyPlugins(true);  // the profile menu is for a member
            MessageBoxCatcher boxes;                  // the editor's fetch fails
            QTimer poll;              // the dialogs that wait modally are checked inside
            connect(&poll, &QTimer::timeout, [&] {
                if (QWidget *w = openedWindow(m_window.get())) {
                    poll.stop();
                    check(w);
                    w->close();
                }
            });
            poll.start(20);
            m_window->menuItem(item)->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(!poll.isActive(), 20000);
        }
        QVERIFY(focusable > 0);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral("; "))));
    }

    void markerWindowIsNotListed()
    {
        frmProcess marker;
        marker.winId();
        hideFromAssistiveTechnology(&marker);
        QAccessibleInterface *app = QAccessible::queryAccessibleInterface(qApp);
        QObjectList listed;
        for (int i = 0; i < app->childCount(); ++i)
            listed << app->child(i)->object();
        QVERIFY(listed.contains(m_window.get()) && !listed.contains(&marker));
    }
};

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
