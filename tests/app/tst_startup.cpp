#include "help/docsfolder.h"
#include "app/frmprocess.h"
#include "app/modthreading.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <optional>

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void markerCaption_data();
    void markerCaption();
    void startErrorMessage_data();
    void startErrorMessage();
    void secondInstanceBox();
    void laterThreadOfUnreadyProcessFails();
    void docsFolder_data();
    void docsFolder();
};

void tst_Startup::markerCaption_data()
{
    QTest::addColumn<quint32>("pid");
    QTest::addColumn<QString>("caption");
    QTest::newRow("1234") << 1234u << "ApartmentDemoProcessWindow1234";
    QTest::newRow("largest") << 4294967295u << "ApartmentDemoProcessWindow4294967295";
}

void tst_Startup::markerCaption()
{
    QFETCH(quint32, pid);
    QFETCH(QString, caption);
    QCOMPARE(frmProcess::markerCaption(pid), caption);
    // Created with its design caption; the start procedure replaces it.
    frmProcess marker;
    QCOMPARE(marker.windowTitle(), QStringLiteral("Form1"));
    QVERIFY(!marker.isVisible());
}

void tst_Startup::startErrorMessage_data()
{
    QTest::addColumn<quint32>("number");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("message");
    QTest::newRow("internal") << modThreading::kErrInternalStart << "Internal error starting thread"
                              << "Error 0x80040600 (-2147219968): Internal error starting thread";
    QTest::newRow("automation") << modThreading::kErrAutomationStart
                                << "Application can't be started with Automation"
                                << "Error 0x80040601 (-2147219967): Application can't be started with Automation";
}

void tst_Startup::startErrorMessage()
{
    QFETCH(quint32, number);
    QFETCH(QString, description);
    QFETCH(QString, message);
    const modThreading::StartError error(number, description);
    QCOMPARE(error.number(), number);
    QCOMPARE(error.description(), description);
    QCOMPARE(error.message(), message);
}

void tst_Startup::secondInstanceBox()
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        box->accept();
    });
    poll.start();
    modThreading::showSecondInstanceBox();
    QCOMPARE(title, QStringLiteral("Öppen instans"));
    QCOMPARE(text, QStringLiteral("Du har redan en existerande instans av Kortvik körandes\r\n\r\n"
                                  "   Var god använd den instansen istället"));
    QCOMPARE(icon, QMessageBox::Information);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

void tst_Startup::laterThreadOfUnreadyProcessFails()
{
    // No window can live on another thread, and this process has not been
    // set up by its first thread: the start fails with the internal error.
    std::optional<quint32> caught;
    QThread *thread = QThread::create([&] {
        try {
            modThreading::startThread();
        } catch (const modThreading::StartError &e) {
            caught = e.number();
        }
    });
    thread->start();
    QVERIFY(thread->wait(10000));
    delete thread;
    QVERIFY(caught.has_value());
    QCOMPARE(*caught, modThreading::kErrInternalStart);
    QCOMPARE(modThreading::processWindow(), nullptr);
    QCOMPARE(modThreading::mainApp(), nullptr);
}

void tst_Startup::docsFolder_data()
{
    QTest::addColumn<QStringList>("folders");  // made under the temporary root
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("expected");
    QTest::newRow("docs beside the program") << QStringList{"build/bin/docs"} << "build/bin"
                                             << "build/bin/docs";
    QTest::newRow("installed under a prefix") << QStringList{"usr/bin", "usr/share/kortvik/docs"} << "usr/bin"
                                              << "usr/share/kortvik/docs";
    QTest::newRow("beside wins over the prefix")
        << QStringList{"opt/bin/docs", "opt/share/kortvik/docs"} << "opt/bin" << "opt/bin/docs";
    QTest::newRow("neither: the folder beside") << QStringList{"lone/bin"} << "lone/bin" << "lone/bin/docs";
}

void tst_Startup::docsFolder()
{
    QFETCH(QStringList, folders);
    QFETCH(QString, program);
    QFETCH(QString, expected);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    for (const QString &f : folders)
        QVERIFY(QDir(root.path()).mkpath(f));
    QCOMPARE(modGlobal::docsFolderFor(root.filePath(program)), QDir::cleanPath(root.filePath(expected)));
}

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
