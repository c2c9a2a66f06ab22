// Window-free rules of the profile editor: birth date arithmetic, the
// knowledge bars, the wait animation, and the commit of the form.
#include <QTest>

#include "profile/birthdate.h"
#include "profile/knowledgebars.h"
#include "profile/profileform.h"
#include "profile/waitbounce.h"

using namespace modGlobal;

Q_DECLARE_METATYPE(modGlobal::CommitCheck)

class TstProfileForm : public QObject
{
    Q_OBJECT
private slots:
    void daysInMonth_data();
    void daysInMonth();
    void parseBirthDate_data();
    void parseBirthDate();
    void dayKeptOrClamped();
    void pendingRule();
    void knowledgeBars_data();
    void knowledgeBars();
    void waitBounce();
    void commit_data();
    void commit();
    void fillFoldsValuesTheControlsCannotShow();
};

void TstProfileForm::daysInMonth_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("days");
    QTest::newRow("month 0 is the day before 1 January") << 0 << 2003 << 31;
    QTest::newRow("January") << 1 << 2003 << 31;
    QTest::newRow("February, leap year") << 2 << 2004 << 29;
    QTest::newRow("February, common year") << 2 << 2003 << 28;
    QTest::newRow("February 1900, century") << 2 << 1900 << 28;
    QTest::newRow("February 2000, 400th year") << 2 << 2000 << 29;
    QTest::newRow("April") << 4 << 2003 << 30;
    QTest::newRow("December rolls into next year") << 12 << 1999 << 31;
}

void TstProfileForm::daysInMonth()
{
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(int, days);
    QCOMPARE(modGlobal::daysInMonth(month, year), days);
}

void TstProfileForm::parseBirthDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::newRow("leap day") << "1976-02-29" << true << 1976 << 2 << 29;
    QTest::newRow("no leading zeros") << "1976-2-9" << false << 0 << 0 << 0;
    QTest::newRow("not a date") << "1975-02-29" << false << 0 << 0 << 0;
    QTest::newRow("month 13") << "1980-13-01" << false << 0 << 0 << 0;
    QTest::newRow("empty") << "" << false << 0 << 0 << 0;
    QTest::newRow("two hyphens") << "--" << false << 0 << 0 << 0;
    QTest::newRow("longer") << "1980-05-17 " << false << 0 << 0 << 0;
    QTest::newRow("before the list") << "1899-12-31" << true << 1899 << 12 << 31;
}

void TstProfileForm::parseBirthDate()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const BirthDate d = modGlobal::parseBirthDate(text);
    QCOMPARE(d.valid, valid);
    if (valid) {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QCOMPARE(d.year, year);
        QCOMPARE(d.month, month);
        QCOMPARE(d.day, day);
    }
}

void TstProfileForm::dayKeptOrClamped()
{
    // (previous position, days in the new month) -> position
    QCOMPARE(dayIndexAfterRebuild(14, 28), 14);
    QCOMPARE(dayIndexAfterRebuild(30, 29), 28);
    QCOMPARE(dayIndexAfterRebuild(28, 28), 27);
    QCOMPARE(dayIndexAfterRebuild(-1, 31), 30);
}

void TstProfileForm::pendingRule()
{
    DateIndexes last;
    QVERIFY(!notePickerPosition(last, 2, 5, true));  // loading records silently
    QCOMPARE(last.year, 5);
    QVERIFY(!notePickerPosition(last, 2, 5, false));  // same entry again
    QVERIFY(notePickerPosition(last, 2, 6, false));
    QVERIFY(notePickerPosition(last, 0, 3, false));
    QCOMPARE(last.day, 3);
    QCOMPARE(last.month, -1);
}

void TstProfileForm::knowledgeBars_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("length");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::newRow("level 0: nothing") << 120 << 0 << 0 << QRect() << 0 << 0 << 0;
    QTest::newRow("level 1 red quarter") << 120 << 1 << 30 << QRect(QPoint(1, 1), QPoint(28, 15)) << 255 << 0 << 0;
    QTest::newRow("level 2 orange half") << 120 << 2 << 60 << QRect(QPoint(1, 1), QPoint(58, 15)) << 255 << 153 << 0;
    QTest::newRow("level 3 yellow three quarters")
        << 120 << 3 << 90 << QRect(QPoint(1, 1), QPoint(88, 15)) << 255 << 255 << 0;
    QTest::newRow("level 4 green whole") << 120 << 4 << 120 << QRect(QPoint(1, 1), QPoint(118, 15)) << 0 << 255 << 0;
    QTest::newRow("half to even, down") << 10 << 1 << 2 << QRect(QPoint(1, 1), QPoint(0, 15)) << 255 << 0 << 0;
    QTest::newRow("half to even, up") << 10 << 3 << 8 << QRect(QPoint(1, 1), QPoint(6, 15)) << 255 << 255 << 0;
    QTest::newRow("level 9 is no level") << 120 << 9 << 0 << QRect() << 0 << 0 << 0;
}

void TstProfileForm::knowledgeBars()
{
    QFETCH(int, width);
    QFETCH(int, level);
    QFETCH(int, length);
    QFETCH(QRect, rect);
    QCOMPARE(knowledgeBarLength(width, level), length);
    // A bar too short to have an inside draws nothing.
    QCOMPARE(knowledgeBarRect(QSize(width, 17), level), rect.isValid() ? rect : QRect());
    if (length > 0) {
        QFETCH(int, red);
        QFETCH(int, green);
        QFETCH(int, blue);
        QCOMPARE(knowledgeBarColour(level), (BarColour{red, green, blue}));
    }
}

