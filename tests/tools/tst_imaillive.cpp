// kortvik-imail's window against the running program and the demo site:
// the demo member's inbox after a login, a new iMail found by "Uppdatera",
// one found by someone else's check, "Inte inloggad" after a logout and
// "Kortvik körs inte" when the program has gone. And text from the site,
// markup and all, shown as text wherever it appears: this window's cells,
// tooltips and status line, the main window's status bar, the profile editor.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QTreeWidget>
#include <QtTest>

#include "app/frmmain.h"
#include "app/sttmain.h"
#include "frmimail.h"
#include "kortvikonbus.h"
#include "mainserverclient.h"
#include "plugin/clsmainserver.h"
#include "profile/frmsetuserdata.h"
#include "quiettimers.h"
#include "requiredtool.h"
#include "settings/modsettings.h"
#include "siminboxcontrol.h"
#include "sitetime.h"
#include "testsession.h"

namespace {

QStringList shown(QTreeWidget *list)
{
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        rows << item->text(0) + QLatin1Char('|') + item->text(1) + QLatin1Char('|') + item->text(2)
                + (item->font(1).bold() ? QStringLiteral("|ny") : QString());
    }
    return rows;
}

// The rows as the site holds them, in the window's words.
QStringList expected(quint16 port)
{
    QStringList rows;
    for (const sandlundSim::SimIMail &m : simInbox::get(port, 1001).value_or(QList<sandlundSim::SimIMail>{})) {
        QString subject = m.subject;
        subject.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
        rows << m.senderName + QLatin1Char('|') + subject + QLatin1Char('|')
                + m.sentAt.toString(QStringLiteral("yyyy-MM-dd HH:mm")) + (m.isNew ? QStringLiteral("|ny") : QString());
    }
    return rows;
}

// What a member reads of a text in a widget that takes it as rich text
// when it looks like markup (tooltips; labels unless told otherwise).
QString shownText(const QString &text, Qt::TextFormat format = Qt::AutoText)
{
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text)))
        return text;
    QTextDocument rendered;
    rendered.setHtml(text);
    return rendered.toPlainText();
}

QString shownText(const QLabel *label)
{
    return shownText(label->text(), label->textFormat());
}

// kortvik-imail's window, following the program on the bus.
struct IMailWindow {
    explicit IMailWindow(const QDBusConnection &bus) : client(bus), window(&client)
    {
        client.refresh();
        window.bringUp();
    }
    template<typename W>
    W *child(const char *name)
    {
        return window.findChild<W *>(QLatin1String(name));
    }
    MainServerClient client;
    frmIMail window;
};

} // namespace

