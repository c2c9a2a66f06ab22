// Which session changes are worth a desktop notification, and their texts.
#include "desktop/desktopnotices.h"
#include "settings/modsettings.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

IMailRow row(qint32 mid, const QString &sender, const QString &subject, int minutes, bool isNew)
{
    const qint64 at = QDateTime(QDate(2026, 12, 8), QTime(8, 0), Qt::UTC).toSecsSinceEpoch() + minutes * 60;
    return {mid, subject, at, isNew, 0, sender};
}

// "member", "other" (a second member), "guest", "logout", "siteLogout", a
// new-iMail count with its rows "n3" (message ids 1 to 3), or one without
// rows "c3".
void feed(DesktopNotices &notices, const QString &step)
{
    if (step == QLatin1String("member"))
        notices.loggedIn(false, 7);
    else if (step == QLatin1String("other"))
        notices.loggedIn(false, 8);
    else if (step.startsWith(u'c'))
        notices.imailsChecked(10, step.mid(1).toInt(), {});
    else if (step == QLatin1String("guest"))
        notices.loggedIn(true);
    else if (step == QLatin1String("logout"))
        notices.loggedOut(false);
    else if (step == QLatin1String("siteLogout"))
        notices.loggedOut(true);
    else {
        const int n = step.mid(1).toInt();
        IMailRows rows;
        for (int i = 0; i < n; ++i)
            rows.append(row(i + 1, QStringLiteral("Avs %1").arg(i + 1), QStringLiteral("Ämne %1").arg(i + 1), i, true));
        notices.imailsChecked(n + 2, n, rows);
    }
}

} // namespace

class TestDesktopNotices : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void sequence_data();
    void sequence();
    void newestSenderAndSubjectInTheBody_data();
    void newestSenderAndSubjectInTheBody();
    void settingTurnsThemOff_data();
    void settingTurnsThemOff();
    void rememberedAcrossRestarts();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestDesktopNotices::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    modSettings::overrideProgramFolder(m_dir->path());
}

void TestDesktopNotices::cleanup()
{
    modSettings::overrideProgramFolder(QString());
    m_dir.reset();
}

void TestDesktopNotices::sequence_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected"); // the summaries in order, "-" for a withdrawal

    const QString out = QString::fromUtf8("Du har blivit utloggad från Sandlund");
    QTest::newRow("only rows not told about")
        << QStringList{"member", "n0", "n2", "n2", "n1", "n3", "n3", "n0", "n1"}
        << QStringList{"Du har 2 nya iMails", "Du har 3 nya iMails", "-", "Du har 1 ny iMail"};
    QTest::newRow("first check after the login counts from zero")
        << QStringList{"member", "n4"} << QStringList{"Du har 4 nya iMails"};
    QTest::newRow("the same member's new login is not told again")
        << QStringList{"member", "n2", "logout", "member", "n2", "n3"}
        << QStringList{"Du har 2 nya iMails", "-", "Du har 3 nya iMails"};
    QTest::newRow("another member is told")
        << QStringList{"member", "n2", "logout", "other", "n2"}
        << QStringList{"Du har 2 nya iMails", "-", "Du har 2 nya iMails"};
    QTest::newRow("without rows a rising count tells")
        << QStringList{"member", "c2", "c2", "c1", "c3", "c0"}
        << QStringList{"Du har 2 nya iMails", "Du har 3 nya iMails", "-"};
    QTest::newRow("the member's own logout withdraws") << QStringList{"member", "n1", "logout", "logout"}
                                                       << QStringList{"Du har 1 ny iMail", "-"};
    QTest::newRow("the site's logout withdraws and tells")
        << QStringList{"member", "n2", "siteLogout"} << QStringList{"Du har 2 nya iMails", "-", out};
    QTest::newRow("the site's logout is told once")
        << QStringList{"member", "siteLogout", "siteLogout", "n3"} << QStringList{out};
    QTest::newRow("nothing for the guest") << QStringList{"guest", "n2", "n5", "siteLogout"} << QStringList{};
    QTest::newRow("a logout while logged out is quiet") << QStringList{"siteLogout", "n1"} << QStringList{};
}

void TestDesktopNotices::sequence()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    DesktopNotices notices;
    QStringList events;
    connect(&notices, &DesktopNotices::notify, this,
            [&events](DesktopNotices::Kind kind, const QString &summary) {
                QCOMPARE(kind == DesktopNotices::Kind::LoggedOut, summary.startsWith(QStringLiteral("Du har blivit")));
                events << summary;
            });
    connect(&notices, &DesktopNotices::withdraw, this, [&events](DesktopNotices::Kind kind) {
        QVERIFY(kind == DesktopNotices::Kind::NewIMails);
        events << QStringLiteral("-");
    });
    for (const QString &s : steps)
        feed(notices, s);
    QCOMPARE(events, expected);
}