void TstProfileForm::waitBounce()
{
    WaitBounce b;
    QList<double> seen;
    for (int i = 0; i < 42; ++i) {
        b.tick();
        seen << b.value;
    }
    // Up to 20, down to 1, the turn at 0.0001, then up from 1: 40 ticks a round.
    QCOMPARE(seen.mid(0, 3), (QList<double>{1, 2, 3}));
    QCOMPARE(seen[19], 20.0);
    QCOMPARE(seen[20], 19.0);
    QCOMPARE(b.direction, QStringLiteral("up"));
    QCOMPARE(seen[38], 1.0);
    QCOMPARE(seen[39], 0.0001);
    QCOMPARE(seen[40], 1.0);
    QCOMPARE(seen[41], 2.0);
}

namespace {

ProfileRecord townRecord()
{
    ProfileRecord r;
    r.towns[3] = QStringLiteral("Umeå");
    r.towns[7] = QStringLiteral("Luleå");
    r.towns[8] = QStringLiteral("Luleå");  // a name twice: the first slot wins
    r.homecity = 7;
    r.homecityName = QStringLiteral("Luleå");
    r.age = 9;
    r.relation = 1;
    r.strBirthday = QStringLiteral("1980-5-17");
    r.sex = QStringLiteral("m");
    return r;
}

} // namespace

void TstProfileForm::commit_data()
{
    QTest::addColumn<QString>("town");
    QTest::addColumn<QStringList>("birth");  // year, month, day as the member left them
    QTest::addColumn<int>("agePosition");
    QTest::addColumn<bool>("professional");
    QTest::addColumn<CommitCheck>("check");
    QTest::addColumn<int>("homecity");
    QTest::addColumn<QString>("strBirthday");
    QTest::addColumn<int>("age");
    QTest::addColumn<int>("relation");

    const QStringList none = {QString(), QString(), QString()};
    QTest::newRow("untouched: the site's values come back")
        << "Luleå" << none << -1 << false << CommitCheck::Ok << 7 << "1980-5-17" << 9 << 1;
    QTest::newRow("a new town moves the member")
        << "Umeå" << none << -1 << false << CommitCheck::Ok << 3 << "1980-5-17" << 9 << 1;
    QTest::newRow("letter case differs: rejected")
        << "umeå" << none << -1 << false << CommitCheck::BadTown << 7 << "1980-5-17" << 9 << 1;
    QTest::newRow("emptied town box: rejected")
        << "" << none << -1 << false << CommitCheck::BadTown << 7 << "1980-5-17" << 9 << 1;
    QTest::newRow("complete date, age and type chosen")
        << "Luleå" << QStringList{"1980", "05", "17"} << 2 << true << CommitCheck::Ok << 7 << "1980-05-17" << 3 << 3;
    QTest::newRow("year without month: rejected")
        << "Luleå" << QStringList{"1980", "", ""} << -1 << false << CommitCheck::BadBirthDate << 7 << "1980-5-17"
        << 9 << 1;
}

void TstProfileForm::commit()
{
    QFETCH(QString, town);
    QFETCH(QStringList, birth);
    QFETCH(int, agePosition);
    QFETCH(bool, professional);
    QFETCH(CommitCheck, check);

    ProfileRecord record = townRecord();
    const ProfileForm filled = profileFormFor(record);
    QCOMPARE(filled.town, QStringLiteral("Luleå"));
    QCOMPARE(filled.agePosition, -1);
    QVERIFY(!filled.professional);

    ProfileForm form = filled;
    form.town = town;
    form.birthYear = birth[0];
    form.birthMonth = birth[1];
    form.birthDay = birth[2];
    form.agePosition = agePosition;
    form.professional = professional;
    const ProfileForm &baseline = filled;
    QCOMPARE(checkProfileForm(form, baseline, record), check);
    if (check != CommitCheck::Ok)
        return;
    commitProfileForm(form, baseline, record);
    QTEST(record.homecity, "homecity");
    QCOMPARE(record.homecityName, town);
    QTEST(record.strBirthday, "strBirthday");
    QTEST(record.age, "age");
    QTEST(record.relation, "relation");
}

void TstProfileForm::fillFoldsValuesTheControlsCannotShow()
{
    ProfileRecord r;
    r.chatWelcomeEnabled = false;
    r.strChatWelcome = QStringLiteral("Hej");
    r.sex = QStringLiteral("x");
    r.relation = 3;
    r.age = 8;
    r.chk3 = false;
    r.knowledgeLevels = {0, 1, 2, 3, 4, 9, -1, 0, 0, 0, 0};
    const ProfileForm f = profileFormFor(r);
    QCOMPARE(f.chatfras, QStringLiteral("Bli bonusmedlem!"));
    QVERIFY(!f.chatfrasEnabled);
    QVERIFY(!f.male);
    QVERIFY(f.professional);
    QCOMPARE(f.agePosition, 7);
    QVERIFY(f.anonym);
    QCOMPARE(f.knowledge[4], 4);
    QCOMPARE(f.knowledge[5], 0);
    QCOMPARE(f.knowledge[6], 0);

    // Every control copied back: a commit of an untouched form changes
    // only the greeting (the box's text, as shown).
    ProfileRecord after = r;
    commitProfileForm(f, f, after);
    QCOMPARE(after.strChatWelcome, QStringLiteral("Bli bonusmedlem!"));
    after.strChatWelcome = r.strChatWelcome;
    after.sex = r.sex;  // "x" shows as "Tjej", which stores "m"
    after.knowledgeLevels = r.knowledgeLevels;
    QCOMPARE(after, r);

    // "Jag arbetar med datorer" cleared by the member stores 2.
    ProfileForm cleared = f;
    cleared.professional = false;
    commitProfileForm(cleared, f, after);
    QCOMPARE(after.relation, 2);
}

QTEST_APPLESS_MAIN(TstProfileForm)
#include "tst_profileform.moc"
