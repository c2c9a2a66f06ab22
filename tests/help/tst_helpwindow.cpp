// The help window: where documents are looked up, what it shows, how it
// resizes, the help object's lifetime, and the main window's help commands,
// including input to the help window while a dialog is modal over the
// main window.
#include "quiettimers.h"
#include "app/frmmain.h"
#include "help/clshelp.h"
#include "help/docsfolder.h"
#include "help/frmhelp.h"
#include "net/site.h"
#include "plugin/clsmainserver.h"
#include "session/frmlogin.h"
#include "session/session.h"
#include "settings/modsettings.h"
#include "version.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMetaClassInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include <functional>

namespace {

const QString kVersion = QStringLiteral(KORTVIK_VERSION_TEXT);

bool writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(content) == content.size();
}

QByteArray rtfOf(const QByteArray &text)
{
    return "{\\rtf1\\ansi{\\fonttbl{\\f0 Sans;}}\\f0 " + text + "}";
}

// Double-clicks a tree node through the window system, as a user would:
// input to a window that a modal dialog blocks is dropped on that way.
void doubleClickNode(frmHelp *help, QTreeWidgetItem *node)
{
    QTreeWidget *tree = help->tree();
    const QPoint inWindow =
        tree->viewport()->mapTo(help, tree->visualItemRect(node).center());
    QTest::mouseDClick(help->windowHandle(), Qt::LeftButton, Qt::NoModifier, inWindow);
}

// Runs fn from the event loop once a modal window is up.
void whenModal(std::function<void()> fn)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, fn] {
        if (!QGuiApplication::modalWindow())
            return;
        timer->stop();
        timer->deleteLater();
        fn();
    });
    timer->start();
}

} // namespace

class tst_HelpWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void lookup_data();
    void lookup();
    void tagAndTree();
    void doubleClick();
    void resizing();
    void hugeDocument();
    void helpObjectLifetime();
    void mainWindow();

private:
    QString docs(const QString &name) const { return m_dir->filePath(QStringLiteral("bin/docs/") + name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_HelpWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    modSettings::overrideProgramFolder(m_dir->filePath(QStringLiteral("bin")));
    QDir().mkpath(m_dir->filePath(QStringLiteral("bin")));
}

void tst_HelpWindow::cleanup()
{
    modSettings::overrideProgramFolder(QString());
    m_dir.reset();
}

void tst_HelpWindow::lookup_data()
{
    QTest::addColumn<QStringList>("files");  // below the temporary folder
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");  // "" for none

    QTest::newRow("both present: the file wins")
        << QStringList{"bin/docs/Rot.rtf", "bin/docs/Rot/default.rtf"} << "bin" << "Rot" << "bin/docs/Rot.rtf";
    QTest::newRow("only the default file")
        << QStringList{"bin/docs/Rot/default.rtf"} << "bin" << "Rot" << "bin/docs/Rot/default.rtf";
    QTest::newRow("child by its default file") << QStringList{"bin/docs/Rot/Vanligt/default.rtf"} << "bin"
                                               << "Rot/Vanligt" << "bin/docs/Rot/Vanligt/default.rtf";
    QTest::newRow("nothing there") << QStringList{"bin/docs/Annat.rtf"} << "bin" << "Rot" << "";
    QTest::newRow("run from a source folder")
        << QStringList{"proj/docs/Rot.rtf", "proj/source/docs/Rot.rtf"} << "proj/source" << "Rot"
        << "proj/docs/Rot.rtf";
    QTest::newRow("only the first source folder is taken out")
        << QStringList{"a/source/docs/Rot.rtf"} << "a/source/source" << "Rot" << "a/source/docs/Rot.rtf";
    QTest::newRow("a folder is not a document")
        << QStringList{"bin/docs/Rot.rtf/x", "bin/docs/Rot/default.rtf"} << "bin" << "Rot"
        << "bin/docs/Rot/default.rtf";
}

void tst_HelpWindow::lookup()
{
    QFETCH(QStringList, files);
    QFETCH(QString, program);
    QFETCH(QString, path);
    QFETCH(QString, expected);
    for (const QString &f : files)
        QVERIFY(writeFile(m_dir->filePath(f), rtfOf("x")));
    modSettings::overrideProgramFolder(m_dir->filePath(program));
    const QString found = modGlobal::helpDocument(path);
    QCOMPARE(QDir::cleanPath(found), expected.isEmpty() ? QString() : QDir::cleanPath(m_dir->filePath(expected)));
}

void tst_HelpWindow::tagAndTree()
{
    QVERIFY(writeFile(docs("Rot.rtf"),
                      rtfOf("Version VERSION_KORTVIK, {\\b VERSION_KORTVIK} och version_kortvik.")));
    frmHelp help;
    QCOMPARE(help.windowTitle(), QStringLiteral("Kortvik - Hjälp"));
    QCOMPARE(help.size(), frmHelp::designClientSize());

    QTreeWidget *tree = help.tree();
    QCOMPARE(tree->topLevelItemCount(), 1);
    QTreeWidgetItem *root = tree->topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("Rot"));
    QCOMPARE(help.node(QStringLiteral("Root")), root);
    QCOMPARE(root->childCount(), 1);
    QCOMPARE(help.node(QStringLiteral("Vanligt")), root->child(0));
    QCOMPARE(frmHelp::nodePath(root->child(0)), QStringLiteral("Rot/Vanligt"));
    QVERIFY(!root->isExpanded());
    QCOMPARE(help.currentNode(), root);
    QCOMPARE(tree->currentItem(), root);

    // Both tags replaced, the lower-case one left as it is; formatting survives.
    QCOMPARE(help.view()->toPlainText(),
             QStringLiteral("Version %1, %1 och version_kortvik.").arg(kVersion));
    // A missing document shows an empty view.
    help.handleTree(QStringLiteral("Rot/Vanligt"));
    QCOMPARE(help.view()->toPlainText(), QString());
    // A file that is not RTF is shown as text.
    QVERIFY(writeFile(docs("Rot/Vanligt.rtf"), "Bara text, VERSION_KORTVIK."));
    help.handleTree(QStringLiteral("Rot/Vanligt"));
    QCOMPARE(help.view()->toPlainText(), QStringLiteral("Bara text, %1.").arg(kVersion));
}

