// The tray's state machine (icon, tooltip, menu) through a login, iMail
// changes and a logout, and the menu it builds, without a real tray.
#include "desktop/kortviktray.h"
#include "desktop/trayicons.h"
#include "desktop/traymenu.h"
#include "desktop/traystate.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QRegularExpression>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

using Icon = TrayState::Icon;
using Entry = TrayState::MenuEntry;
using Kind = TrayState::MenuEntry::Kind;

namespace {

const qint64 kT0 = QDateTime(QDate(2026, 12, 8), QTime(9, 0), Qt::UTC).toSecsSinceEpoch();

IMailRow row(qint32 mid, const char *sender, const char *subject, int minutes, bool isNew)
{
    return {mid, QString::fromUtf8(subject), kT0 + minutes * 60, isNew, 0, QString::fromUtf8(sender)};
}

// Every menu begins with the way back to the window.
const QList<Entry> kShowEntry{{Kind::Show, QStringLiteral("Visa Kortvik"), true}, {Kind::Separator, {}, true}};

QList<Entry> commands(bool login, bool logout)
{
    return {{Kind::Login, QStringLiteral("Logga &in..."), login},
            {Kind::Logout, QStringLiteral("Logga &ut"), logout},
            {Kind::Quit, QString::fromUtf8("St&äng av"), true}};
}

// One step of the session and what the tray must show after it.
struct Step {
    enum Input { LoggedOut, LoginRunning, Member, IMails, Offline, Online } input;
    QString alias;
    int count = 0;
    int newCount = 0;
    IMailRows rows;
    Icon icon;
    bool newMark;
    QString toolTip;
    QList<Entry> menu;
    QString badge = {};
};

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class TestTrayState : public QObject
{
    Q_OBJECT
private slots:
    void session_data();
    void session();
    void newestUnreadOrderAndLimit();
    void menuShowsSiteTextAsText();
    void iconsDifferByStateAndMark();
    void badgeIsDrawnLegibly_data();
    void badgeIsDrawnLegibly();
    void iconThemeComesFirst_data();
    void iconThemeComesFirst();
    void withoutATrayNothingIsShown();
};

void TestTrayState::session_data()
{
    QTest::addColumn<QList<Step>>("steps");
    const IMailRows three{row(1, "Anna", "Hej", 0, false), row(2, "Kalle", "Fika?", 10, true),
                          row(3, "Nisse", "Rad 1\r\nRad 2", 5, false)};
    IMailRows seven;
    for (int i = 1; i <= 7; ++i)
        seven.append(row(10 + i, "Anna", qPrintable(QStringLiteral("Nr %1").arg(i)), i, true));
    seven.append(row(30, "Nisse", "Läst", 60, false));

    const QString annaTip = QStringLiteral("Inloggad som Anna\n");
    QTest::newRow("start, login, counts, more mail, logout")
        << QList<Step>{
               {Step::LoggedOut, {}, 0, 0, {}, Icon::LoggedOut, false, QStringLiteral("Utloggad"), commands(true, false)},
               {Step::LoginRunning, {}, 0, 0, {}, Icon::LoggingIn, false, QStringLiteral("Loggar in..."),
                commands(false, true)},
               {Step::Member, QStringLiteral("Anna"), 0, 0, {}, Icon::LoggedIn, false,
                annaTip + QStringLiteral("0 iMails (0 nya)"), commands(true, true)},
               {Step::IMails, {}, 3, 1, three, Icon::LoggedIn, true, annaTip + QStringLiteral("3 iMails (1 nya)"),
                QList<Entry>{{Kind::IMail, QStringLiteral("Kalle: Fika?"), true}, {Kind::Separator, {}, true}} +
                    commands(true, true), QStringLiteral("1")},
               {Step::IMails, {}, 8, 7, seven, Icon::LoggedIn, true, annaTip + QStringLiteral("8 iMails (7 nya)"),
                QList<Entry>{{Kind::IMail, QStringLiteral("Anna: Nr 7"), true},
                             {Kind::IMail, QStringLiteral("Anna: Nr 6"), true},
                             {Kind::IMail, QStringLiteral("Anna: Nr 5"), true},
                             {Kind::IMail, QStringLiteral("Anna: Nr 4"), true},
                             {Kind::IMail, QStringLiteral("Anna: Nr 3"), true},
                             {Kind::Separator, {}, true}} +
                    commands(true, true), QStringLiteral("7")},
               {Step::IMails, {}, 3, 0, {}, Icon::LoggedIn, false, annaTip + QStringLiteral("3 iMails (0 nya)"),
                commands(true, true)},
               {Step::LoggedOut, {}, 0, 0, {}, Icon::LoggedOut, false, QStringLiteral("Utloggad"), commands(true, false)},
           };

    QTest::newRow("a check that ends after the logout shows nothing")
        << QList<Step>{
               {Step::Member, QString::fromUtf8("Gäst"), 0, 0, {}, Icon::LoggedIn, false,
                QString::fromUtf8("Inloggad som Gäst\n0 iMails (0 nya)"), commands(true, true)},
               {Step::LoggedOut, {}, 0, 0, {}, Icon::LoggedOut, false, QStringLiteral("Utloggad"), commands(true, false)},
               {Step::IMails, {}, 3, 1, three, Icon::LoggedOut, false, QStringLiteral("Utloggad"), commands(true, false)},
               {Step::LoginRunning, {}, 0, 0, {}, Icon::LoggingIn, false, QStringLiteral("Loggar in..."),
                commands(false, true)},
               {Step::Member, QStringLiteral("Nisse"), 0, 0, {}, Icon::LoggedIn, false,
                QStringLiteral("Inloggad som Nisse\n0 iMails (0 nya)"), commands(true, true)},
           };

    IMailRows many;
    for (int i = 1; i <= 120; ++i)
        many.append(row(100 + i, "Anna", "Nr", i, true));
    const QString offline = QString::fromUtf8("\nIngen nätverksanslutning");
    const QList<Entry> fiveRows = QList<Entry>(TrayState::kMaxMenuIMails, {Kind::IMail, QStringLiteral("Anna: Nr"), true}) +
                                  QList<Entry>{{Kind::Separator, {}, true}} + commands(true, true);
    QTest::newRow("the network goes and comes back; 99+")
        << QList<Step>{
               {Step::Offline, {}, 0, 0, {}, Icon::LoggedOut, false, QStringLiteral("Utloggad") + offline,
                commands(true, false)},
               {Step::Member, QStringLiteral("Anna"), 0, 0, {}, Icon::LoggedIn, false,
                QStringLiteral("Inloggad som Anna") + offline, commands(true, true)},
               {Step::IMails, {}, 99, 99, many.mid(0, 99), Icon::LoggedIn, true, QStringLiteral("Inloggad som Anna") + offline,
                fiveRows, QStringLiteral("99")},
               {Step::Online, {}, 0, 0, {}, Icon::LoggedIn, true, annaTip + QStringLiteral("99 iMails (99 nya)"),
                fiveRows, QStringLiteral("99")},
               {Step::IMails, {}, 120, 100, many, Icon::LoggedIn, true, annaTip + QStringLiteral("120 iMails (100 nya)"),
                fiveRows, QStringLiteral("99+")},
           };

    // The alias as the site sends it and as the profile decodes it.
    const QString escaped = QStringLiteral("&lt;img src=\"file:///etc/passwd\"&gt;&lt;b&gt;B&lt;/b&gt;&amp;");
    const QString tags = QStringLiteral("<img src=\"file:///etc/passwd\"><b>B</b>&");
    QTest::newRow("markup in the alias stays text")
        << QList<Step>{
               {Step::Member, escaped, 0, 0, {}, Icon::LoggedIn, false,
                QStringLiteral("Inloggad som ") + escaped + QStringLiteral("\n0 iMails (0 nya)"), commands(true, true)},
               {Step::Member, tags, 0, 0, {}, Icon::LoggedIn, false,
                QStringLiteral("Inloggad som ") + tags + QStringLiteral("\n0 iMails (0 nya)"), commands(true, true)},
           };
}

void TestTrayState::session()
{
    QFETCH(QList<Step>, steps);
    TrayState tray;
    for (int i = 0; i < steps.size(); ++i) {
        const Step &s = steps.at(i);
        switch (s.input) {
        case Step::LoggedOut:
            tray.showLoggedOut(false);
            break;
        case Step::LoginRunning:
            tray.showLoggedOut(true);
            break;
        case Step::Member:
            tray.showMember(s.alias);
            break;
        case Step::IMails:
            tray.showIMails(s.count, s.newCount, s.rows);
            break;
        case Step::Offline:
        case Step::Online:
            tray.showNetwork(s.input == Step::Offline);
            break;
        }
        const QByteArray where = "step " + QByteArray::number(i);
        QVERIFY2(tray.icon() == s.icon, where);
        QVERIFY2(tray.newMark() == s.newMark, where);
        // Text for Qt's own tooltip and for a StatusNotifierItem host alike:
        // nothing in it reads as a tag or an entity, and what shows (word
        // joiners draw nothing) is the text itself.
        const QString tip = tray.toolTip();
        static const QRegularExpression markup(QStringLiteral("<[A-Za-z/!?]|&[A-Za-z#]"));
        QVERIFY2(!Qt::mightBeRichText(tip) && !markup.match(tip).hasMatch(), where + ": " + tip.toUtf8());
        QVERIFY2(QString(tip).remove(QChar(0x2060)) == s.toolTip, where + ": " + tip.toUtf8());
        QVERIFY2(tray.menuEntries() == kShowEntry + s.menu, where);
        QCOMPARE(tray.badge(), s.badge);
    }
}

void TestTrayState::newestUnreadOrderAndLimit()
{
    // Same time: the higher message id is the newer one.
    const IMailRows rows{row(5, "A", "a", 0, true), row(9, "B", "b", 0, true), row(7, "C", "c", 30, true),
                         row(8, "D", "d", 90, false)};
    const IMailRows got = imailRow::newestUnread(rows, 2);
    QCOMPARE(got.size(), 2);
    QCOMPARE(got.at(0).mid, 7);
    QCOMPARE(got.at(1).mid, 9);
    QVERIFY(imailRow::newestUnread(rows, 5).size() == 3);
}

void TestTrayState::menuShowsSiteTextAsText()
{
    TrayState state;
    state.showMember(QStringLiteral("Kalle"));
    const QString longSubject(80, QLatin1Char('x'));
    state.showIMails(2, 2, {row(1, "Kalle & Co", "<b>Hej</b> & hå", 1, true), row(2, "Anna", qPrintable(longSubject), 0, true)});
    QMenu menu;
    const auto commands = fillTrayMenu(&menu, state);
    const QList<QAction *> actions = menu.actions();
    QCOMPARE(actions.size(), 8);
    QCOMPARE(commands.value(Kind::Show), actions.at(0));
    QVERIFY(actions.at(1)->isSeparator());
    // An "&" from the site is doubled, so it is shown and is no access key.
    QCOMPARE(actions.at(2)->text(), QString::fromUtf8("Kalle && Co: <b>Hej</b> && hå"));
    QVERIFY(actions.at(2)->isEnabled());
    QCOMPARE(actions.at(3)->text(), QStringLiteral("Anna: ") + QString(47, QLatin1Char('x')) + QStringLiteral("..."));
    QVERIFY(actions.at(4)->isSeparator());
    QCOMPARE(commands.value(Kind::Login), actions.at(5));
    QCOMPARE(commands.value(Kind::Logout)->text(), QStringLiteral("Logga &ut"));
    QCOMPARE(commands.value(Kind::Quit)->text(), QString::fromUtf8("St&äng av"));
    QCOMPARE(commands.values(Kind::IMail).size(), 2);

    // A refill replaces the entries rather than adding to them.
    state.showLoggedOut(false);
    fillTrayMenu(&menu, state);
    QCOMPARE(menu.actions().size(), 5);
    QVERIFY(!menu.actions().at(3)->isEnabled());
}

void TestTrayState::iconsDifferByStateAndMark()
{
    QList<QImage> pictures;
    for (Icon state : {Icon::LoggedOut, Icon::LoggingIn, Icon::LoggedIn}) {
        for (bool mark : {false, true}) {
            const QImage image = trayIcon(state, mark).pixmap(22, 22).toImage();
            QVERIFY(!image.isNull());
            QVERIFY2(!pictures.contains(image), "two states look the same");
            pictures.append(image);
        }
    }
    // Drawn, not empty: the card's corner pixel is transparent, its middle is not.
    QCOMPARE(qAlpha(pictures.first().pixel(0, 0)), 0);
    QVERIFY(qAlpha(pictures.first().pixel(11, 11)) > 200);
}

void TestTrayState::badgeIsDrawnLegibly_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<qreal>("ratio");
    for (int size : {16, 22, 24}) {
        for (qreal ratio : {1.0, 2.0})
            QTest::addRow("%d px at %gx", size, ratio) << size << ratio;
    }
}