void TestDesktopNotices::newestSenderAndSubjectInTheBody_data()
{
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    // Plain text here; escaping for the desktop is the client's.
    QTest::newRow("markup and line breaks stay text")
        << QStringLiteral("Kalle & Co") << QStringLiteral("<b>Rad 1\r\nRad 2") << QStringLiteral("Kalle & Co: <b>Rad 1 Rad 2");
    QTest::newRow("terminal escape sequences")
        << QStringLiteral("\x1b]0;titel\x07" "Anna") << QStringLiteral("\x1b[31;1mRöd\x1b[0m text\x1b(B")
        << QStringLiteral("Anna: Röd text");
    QTest::newRow("C0 and C1 characters")
        << QStringLiteral("An\x01na") << QString::fromUtf8("a\u0081b\u009b2Jc\u0085d\x7f")
        << QStringLiteral("Anna: abc d");
    QTest::newRow("NUL does not end the text")
        << QStringLiteral("Anna") << QString::fromUtf16(u"före\0efter", 10) << QString::fromUtf8("Anna: före\uFFFDefter");
    QTest::newRow("direction overrides")
        << QString::fromUtf8("\u202EannA") << QStringLiteral("Hej") << QStringLiteral("annA: Hej");
    const QString megabyte = QStringLiteral("ö").repeated(1024 * 1024);
    QTest::newRow("1 MB subject and a long sender")
        << QStringLiteral("x").repeated(300) << megabyte
        << QStringLiteral("x").repeated(199) + QString::fromUtf8("…: ") + megabyte.left(199) + QString::fromUtf8("…");
    QTest::newRow("a cut never splits a character")
        << QStringLiteral("Anna") << QString::fromUtf8("😀").repeated(150)
        << QStringLiteral("Anna: ") + QString::fromUtf8("😀").repeated(99) + QString::fromUtf8("…");
}

void TestDesktopNotices::newestSenderAndSubjectInTheBody()
{
    QFETCH(QString, sender);
    QFETCH(QString, subject);
    QFETCH(QString, body);
    DesktopNotices notices;
    QSignalSpy spy(&notices, &DesktopNotices::notify);
    notices.loggedIn(false);
    notices.imailsChecked(3, 2,
                          {row(1, QStringLiteral("Anna"), QStringLiteral("Gammal"), 0, true),
                           row(2, sender, subject, 30, true),
                           row(3, QStringLiteral("Nisse"), QStringLiteral("Läst men nyast"), 90, false)});
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(2).toString(), body);
}

void TestDesktopNotices::settingTurnsThemOff_data()
{
    QTest::addColumn<QString>("config");
    QTest::addColumn<int>("notifications");
    QTest::newRow("no file") << QString() << 2;
    QTest::newRow("key missing") << QStringLiteral("[Kortvik]\r\nx=1\r\n") << 2;
    QTest::newRow("notify=1") << QStringLiteral("[Kortvik]\r\nnotify=1\r\n") << 2;
    QTest::newRow("notify=0") << QStringLiteral("[Kortvik]\r\nnotify=0\r\n") << 0;
    QTest::newRow("section in other case") << QStringLiteral("[kortvik]\r\nNOTIFY=0\r\n") << 0;
}

void TestDesktopNotices::settingTurnsThemOff()
{
    QFETCH(QString, config);
    QFETCH(int, notifications);
    if (!config.isNull()) {
        QFile f(modSettings::appFilePath(QStringLiteral("Config.ini")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(config.toLatin1());
    }
    DesktopNotices notices;
    QSignalSpy spy(&notices, &DesktopNotices::notify);
    feed(notices, QStringLiteral("member"));
    feed(notices, QStringLiteral("n1"));
    feed(notices, QStringLiteral("siteLogout"));
    QCOMPARE(spy.size(), notifications);
}

void TestDesktopNotices::rememberedAcrossRestarts()
{
    QTemporaryDir data;
    const QString folder = data.filePath(QStringLiteral("kortvik/notified"));
    // One run of the program: a login and one check; the summaries told.
    auto run = [&folder](qint32 memberId, const IMailRows &rows) {
        DesktopNotices notices(folder);
        QSignalSpy spy(&notices, &DesktopNotices::notify);
        notices.loggedIn(false, memberId);
        notices.imailsChecked(5, static_cast<int>(rows.size()), rows);
        return spy.size();
    };
    const IMailRows two{row(11, QStringLiteral("A"), QStringLiteral("a"), 0, true),
                            row(12, QStringLiteral("B"), QStringLiteral("b"), 5, true)};
    QCOMPARE(run(7, two), 1);
    QCOMPARE(run(7, two), 0);
    QCOMPARE(run(7, {two.at(1)}), 0);
    QCOMPARE(run(8, two), 1);
    // Row 11 was read, so it is forgotten; a new row 13 is news.
    QCOMPARE(run(7, {two.at(1), row(13, QStringLiteral("C"), QStringLiteral("c"), 9, true)}), 1);
    QFile file(folder + QStringLiteral("/7"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("12\n13\n"));
    file.close();

    // A damaged file loses no more than its damaged lines.
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray("x\n12\n\0\n", 7));
    file.close();
    QCOMPARE(run(7, {two.at(1)}), 0);
    QCOMPARE(run(7, {row(13, QStringLiteral("C"), QStringLiteral("c"), 9, true)}), 1);
}

QTEST_GUILESS_MAIN(TestDesktopNotices)
#include "tst_desktopnotices.moc"