void tst_HelpWindow::doubleClick()
{
    QVERIFY(writeFile(docs("Rot.rtf"), rtfOf("Rot ett")));
    QVERIFY(writeFile(docs("Rot/Vanligt/default.rtf"), rtfOf("Vanligt")));
    frmHelp help;
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    QTreeWidgetItem *root = help.node(QStringLiteral("Root"));
    QTreeWidgetItem *child = help.node(QStringLiteral("Vanligt"));
    QCOMPARE(help.view()->toPlainText(), QStringLiteral("Rot ett"));

    // The node already shown: no reload, the changed file is not read.
    QVERIFY(writeFile(docs("Rot.rtf"), rtfOf("Rot tv\\'e5")));
    doubleClickNode(&help, root);
    QCOMPARE(help.currentNode(), root);
    QCOMPARE(help.view()->toPlainText(), QStringLiteral("Rot ett"));

    // Another node shows its document, found by the default-file rule.
    root->setExpanded(true);
    doubleClickNode(&help, child);
    QCOMPARE(help.currentNode(), child);
    QCOMPARE(help.view()->toPlainText(), QStringLiteral("Vanligt"));

    // Back at the root the document is read again.
    doubleClickNode(&help, root);
    QCOMPARE(help.currentNode(), root);
    QCOMPARE(help.view()->toPlainText(), QStringLiteral("Rot två"));
}

void tst_HelpWindow::resizing()
{
    frmHelp help;
    QTreeWidget *tree = help.tree();
    QTextEdit *view = help.view();
    // Design placement; the first resize then applies the rule (one pixel
    // narrower: 10095 - 360 - 2895 twips).
    QCOMPARE(tree->geometry(), QRect(8, 8, 193, 489));
    QCOMPARE(view->geometry(), QRect(208, 8, 457, 489));
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    QCOMPARE(view->geometry(), QRect(208, 8, 456, 489));

    help.resize(900, 600);
    QCOMPARE(tree->geometry(), QRect(8, 8, 193, 584));
    QCOMPARE(view->geometry(), QRect(208, 8, 900 - 24 - 193, 584));

    // Narrower than the tree plus the margins: the view gets width 0.
    help.resize(200, 100);
    QCOMPARE(view->width(), 0);
    QCOMPARE(view->height(), 84);
    QCOMPARE(tree->width(), 193);
    help.resize(150, 10);
    QCOMPARE(view->size(), QSize(0, 0));
    QCOMPARE(tree->size(), QSize(193, 0));
    QCOMPARE(view->pos(), QPoint(208, 8));
}

void tst_HelpWindow::hugeDocument()
{
    // 50 MiB of text: the window shows the beginning and says it stopped.
    const QByteArray unit("Sandlund VERSION_KORTVIK {\\b fet}\\par ");
    QByteArray big = "{\\rtf1 ";
    big.reserve((50 << 20) + unit.size());
    while (big.size() < 50 << 20)
        big += unit;
    QVERIFY(writeFile(docs("Rot.rtf"), big));
    frmHelp help;
    const QString shown = help.view()->toPlainText();
    const QString line = QStringLiteral("Sandlund %1 fet\n").arg(kVersion);
    QVERIFY(shown.startsWith(line + line));
    QVERIFY(shown.endsWith(QStringLiteral("[Dokumentet är för stort och visas inte i sin helhet.]")));
    QVERIFY2(shown.size() > 1000000 && shown.size() < 1100000, qPrintable(QString::number(shown.size())));
}