// The figures are there, white on the red pill in the lower right corner,
// inside the icon, and "1", "9", "99" and "99+" look different at every size.
void TestTrayState::badgeIsDrawnLegibly()
{
    QFETCH(int, size);
    QFETCH(qreal, ratio);
    QList<QImage> seen;
    for (const char *text : {"1", "9", "99", "99+"}) {
        const QPixmap pixmap = trayIcon(Icon::LoggedIn, true, QString::fromLatin1(text)).pixmap(QSize(size, size), ratio);
        const QImage image = pixmap.toImage();
        QCOMPARE(image.width(), qRound(size * ratio));
        QVERIFY2(!seen.contains(image), text);
        seen.append(image);
        // White figure pixels and red pill pixels in the lower right
        // quarter, the card's blue still in the upper left.
        int white = 0;
        int red = 0;
        for (int y = image.height() / 2; y < image.height(); ++y) {
            for (int x = image.width() / 2; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                white += c.red() > 230 && c.green() > 230 && c.blue() > 230 ? 1 : 0;
                red += c.red() > 180 && c.green() < 80 && c.blue() < 80 ? 1 : 0;
            }
        }
        const int quarter = image.width() * image.height() / 4;
        QVERIFY2(white * 20 > quarter && red * 10 > quarter, qPrintable(QStringLiteral("%1: %2 white, %3 red of %4")
                                                                            .arg(text).arg(white).arg(red).arg(quarter)));
        QVERIFY(image.pixelColor(image.width() * 15 / 100, image.height() * 3 / 10).blue() > 120);
    }
}

