// kortvik-components: the per-user registry of in-process components, and a
// host that creates a registered object and calls one of its methods.
#include <QApplication>
#include <QTextStream>

#include <cstdio>

#include "componenthost.h"
#include "ljungbo/componentregistry.h"

namespace {

const char kUsage[] =
    "usage: kortvik-components register LIB\n"
    "       kortvik-components unregister LIB\n"
    "       kortvik-components list\n"
    "       kortvik-components call PROGID METHOD\n"
    "\n"
    "The registry is $XDG_DATA_HOME/kortvik/components/.\n"
    "call runs until every window the method showed has been closed.\n"
    "Exit codes: 0 done, 1 the component failed, 2 usage, 3 unknown program\n"
    "identifier, 4 not a loadable component library, 5 no such method,\n"
    "6 the object could not be created.\n";

int finish(const comp::HostResult &result)
{
    if (result.status != comp::HostOk)
        std::fprintf(stderr, "kortvik-components: %s\n", qPrintable(result.message));
    return result.status;
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    const QString command = args.value(0);

    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(kUsage, stdout);
        return comp::HostOk;
    }
    if ((command == QLatin1String("register") || command == QLatin1String("unregister"))
        && args.size() == 2)
        return finish(comp::registerLibrary(args.at(1), command == QLatin1String("unregister")));
    if (command == QLatin1String("list") && args.size() == 1) {
        QTextStream out(stdout);
        for (const QString &id : comp::registeredProgIds())
            out << id << '\n';
        return comp::HostOk;
    }
    if (command == QLatin1String("call") && args.size() == 3) {
        QApplication app(argc, argv);
        // The loop ends when the called object's windows close, not before.
        app.setQuitOnLastWindowClosed(false);
        return finish(comp::callMethod(args.at(1), args.at(2)));
    }
    std::fputs(kUsage, stderr);
    return comp::HostUsage;
}