void tst_HelpWindow::helpObjectLifetime()
{
    QVERIFY(writeFile(docs("Rot.rtf"), rtfOf("Rot")));
    auto help = std::make_unique<clsHelp>();
    QVERIFY(!help->helpWindow());
    help->OpenHelp();
    QPointer<frmHelp> first = help->helpWindow();
    QVERIFY(first && first->isVisible());
    QVERIFY(!first->parentWidget());  // its own top-level window

    // Shown again, the same window.
    first->tree()->setCurrentItem(first->node(QStringLiteral("Vanligt")));
    help->OpenHelp();
    QCOMPARE(help->helpWindow(), first.data());

    // The close box discards it; the next OpenHelp starts again at "Rot".
    first->close();
    QTRY_VERIFY(!first);
    help->OpenHelp();
    QPointer<frmHelp> second = help->helpWindow();
    QVERIFY(second && second->isVisible());
    QCOMPARE(second->tree()->currentItem(), second->node(QStringLiteral("Root")));

    // Releasing the object closes its window.
    help.reset();
    QVERIFY(!second);
}

// End to end through the main window: the help object by its class name,
// F1 and the menu command, input to the help window under the password
// dialog and the About dialog, and the release at shut-down.
void tst_HelpWindow::mainWindow()
{
    QVERIFY(writeFile(docs("Rot.rtf"), rtfOf("Rot")));
    QVERIFY(writeFile(docs("Rot/Vanligt.rtf"), rtfOf("Vanligt")));
    modGlobal::Session session;
    clsMainServer server(&session);
    modData::configureSite(QStringLiteral("127.0.0.1:9"));
    auto main = std::make_unique<frmMain>(&session);
    main->show();
    quietSessionTimers(*main);

    // F1 before tmrSetHelp has fired does nothing, and fails nothing.
    QTest::keyClick(main.get(), Qt::Key_F1);
    QTRY_VERIFY(main->helpObject());
    QVERIFY(!main->timer(QStringLiteral("tmrSetHelp"))->isActive());
    const QMetaObject *meta = main->helpObject()->metaObject();
    QCOMPARE(QLatin1String(meta->classInfo(meta->indexOfClassInfo("ClassName")).value()),
             QLatin1String("Kortvik.clsHelp"));
    auto *object = qobject_cast<clsHelp *>(main->helpObject());
    QVERIFY(object && !object->helpWindow());

    // F1 with any modifier, and the menu command.
    QTest::keyClick(main.get(), Qt::Key_F1, Qt::ShiftModifier);
    QPointer<frmHelp> help = object->helpWindow();
    QVERIFY(help && help->isVisible());
    help->close();
    QTRY_VERIFY(!help);
    main->menuItem(QStringLiteral("mnuHelpP"))->trigger();
    help = object->helpWindow();
    QVERIFY(help && QTest::qWaitForWindowExposed(help));

    // The password dialog over the main window: keys and a double click reach the help window.
    bool checked = false;
    whenModal([&] {
        QVERIFY(QGuiApplication::modalWindow() != help->windowHandle());
        QTest::keyClick(help->windowHandle(), Qt::Key_Right);  // expand "Rot"
        QTest::keyClick(help->windowHandle(), Qt::Key_Down);   // select "Vanligt"
        QCOMPARE(help->tree()->currentItem(), help->node(QStringLiteral("Vanligt")));
        doubleClickNode(help, help->node(QStringLiteral("Vanligt")));
        QCOMPARE(help->view()->toPlainText(), QStringLiteral("Vanligt"));
        checked = true;
        frmLogin::instance()->reject();
    });
    QCOMPARE(frmLogin::askPassword(main.get()), QString());
    QVERIFY(checked);

    // The About dialog, modal to the main window only.
    help->tree()->collapseAll();
    main->menuItem(QStringLiteral("mnuAbout"))->trigger();
    QPointer<frmAbout> about = main->aboutDialog();
    QVERIFY(about && about->isVisible());
    QTRY_COMPARE(QGuiApplication::modalWindow(), about->windowHandle());
    doubleClickNode(help, help->node(QStringLiteral("Root")));
    QCOMPARE(help->view()->toPlainText(), QStringLiteral("Rot"));
    QTest::keyClick(help->windowHandle(), Qt::Key_Right);
    QVERIFY(help->node(QStringLiteral("Root"))->isExpanded());
    QTest::keyClick(about->windowHandle(), Qt::Key_Escape);
    QTRY_VERIFY(!about);

    // Shut-down's release closes the help window.
    main->releaseHelpObject();
    QVERIFY(!main->helpObject());
    QVERIFY(!help);
    main.reset();
}

QTEST_MAIN(tst_HelpWindow)
#include "tst_helpwindow.moc"