void TestTrayState::iconThemeComesFirst_data()
{
    QTest::addColumn<Icon>("state");
    QTest::addColumn<bool>("themed");
    QTest::newRow("the theme's picture") << Icon::LoggedOut << true;
    QTest::newRow("the program's own where the theme has none") << Icon::LoggingIn << false;
}

void TestTrayState::iconThemeComesFirst()
{
    QFETCH(Icon, state);
    QFETCH(bool, themed);
    // A theme that draws only the logged-out picture, a plain red square.
    QTemporaryDir themes;
    QVERIFY(QDir().mkpath(themes.filePath(QStringLiteral("hicolor/scalable/status"))));
    auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile f(themes.filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    QVERIFY(write(QStringLiteral("hicolor/index.theme"),
                  "[Icon Theme]\nName=hicolor\nDirectories=scalable/status\n\n"
                  "[scalable/status]\nSize=64\nMinSize=8\nMaxSize=512\nType=Scalable\n"));
    QVERIFY(write(QStringLiteral("hicolor/scalable/status/org.kortvik.Kortvik-tray-loggedout.svg"),
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\">"
                  "<rect width=\"16\" height=\"16\" fill=\"#ff0000\"/></svg>\n"));
    const QStringList paths = QIcon::themeSearchPaths();
    const QString name = QIcon::themeName();
    QIcon::setThemeSearchPaths({themes.path()});
    QIcon::setThemeName(QStringLiteral("hicolor"));
    const QImage image = trayIcon(state, false).pixmap(22, 22).toImage();
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName(name);

    // The red square fills the corner that the program's card leaves clear.
    QCOMPARE(image.pixelColor(0, 0) == QColor(Qt::red), themed);
    QCOMPARE(image.pixelColor(11, 11) == QColor(Qt::red), themed);
}

void TestTrayState::withoutATrayNothingIsShown()
{
    // The offscreen platform has no tray.
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    KortvikTray tray;
    QVERIFY(!tray.isShown());
    tray.showMember(QStringLiteral("Kalle"));
    tray.showIMails(1, 1, {row(1, "Anna", "Hej", 0, true)});
    QVERIFY(tray.state().newMark());
}

QTEST_MAIN(TestTrayState)
#include "tst_traystate.moc"
