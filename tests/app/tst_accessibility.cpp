// What a screen reader meets: every control that takes the focus in every
// window and dialog has a name it can say. To check a new dialog, add it to
// windows() with the way a member opens it.
#include "about/frmabout.h"
#include "app/accessibility.h"
#include "app/frmmain.h"
#include "app/frmprocess.h"
#include "help/clshelp.h"
#include "help/frmhelp.h"
#include "net/site.h"
#include "profile/frmsetuserdata.h"
#include "quiettimers.h"
#include "session/frmlogin.h"
#include "settings/frmlocaloptions.h"
#include "settings/modsettings.h"
#include "testsession.h"
#include "isolatedhome.h"
#include "messageboxcatcher.h"
#include "widgetwatch.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

namespace {

// Opens a window the way a member does and hands it to `check` while it is
// on screen (inside its modal wait, for the dialogs that have one).
using Check = std::function<void(QWidget *)>;
struct WindowUnderTest {
    const char *name;
    std::function<void(frmMain &, const Check &)> open;
};

void viaMenu(frmMain &main, const char *item, const std::function<QWidget *()> &shown, const Check &check)
{
    main.menuItem(QLatin1String(item))->trigger();
    QWidget *window = nullptr;
    QTRY_VERIFY((window = shown()) && window->isVisible());
    check(window);
    window->close();
}

void profileEditorTab(frmMain &main, const char *item, const Check &check)
{
    // The profile menu is for a logged-in member. No site answers: the
    // editor says so in a box, and opens empty.
    main.session().notifyPlugins(true);
    MessageBoxCatcher boxes;
    main.menuItem(QLatin1String(item))->trigger();
    frmSetUserData *editor = frmSetUserData::instance();
    QVERIFY(editor);
    QSignalSpy opened(editor, &frmSetUserData::opened);
    QVERIFY(opened.wait(20000));
    check(editor);
    editor->close();
}

const std::vector<WindowUnderTest> &windows()
{
    static const std::vector<WindowUnderTest> list = {
        {"main window", [](frmMain &main, const Check &check) { check(&main); }},
        {"password dialog",
         [](frmMain &main, const Check &check) {
             whenVisible<frmLogin>([check](frmLogin *d) {
                 check(d);
                 d->reject();
             });
             main.menuItem(QStringLiteral("mnuLogin"))->trigger();
         }},
        {"profile editor, Vanligt",
         [](frmMain &m, const Check &c) { profileEditorTab(m, "mnuOptionsNormal", c); }},
        {"profile editor, Personligt",
         [](frmMain &m, const Check &c) { profileEditorTab(m, "mnuOptionsPersonal", c); }},
        {"profile editor, Om mig", [](frmMain &m, const Check &c) { profileEditorTab(m, "mnoOptionsAboutMe", c); }},
        {"profile editor, Övrigt", [](frmMain &m, const Check &c) { profileEditorTab(m, "mnoOptionsOther", c); }},
        {"profile editor, Kunskaper",
         [](frmMain &m, const Check &c) { profileEditorTab(m, "mnuOptionsKnowledge", c); }},
        {"local options",
         [](frmMain &m, const Check &c) {
             viaMenu(m, "mnuOptionsLocalAuto", [] { return frmLocalOptions::instance(); }, c);
         }},
        {"help",
         [](frmMain &m, const Check &c) {
             QTRY_VERIFY(m.helpObject());
             viaMenu(m, "mnuHelpP",
                     [&m] { return static_cast<QWidget *>(qobject_cast<clsHelp *>(m.helpObject())->helpWindow()); },
                     c);
         }},
        {"About", [](frmMain &m, const Check &c) { viaMenu(m, "mnuAbout", [&m] { return m.aboutDialog(); }, c); }},
    };
    return list;
}

bool hasWordCharacter(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isLetterOrNumber(); });
}

