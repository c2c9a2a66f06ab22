// kortvik-imail: handles Kortvik's "iMails" menu and shows the inbox that
// Kortvik last read, following it on the session bus.
#include "frmimail.h"
#include "imailhandleradaptor.h"
#include "imailhandlerservice.h"
#include "kortvikbus.h"
#include "mainserverclient.h"
#include "app/appicon.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

const QString kHandlerService = QString::fromLatin1(kortvikBus::kIMailHandlerService);
const QString kHandlerPath = QString::fromLatin1(kortvikBus::kIMailHandlerPath);

int quitPipe[2] = {-1, -1};

void onTerm(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(quitPipe[1], &c, 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kortvik-imail"));
    QApplication::setWindowIcon(kortvikIcon());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Visar Kortviks inkorg och hanterar menyn \"iMails\"."));
    parser.addHelpOption();
    const QCommandLineOption background(QStringLiteral("background"),
                                        QStringLiteral("Vänta i bakgrunden tills Kortvik ber om fönstret."));
    parser.addOption(background);
    parser.process(app);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "kortvik-imail: ingen sessionsbuss\n");
        return 1;
    }
    IMailHandlerService service;
    new IMailHandlerAdaptor(&service);
    if (!bus.registerObject(kHandlerPath, &service, QDBusConnection::ExportAdaptors)
        || !bus.registerService(kHandlerService)) {
        // Another copy runs: bring its window up instead.
        QDBusMessage open = QDBusMessage::createMethodCall(kHandlerService, kHandlerPath,
                                                           QString::fromLatin1(kortvikBus::kIMailHandlerInterface),
                                                           QStringLiteral("Open"));
        const QDBusMessage reply = bus.call(open, QDBus::Block, 2000);
        return reply.type() == QDBusMessage::ReplyMessage ? 0 : 1;
    }

    MainServerClient client(bus);
    frmIMail window(&client);
    const bool stay = parser.isSet(background);
    window.setStayRunning(stay);
    QObject::connect(&service, &IMailHandlerService::openRequested, &window, &frmIMail::bringUp);
    QObject::connect(&window, &frmIMail::closed, &app, [&app, stay] {
        if (!stay)
            app.quit();
    });

    // SIGTERM and SIGINT end the program the orderly way, placement saved.
    if (::pipe(quitPipe) == 0) {
        std::signal(SIGTERM, onTerm);
        std::signal(SIGINT, onTerm);
        auto *notifier = new QSocketNotifier(quitPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&window, &app] {
            if (window.isVisible())
                window.close();
            app.quit();
        });
    }

    client.refresh();
    if (!stay)
        window.bringUp();
    return app.exec();
}
