// The baseline of bench_idlerss: the least a Qt desktop program like ours
// is made of. A main window with a menu bar (one menu) and a status bar,
// shown, and a name on the session bus; then it idles.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("barewindow"));
    QMenu *menu = window.menuBar()->addMenu(QStringLiteral("&Arkiv"));
    menu->addAction(QStringLiteral("St&äng av"), &app, &QApplication::quit);
    window.statusBar()->addWidget(new QLabel(QStringLiteral("Utloggad")));
    window.resize(577, 443);
    window.show();
    const QString name = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("org.kortvik.BareWindow");
    if (!QDBusConnection::sessionBus().interface()->registerService(name)) {
        std::fprintf(stderr, "barewindow: could not take %s\n", qPrintable(name));
        return 1;
    }
    return app.exec();
}
