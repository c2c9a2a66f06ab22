// The plug-in properties through a login, new iMails, a guest login and a
// logout: one change signal per step that changes something, carrying only
// what changed.
#include <QSignalSpy>
#include <QtTest>

#include "plugin/pluginproperties.h"

class TestPluginProperties : public QObject
{
    Q_OBJECT
private slots:
    void startsLoggedOut()
    {
        PluginProperties p;
        const QVariantMap all = p.all();
        QCOMPARE(all.keys(), (QStringList{"Alias", "Guest", "IMailCount", "LoggedIn", "LoggingIn", "NewIMailCount", "UserID"}));
        QCOMPARE(all.value("LoggedIn"), QVariant(false));
        QCOMPARE(all.value("UserID"), QVariant(0));
        QCOMPARE(all.value("Alias").toString(), QString());
        QCOMPARE(all.value("Alias").userType(), QMetaType::QString);
    }

    void sessionRoundTrip()
    {
        PluginProperties p;
        QSignalSpy spy(&p, &PluginProperties::changed);
        auto step = [&](auto &&change, const QVariantMap &expected) {
            const qsizetype before = spy.size();
            change();
            if (expected.isEmpty()) {
                QCOMPARE(spy.size(), before);
                return;
            }
            QCOMPARE(spy.size(), before + 1);
            QCOMPARE(spy.last().at(0).toMap(), expected);
        };
        step([&] { p.setLogin(false, true, false, 0, QString()); }, {{"LoggingIn", true}});
        step([&] { p.setLogin(true, true, false, 1001, "Kalle & Co"); },
             {{"LoggedIn", true}, {"UserID", 1001}, {"Alias", "Kalle & Co"}});
        step([&] { p.setLogin(true, false, false, 1001, "Kalle & Co"); }, {{"LoggingIn", false}});
        step([&] { p.setIMailCounts(3, 1); }, {{"IMailCount", 3}, {"NewIMailCount", 1}});
        step([&] { p.setIMailCounts(3, 1); }, {});
        step([&] { p.setIMailCounts(4, 1); }, {{"IMailCount", 4}});
        step([&] { p.setLogin(false, false, false, 0, QString()); },
             {{"LoggedIn", false}, {"UserID", 0}, {"Alias", ""}});
        step([&] { p.setLogin(false, false, false, 0, ""); }, {});
        step([&] { p.setLogin(true, false, true, 0, ""); }, {{"LoggedIn", true}, {"Guest", true}});
        step([&] { p.setIMailCounts(0, 0); }, {{"IMailCount", 0}, {"NewIMailCount", 0}});
        step([&] { p.setLogin(false, false, false, 0, ""); }, {{"LoggedIn", false}, {"Guest", false}});
        QCOMPARE(p.values(), PluginProperties::Values{});
    }
};

QTEST_GUILESS_MAIN(TestPluginProperties)
#include "tst_pluginproperties.moc"
