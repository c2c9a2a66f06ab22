#include "app/accessibility.h"
#include "app/appicon.h"
#include "app/commandline.h"
#include "app/modthreading.h"
#include "net/site.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    // Read before QApplication exists: --help, --version and a mistake in
    // the command line need no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const commandLine::Options options = commandLine::parse(arguments);
    switch (options.action) {
    case commandLine::Options::Action::Help:
        std::fputs(commandLine::helpText().toUtf8().constData(), stdout);
        return 0;
    case commandLine::Options::Action::Version:
        std::fputs(commandLine::versionText().toUtf8().constData(), stdout);
        return 0;
    case commandLine::Options::Action::Error:
        std::fprintf(stderr, "kortvik: %s\n", options.error.toUtf8().constData());
        return commandLine::kUsageExitCode;
    case commandLine::Options::Action::Run:
        break;
    }

    // Before anything else: every address the program shows or sends uses it.
    modData::configureSite(options.site);
    modThreading::setStartMode(options.automation ? modThreading::StartMode::Automation
                                                  : modThreading::StartMode::User);
    modThreading::setStartMinimized(options.minimized);

    QApplication app(argc, argv);
    // One id everywhere: the X11 window class, the tray item's id and the
    // Wayland app id all name the installed org.kortvik.Kortvik.desktop.
    QApplication::setApplicationName(QStringLiteral("org.kortvik.Kortvik"));
    QApplication::setDesktopFileName(QStringLiteral("org.kortvik.Kortvik"));
    // Every window and message box carries the program's icon.
    QApplication::setWindowIcon(kortvikIcon());
    installAccessibility();
    // The program ends through its own shut-down only, never by a last
    // window closing on its own.
    QApplication::setQuitOnLastWindowClosed(false);

    try {
        modThreading::startThread();
    } catch (const modThreading::StartError &error) {
        std::fprintf(stderr, "kortvik: %s\n", qPrintable(error.message()));
        return 1;
    }
    return app.exec();
}
