// The help window: where documents are looked up, what it shows, how it
// resizes, the help object's lifetime, and the main window's help commands,
// including input to the help window while a dialog is modal over the
// main window.
#include "darkpalette.h"
#include "quiettimers.h"
#include "app/frmmain.h"
#include "help/clshelp.h"
#include "help/docsfolder.h"
#include "help/frmhelp.h"
#include "help/helploader.h"
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
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include <functional>

namespace {

const QString kVersion = QStringLiteral(KORTVIK_VERSION_TEXT);

// Bytes this process has read from files so far.
qint64 bytesRead()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

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
    void hostileDocuments_data();
    void hostileDocuments();
    void themeColours_data();
    void themeColours();
    void placement_data();
    void placement();
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

void tst_HelpWindow::hostileDocuments_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<qint64>("sparseSize");  // the file is extended with a hole to this size
    QTest::addColumn<QString>("unit");          // the text shown, repeated
    QTest::addColumn<qsizetype>("shownChars");  // before the notice, if any
    QTest::addColumn<bool>("cut");
    QTest::addColumn<qint64>("mostRead");  // bytes of the file the window may read

    // The probe's document: about 900,000 format changes in one paragraph.
    QByteArray busy = "{\\rtf1\\ansi ";
    for (int i = 0; i < 300000; ++i)
        busy += "{\\b a}{\\i b}\\fs" + QByteArray::number(i % 3000) + " c";
    busy += "}";
    QTest::newRow("6 MB of format changes") << busy << qint64(0) << "abc" << qsizetype(900000) << false
                                            << qint64(busy.size());

    // 200 MB of plain text (a hole after the first megabytes: nothing past
    // what the character limit needs is ever read).
    QByteArray text;
    while (text.size() < 4 << 20)
        text += "Vanlig text utan RTF VERSION_KORTVIK\n";
    QTest::newRow("200 MB of plain text") << text << (qint64(200) << 20) << "Vanlig text utan RTF " + kVersion + "\n"
                                          << HelpLoader::kMaxShownChars << true
                                          << qint64(rtf::plainBytesFor(HelpLoader::kMaxShownChars));

    // A megabyte and a half of letters without a line end.
    QTest::newRow("one endless paragraph") << QByteArray(1536 << 10, 'x') << qint64(0) << "x"
                                           << HelpLoader::kMaxShownChars << true << qint64(1536 << 10);

    // 50 MiB of RTF: its beginning, and the RTF read no further than the limit.
    const QByteArray unit("Sandlund VERSION_KORTVIK {\\b fet}\\par ");
    QByteArray big = "{\\rtf1 ";
    big.reserve((50 << 20) + unit.size());
    while (big.size() < 50 << 20)
        big += unit;
    QTest::newRow("50 MiB of RTF") << big << qint64(0) << "Sandlund " + kVersion + " fet\n"
                                   << HelpLoader::kMaxShownChars << true << qint64(HelpLoader::kMaxRtfBytes);
}

// Large and busy documents load in steps from the event loop: the window
// is up before its document, every paragraph and format change the view
// must lay out is bounded, and no more of the file is read than is shown.
void tst_HelpWindow::hostileDocuments()
{
    QFETCH(QByteArray, content);
    QFETCH(qint64, sparseSize);
    QFETCH(QString, unit);
    QFETCH(qsizetype, shownChars);
    QFETCH(bool, cut);
    QFETCH(qint64, mostRead);
    QVERIFY(writeFile(docs("Rot.rtf"), content));
    if (sparseSize > 0)
        QVERIFY(QFile::resize(docs("Rot.rtf"), sparseSize));
    content.clear();

    const qint64 readBefore = bytesRead();
    frmHelp help;
    QSignalSpy loaded(&help, &frmHelp::loaded);
    // Nothing of it is written yet: the constructor only started the load.
    QVERIFY(help.view()->document()->isEmpty());
    QVERIFY(loaded.wait(120000));
    QVERIFY(!help.isLoading());
    const qint64 read = bytesRead() - readBefore;
    // A megabyte for the rest of the process's reads (fonts, the counter itself).
    QVERIFY2(read <= mostRead + (1 << 20), qPrintable(QString::number(read)));

    QTextDocument *doc = help.view()->document();
    QString shown = doc->toPlainText();
    QCOMPARE(shown.endsWith(HelpLoader::truncatedNotice()), cut);
    if (cut)
        shown.chop(HelpLoader::truncatedNotice().size() + 1);
    // Long paragraphs are shown as several: line ends are left out of the comparison.
    QString expected;
    expected.reserve(shownChars + unit.size());
    while (expected.size() < shownChars)
        expected += unit;
    expected.truncate(shownChars);
    expected.remove(u'\n');
    shown.remove(u'\n');
    QVERIFY2(shown == expected, qPrintable(QStringLiteral("%1 characters shown, %2 expected, first %3")
                                                .arg(shown.size()).arg(expected.size()).arg(shown.left(40))));
    // What the view lays out is bounded: paragraph lengths, format changes,
    // formats (each may need a font of its own) and font sizes.
    int fragments = 0;
    QSet<int> formats;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        QVERIFY2(b.length() <= rtf::kMaxParagraph + 1, qPrintable(QString::number(b.length())));
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            ++fragments;
            formats.insert(it.fragment().charFormatIndex());
            QVERIFY(it.fragment().charFormat().fontPointSize() <= 72);
        }
    }
    QVERIFY2(fragments <= rtf::kMaxSpans + doc->blockCount(), qPrintable(QString::number(fragments)));
    QVERIFY2(formats.size() <= rtf::Writer::kMaxFormats + 1, qPrintable(QString::number(formats.size())));
}