class TestIMailLive : public QObject
{
    Q_OBJECT
    QTemporaryDir m_folder;
    KortvikOnBus k;

private slots:
    void followsKortvik()
    {
        QVERIFY(m_folder.isValid());
        modSettings::overrideProgramFolder(m_folder.path());
        QString why;
        if (!k.start(&why))
            KORTVIK_SKIP_WITHOUT_TOOL(why);

        IMailWindow w(k.client());
        auto *list = w.child<QTreeWidget>("lstIMails");
        auto *status = w.child<QLabel>("lblStatus");
        auto *update = w.child<QPushButton>("cmdUpdate");
        QTRY_COMPARE(status->text(), QStringLiteral("Inte inloggad"));

        QVERIFY(k.login(QStringLiteral("kalle")));
        QTRY_COMPARE(shown(list), expected(k.site->port()));
        QCOMPARE(shown(list).size(), 3);
        QTRY_COMPARE(status->text(), QStringLiteral("Kalle & Co: 3 iMails (1 nya)"));

        // A new iMail on the site, found by the window's own button.
        QVERIFY(simInbox::add(k.site->port(), 1001, simInbox::newMail(701, QStringLiteral("Fika i morgon?"))));
        QTRY_VERIFY(update->isEnabled());
        // Pressed three times, so that a tick of the program's own timer
        // (which may join a check, or send one between two) cannot pass for a
        // press that sends nothing, or hide one that sends two.
        QString seen;
        QVERIFY2(k.inboxRequestsDuring(3, [&] {
            for (int i = 0; i < 3; ++i) {
                QTRY_VERIFY(update->isEnabled());
                QTest::keyClick(&w.window, Qt::Key_F5); // the button's key
                QVERIFY(w.client.checking());
                QTRY_VERIFY(!w.client.checking());
                QTRY_COMPARE(shown(list).size(), 4);
            }
        }, &seen), qPrintable(seen));
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(shown(list), expected(k.site->port()));
        QVERIFY(shown(list).first().startsWith(QStringLiteral("Anna Berg|Fika i morgon?|")));
        QTRY_COMPARE(status->text(), QStringLiteral("Kalle & Co: 4 iMails (2 nya)"));

        // Another plug-in's check: the window follows from the signal alone.
        // A long subject of two lines: one line in the list, both in the
        // tooltip, which stops after 500 characters.
        const QString longSubject = QStringLiteral("Och en till\r\n") + QString(600, u'x');
        QVERIFY(simInbox::add(k.site->port(), 1001, simInbox::newMail(702, longSubject)));
        QCOMPARE(k.call(QStringLiteral("CheckIMails")).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(shown(list).size(), 5);
        QCOMPARE(shown(list), expected(k.site->port()));
        QTextDocument tip;
        tip.setHtml(list->topLevelItem(0)->toolTip(1));
        QCOMPARE(tip.toPlainText(), QStringLiteral("Och en till\n") + QString(500 - 12, u'x') + QChar(0x2026));

        QCOMPARE(k.call(QStringLiteral("doLogout")).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(status->text(), QStringLiteral("Inte inloggad"));
        QTRY_COMPARE(list->topLevelItemCount(), 0);
        QVERIFY(!update->isEnabled());

        k.program->terminate();
        QTRY_COMPARE(status->text(), QStringLiteral("Kortvik körs inte"));
    }

    void siteTextIsPlain_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("a huge image") << QStringLiteral("<img src=\"/any.png\" width=10000 height=10000>");
        QTest::newRow("a red heading") << QStringLiteral("<h1 style=\"color:red\">Ditt lösenord har gått ut</h1>");
        QTest::newRow("entities") << QStringLiteral(
            "&lt;img src=\"file:///etc/passwd\"&gt;&lt;b&gt;B&lt;/b&gt;&amp;");
        QTest::newRow("markup and an ampersand")
            << QStringLiteral("<img src=\"file:///etc/passwd\"><b>B</b>&");
    }

    // The text is the member's first name and alias on the site, and the
    // subject and sender of an iMail.
    void siteTextIsPlain()
    {
        QFETCH(QString, text);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        modSettings::overrideProgramFolder(folder.path());
        KortvikOnBus k;
        QString why;
        if (!k.start(&why))
            KORTVIK_SKIP_WITHOUT_TOOL(why);

        // The member writes it into the profile on the site; an iMail carries it.
        k.site->useAsSite();
        modGlobal::Session &s = resetSession();
        // The member logs in in this process too.
        const auto signIn = [&s] {
            s.loginWith(QStringLiteral("kalle"));
            return s.isLoggedIn();
        };
        QVERIFY(signIn());
        modGlobal::ProfileRecord edited = s.profile();
        edited.userid = 1001;  // the demo member's id, which the login sequence reads
        edited.firstname = text;
        edited.sign = text;
        QVERIFY(s.postProfile(edited));
        QVERIFY(simInbox::put(k.site->port(), 1001, {simInbox::newMail(801, text, 1002, text)}));

        // kortvik-imail, fed by the running program.
        QVERIFY(k.login(QStringLiteral("kalle")));
        IMailWindow w(k.client());
        auto *list = w.child<QTreeWidget>("lstIMails");
        auto *status = w.child<QLabel>("lblStatus");
        QTRY_COMPARE(list->topLevelItemCount(), 1);
        const QTreeWidgetItem *row = list->topLevelItem(0);
        QCOMPARE(row->text(0), text);  // cells are drawn as text
        QCOMPARE(row->text(1), text);
        QCOMPARE(shownText(row->toolTip(1)), text);
        QCOMPARE(shownText(row->toolTip(0)), row->toolTip(0));
        QTRY_COMPARE(shownText(status), text + QStringLiteral(": 1 iMails (1 nya)"));

        // The main window's status bar and the profile editor, in this process.
        clsMainServer server(&s);
        frmMain window(&s);
        window.show();
        quietSessionTimers(window);
        QVERIFY(signIn());
        quietSessionTimers(window);
        sttMain *bar = window.statusBarPanels();
        // Names keep the page's entities as the site's form holds them; only the alias is decoded.
        const QString name = s.profile().firstname + QLatin1Char(' ') + s.profile().lastname;
        QVERIFY(name.startsWith(text.left(text.indexOf(u'"'))));
        QCOMPARE(shownText(bar->panel(2)), name);
        QCOMPARE(shownText(bar->panel(3)), text);
        for (int panel = 1; panel <= sttMain::kPanels; ++panel)
            QCOMPARE(shownText(bar->panelToolTip(panel)), bar->panelToolTip(panel));
        emit bar->PanelDblClick(3);
        QVERIFY(QTest::qWaitFor([] { return frmSetUserData::instance() != nullptr; }, 3000));
        frmSetUserData *editor = frmSetUserData::instance();
        QSignalSpy opened(editor, &frmSetUserData::opened);
        QVERIFY(opened.wait(10000));
        QCOMPARE(editor->findChild<QLineEdit *>(QStringLiteral("txtAlias"))->text(), text);
        QCOMPARE(editor->findChild<QLineEdit *>(QStringLiteral("txtFirstName"))->text(), s.profile().firstname);
        editor->reject();
        QTRY_VERIFY(!frmSetUserData::instance());
        resetSession();
    }
};

QTEST_MAIN(TestIMailLive)
#include "tst_imaillive.moc"
