// kortvik-imail's window against the running program and the demo site:
// the demo member's inbox after a login, a new iMail found by "Uppdatera",
// one found by someone else's check, "Inte inloggad" after a logout and
// "Kortvik körs inte" when the program has gone.
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "frmimail.h"
#include "kortvikonbus.h"
#include "mainserverclient.h"
#include "requiredtool.h"
#include "settings/modsettings.h"
#include "siminboxcontrol.h"
#include "sitetime.h"

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

        MainServerClient client(k.client());
        frmIMail w(&client);
        client.refresh();
        w.bringUp();
        auto *list = w.findChild<QTreeWidget *>(QStringLiteral("lstIMails"));
        auto *status = w.findChild<QLabel *>(QStringLiteral("lblStatus"));
        auto *update = w.findChild<QPushButton *>(QStringLiteral("cmdUpdate"));
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
                QTest::keyClick(&w, Qt::Key_F5); // the button's key
                QVERIFY(client.checking());
                QTRY_VERIFY(!client.checking());
                QTRY_COMPARE(shown(list).size(), 4);
            }
        }, &seen), qPrintable(seen));
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(shown(list), expected(k.site->port()));
        QVERIFY(shown(list).first().startsWith(QStringLiteral("Anna Berg|Fika i morgon?|")));
        QTRY_COMPARE(status->text(), QStringLiteral("Kalle & Co: 4 iMails (2 nya)"));

        // Another plug-in's check: the window follows from the signal alone.
        QVERIFY(simInbox::add(k.site->port(), 1001, simInbox::newMail(702, QStringLiteral("Och en till"))));
        QCOMPARE(k.call(QStringLiteral("CheckIMails")).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(shown(list).size(), 5);
        QCOMPARE(shown(list), expected(k.site->port()));

        QCOMPARE(k.call(QStringLiteral("doLogout")).type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(status->text(), QStringLiteral("Inte inloggad"));
        QTRY_COMPARE(list->topLevelItemCount(), 0);
        QVERIFY(!update->isEnabled());

        k.program->terminate();
        QTRY_COMPARE(status->text(), QStringLiteral("Kortvik körs inte"));
    }
};

QTEST_MAIN(TestIMailLive)
#include "tst_imaillive.moc"