void tst_HelpWindow::themeColours_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<QByteArray>("colour");  // of the heading, in the colour table
    QTest::addColumn<QColor>("shown");       // invalid: the palette's text colour
    QTest::addColumn<QColor>("switched");    // after a change to the other theme
    const QByteArray navy = "\\red0\\green0\\blue128;";
    const QByteArray black = "\\red0\\green0\\blue0;";
    const QByteArray blue = "\\red74\\green144\\blue217;";
    QTest::newRow("navy on light") << false << navy << QColor(0, 0, 128) << QColor();
    QTest::newRow("navy on dark") << true << navy << QColor() << QColor(0, 0, 128);
    QTest::newRow("dark green on dark") << true << QByteArray("\\red0\\green90\\blue50;") << QColor()
                                        << QColor(0, 90, 50);
    QTest::newRow("black on light") << false << black << QColor() << QColor();
    QTest::newRow("black on dark") << true << black << QColor() << QColor();
    QTest::newRow("mid blue on dark") << true << blue << QColor(74, 144, 217) << QColor(74, 144, 217);
    QTest::newRow("no colour on dark") << true << QByteArray(";") << QColor() << QColor();
}

// A document colour is drawn only where it can be read, else the theme's
// text colour is; and the colours follow a change of theme.
void tst_HelpWindow::themeColours()
{
    QFETCH(bool, dark);
    QFETCH(QByteArray, colour);
    QFETCH(QColor, shown);
    QFETCH(QColor, switched);
    QVERIFY(writeFile(docs("Rot.rtf"), "{\\rtf1{\\colortbl;" + colour + "}{\\cf1\\b Rubrik}\\par text}"));
    const auto colourOf = [](const QTextBlock &block) {
        const QTextCharFormat f = block.begin().fragment().charFormat();
        return f.foreground().style() == Qt::NoBrush ? QColor() : f.foreground().color();
    };
    const QPalette light = QApplication::palette();
    const ApplicationPalette theme(dark ? darkPalette() : light);
    frmHelp help;
    QTextDocument *doc = help.view()->document();
    QCOMPARE(doc->firstBlock().text(), QStringLiteral("Rubrik"));
    QCOMPARE(colourOf(doc->firstBlock()), shown);
    QCOMPARE(colourOf(doc->lastBlock()), QColor());

    // The member changes the theme while the window is open.
    const QPalette other = dark ? light : darkPalette();
    QApplication::setPalette(other);
    QTRY_COMPARE(help.view()->palette().color(QPalette::Base), other.color(QPalette::Base));
    QTRY_VERIFY(!help.isLoading());
    QCOMPARE(doc->firstBlock().text(), QStringLiteral("Rubrik"));
    QCOMPARE(colourOf(doc->firstBlock()), switched);
}

void tst_HelpWindow::placement_data()
{
    QTest::addColumn<QRect>("anchor");
    QTest::addColumn<QPoint>("expected");
    // A 1280 x 800 screen less a 30-pixel panel at the top; the help window 500 x 400.
    QTest::newRow("room on the right") << QRect(100, 100, 400, 300) << QPoint(500, 100);
    QTest::newRow("room on the left only") << QRect(700, 200, 400, 300) << QPoint(200, 200);
    QTest::newRow("no room beside: the roomier side") << QRect(300, 100, 900, 300) << QPoint(0, 100);
    QTest::newRow("no room, right roomier") << QRect(50, 100, 900, 300) << QPoint(780, 100);
    QTest::newRow("low on the screen: raised to fit") << QRect(100, 600, 400, 300) << QPoint(500, 400);
    QTest::newRow("above the work area: lowered") << QRect(100, 0, 400, 300) << QPoint(500, 30);
}

void tst_HelpWindow::placement()
{
    QFETCH(QRect, anchor);
    QFETCH(QPoint, expected);
    QCOMPARE(clsHelp::placeBeside(anchor, QSize(500, 400), QRect(0, 30, 1280, 770)), expected);
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

    // F1 with any modifier, and the menu command. The window opens beside
    // the main window, not in the screen's corner; Escape closes it,
    // wherever the focus is.
    main->move(40, 60);
    QTest::keyClick(main.get(), Qt::Key_F1, Qt::ShiftModifier);
    QPointer<frmHelp> help = object->helpWindow();
    QVERIFY(help && help->isVisible());
    QCOMPARE(help->pos(), clsHelp::placeBeside(main->frameGeometry(), help->frameGeometry().size(),
                                               main->screen()->availableGeometry()));
    QCOMPARE(help->y(), 60);
    QTest::keyClick(help->windowHandle(), Qt::Key_Escape);
    QTRY_VERIFY(!help);
    main->menuItem(QStringLiteral("mnuHelpP"))->trigger();
    help = object->helpWindow();
    QVERIFY(help && QTest::qWaitForWindowExposed(help));
    help->view()->setFocus();
    QTest::keyClick(help->windowHandle(), Qt::Key_Escape);
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
