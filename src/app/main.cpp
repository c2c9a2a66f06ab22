#include "app/accessibility.h"
#include "app/appicon.h"
#include "app/modthreading.h"
#include "net/site.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

struct Options {
    QString site;
    bool automation = false;
};

// Only the program's own options; Qt's (-platform, ...) are left to Qt.
Options parseOptions(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "--site") == 0 && i + 1 < argc)
            options.site = QString::fromLocal8Bit(argv[++i]);
        else if (std::strncmp(arg, "--site=", 7) == 0)
            options.site = QString::fromLocal8Bit(arg + 7);
        else if (std::strcmp(arg, "--automation") == 0)
            options.automation = true;
    }
    return options;
}

} // namespace

int main(int argc, char **argv)
{
    const Options options = parseOptions(argc, argv);
    // Before anything else: every address the program shows or sends uses it.
    modData::configureSite(options.site);
    modThreading::setStartMode(options.automation ? modThreading::StartMode::Automation
                                                  : modThreading::StartMode::User);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kortvik"));
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
