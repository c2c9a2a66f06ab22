// kortvik-screenshots [FOLDER]: writes the help window with each help
// document and the About dialog as PNG files into FOLDER (default
// /tmp/kortvik-screenshots), for a look by eye. Uses the documents beside
// this program, as kortvik does.
#include "about/frmabout.h"
#include "help/frmhelp.h"

#include <QApplication>
#include <QDir>
#include <QTextEdit>
#include <QTreeWidget>

#include <cstdio>

namespace {

bool save(QWidget *w, const QString &path)
{
    QApplication::processEvents();
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/kortvik-screenshots");
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(folder));
        return 1;
    }
    bool ok = true;

    frmHelp help;
    help.show();
    ok &= !help.view()->toPlainText().isEmpty();
    ok &= save(&help, folder + QStringLiteral("/help-Rot.png"));

    // As a member reaches it: expand "Rot", double-click "Vanligt".
    QTreeWidgetItem *child = help.node(QStringLiteral("Vanligt"));
    child->parent()->setExpanded(true);
    help.tree()->setCurrentItem(child);
    emit help.tree()->itemActivated(child, 0);
    ok &= help.currentNode() == child && !help.view()->toPlainText().isEmpty();
    ok &= save(&help, folder + QStringLiteral("/help-Vanligt.png"));

    // Scrolled to the end, to see the last part of the longer document.
    help.view()->moveCursor(QTextCursor::End);
    ok &= save(&help, folder + QStringLiteral("/help-Vanligt-end.png"));

    frmAbout about;
    about.show();
    ok &= save(&about, folder + QStringLiteral("/about.png"));

    if (!ok)
        std::fprintf(stderr, "some pictures are missing or empty\n");
    return ok ? 0 : 1;
}