// A name worth saying: words, not just "?"; and for a control that reports
// its value as its name (a list box with an entry chosen), a label as well.
bool sayable(QAccessibleInterface *iface)
{
    const QString name = iface->text(QAccessible::Name).trimmed();
    if (!hasWordCharacter(name))
        return false;
    const auto *widget = qobject_cast<QWidget *>(iface->object());
    const bool ownName = widget && widget->accessibleName() == name;
    if (!ownName && name == iface->text(QAccessible::Value).trimmed())
        return !iface->relations(QAccessible::Label).isEmpty();
    return true;
}

// A widget whose focus goes to another (a tab widget to its tab bar)
// never takes it itself.
bool takesFocus(QAccessibleInterface *iface)
{
    const auto *widget = qobject_cast<QWidget *>(iface->object());
    return iface->state().focusable && !(widget && widget->focusProxy());
}

QString describe(QAccessibleInterface *iface)
{
    QObject *o = iface->object();
    return QStringLiteral("%1 \"%2\" (role %3)")
        .arg(o ? (o->objectName().isEmpty() ? QString::fromLatin1(o->metaObject()->className()) : o->objectName())
               : QStringLiteral("item"),
             iface->text(QAccessible::Name))
        .arg(int(iface->role()));
}

// The focusable controls on screen without a sayable name, depth first;
// the number of focusable ones seen.
int collectUnnamed(QAccessibleInterface *iface, QStringList *unnamed, int depth = 0)
{
    if (!iface || iface->state().invisible || depth > 40)
        return 0;
    int focusable = 0;
    if (takesFocus(iface)) {
        ++focusable;
        if (!sayable(iface))
            unnamed->append(describe(iface));
    }
    for (int i = 0; i < iface->childCount(); ++i)
        focusable += collectUnnamed(iface->child(i), unnamed, depth + 1);
    return focusable;
}

} // namespace

class tst_Accessibility : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        modSettings::overrideProgramFolder(m_home.path());
        modData::configureSite(QStringLiteral("127.0.0.1:9"));
        installAccessibility();
    }

    void init()
    {
        resetSession();
        m_window = std::make_unique<frmMain>(&session());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        quietSessionTimers(*m_window);
    }

    void cleanup()
    {
        m_window.reset();
        resetSession();
    }

    void everyFocusableControlHasAName_data()
    {
        QTest::addColumn<int>("index");
        for (size_t i = 0; i < windows().size(); ++i)
            QTest::newRow(windows()[i].name) << int(i);
    }

    void everyFocusableControlHasAName()
    {
        QFETCH(int, index);
        bool checked = false;
        int focusable = 0;
        QStringList unnamed;
        windows()[size_t(index)].open(*m_window, [&](QWidget *window) {
            focusable = collectUnnamed(QAccessible::queryAccessibleInterface(window), &unnamed);
            checked = true;
        });
        QVERIFY(checked);
        QVERIFY(focusable > 0);
        QVERIFY2(unnamed.isEmpty(), qPrintable(QStringLiteral("without a name: ") + unnamed.join(QStringLiteral("; "))));
    }

    void markerWindowIsNotListed()
    {
        frmProcess marker;
        marker.setWindowTitle(frmProcess::markerCaption(4711));
        marker.winId();
        hideFromAssistiveTechnology(&marker);
        QAccessibleInterface *app = QAccessible::queryAccessibleInterface(qApp);
        QStringList listed;
        for (int i = 0; i < app->childCount(); ++i) {
            QAccessibleInterface *window = app->child(i);
            listed << window->text(QAccessible::Name);
            QCOMPARE(app->indexOfChild(window), i);
        }
        QVERIFY2(listed.contains(m_window->windowTitle()), qPrintable(listed.join(u',')));
        QVERIFY2(!listed.contains(marker.windowTitle()), qPrintable(listed.join(u',')));
    }

private:
    IsolatedHome m_home;
    std::unique_ptr<frmMain> m_window;
};

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
