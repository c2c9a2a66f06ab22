// Window-free rules of the profile editor: month lengths, the wait
// animation, and how fill and commit fold the fields the controls cannot
// show as they are (the editor itself is driven in tst_frmsetuserdata).
#include <QTest>

#include "profile/birthdate.h"
#include "profile/profileform.h"
#include "profile/waitbounce.h"

using namespace modGlobal;

class TstProfileForm : public QObject
{
    Q_OBJECT
private slots:
    void daysInMonth_data();
    void daysInMonth();
    void waitBounce();
    void foldedFields_data();
    void foldedFields();
    void townRule_data();
    void townRule();
    void birthDateCommit_data();
    void birthDateCommit();
};

void TstProfileForm::daysInMonth_data()
{
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("days");
    QTest::newRow("month 0 is the day before 1 January") << 0 << 2003 << 31;
    QTest::newRow("February, leap year") << 2 << 2004 << 29;
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

void TstProfileForm::foldedFields_data()
{
    QTest::addColumn<QString>("sex");
    QTest::addColumn<int>("age");
    QTest::addColumn<int>("relation");
    QTest::addColumn<bool>("male");  // "Kille" shown
    QTest::addColumn<int>("agePosition");
    QTest::addColumn<bool>("professional");
    QTest::addColumn<int>("storedAge");       // committed untouched
    QTest::addColumn<int>("storedRelation");  // committed untouched
    QTest::newRow("k, first age, 3") << "k" << 1 << 3 << true << 0 << true << 1 << 3;
    QTest::newRow("m, last age, 2") << "m" << 8 << 2 << false << 7 << false << 8 << 2;
    QTest::newRow("empty sex, age 0, relation 1") << "" << 0 << 1 << false << -1 << false << 0 << 2;
    QTest::newRow("upper-case K, age 9, relation 4") << "K" << 9 << 4 << false << -1 << false << 0 << 2;
    QTest::newRow("age -1, relation 0") << "m" << -1 << 0 << false << -1 << false << 0 << 2;
}

void TstProfileForm::foldedFields()
{
    QFETCH(bool, male);
    QFETCH(int, agePosition);
    QFETCH(bool, professional);
    ProfileRecord r;
    QFETCH(QString, sex);
    r.sex = sex;
    QFETCH(int, age);
    r.age = age;
    QFETCH(int, relation);
    r.relation = relation;
    const ProfileForm filled = profileFormFor(r);
    QCOMPARE(filled.male, male);
    QCOMPARE(filled.agePosition, agePosition);
    QCOMPARE(filled.professional, professional);

    QCOMPARE(checkProfileForm(filled, filled, r), CommitCheck::Ok);
    commitProfileForm(filled, filled, r);
    QCOMPARE(r.sex, male ? QStringLiteral("k") : QStringLiteral("m"));
    QTEST(r.age, "storedAge");
    QTEST(r.relation, "storedRelation");

    // The member turns each of them over.
    ProfileForm form = filled;
    form.male = !male;
    form.professional = !professional;
    form.agePosition = agePosition < 0 ? 3 : -1;
    commitProfileForm(form, filled, r);
    QCOMPARE(r.sex, male ? QStringLiteral("m") : QStringLiteral("k"));
    QCOMPARE(r.relation, professional ? 2 : 3);
    QCOMPARE(r.age, agePosition < 0 ? 4 : 0);
}

void TstProfileForm::townRule_data()
{
    QTest::addColumn<QString>("shown");  // the member's town at filling
    QTest::addColumn<QString>("text");   // the town box at commit
    QTest::addColumn<bool>("everySlotNamed");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("homecity");
    // Umeå is in slots 3 and 5; the member lives in 5.
    QTest::newRow("unchanged town keeps its id") << "Umeå" << "Umeå" << false << true << 5;
    QTest::newRow("new town moves to its slot") << "Umeå" << "Luleå" << false << true << 7;
    QTest::newRow("another name of the same town finds the first slot") << "Ort 9" << "Umeå" << true << true << 3;
    QTest::newRow("case differs") << "Umeå" << "umeå" << false << false << 5;
    QTest::newRow("trailing space") << "Umeå" << "Umeå " << false << false << 5;
    QTest::newRow("empty text finds the first empty slot") << "Umeå" << "" << false << true << 0;
    QTest::newRow("empty text, every slot named") << "Umeå" << "" << true << false << 5;
    QTest::newRow("unchanged town the list lacks") << "Ingenstans" << "Ingenstans" << false << false << 5;
}

void TstProfileForm::townRule()
{
    QFETCH(QString, shown);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    ProfileRecord r;
    QFETCH(bool, everySlotNamed);
    if (everySlotNamed) {
        for (int i = 0; i < kTownCount; ++i)
            r.towns[static_cast<size_t>(i)] = QStringLiteral("Ort %1").arg(i);
    }
    r.towns[3] = r.towns[5] = QStringLiteral("Umeå");
    r.towns[7] = QStringLiteral("Luleå");
    r.homecity = 5;
    r.homecityName = shown;
    const ProfileForm filled = profileFormFor(r);
    QCOMPARE(filled.town, shown);
    ProfileForm form = filled;
    form.town = text;
    form.firstName = QStringLiteral("Ny");

    const ProfileRecord before = r;
    QCOMPARE(checkProfileForm(form, filled, r), ok ? CommitCheck::Ok : CommitCheck::BadTown);
    if (ok) {
        commitProfileForm(form, filled, r);
        QCOMPARE(r.homecityName, text);
        QCOMPARE(r.firstname, QStringLiteral("Ny"));
    } else {
        QCOMPARE(r, before);
    }
    QTEST(r.homecity, "homecity");
}

void TstProfileForm::birthDateCommit_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("filled");  // year, month, day as filled
    QTest::addColumn<QStringList>("chosen");  // ... and at commit
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("committed");
    const QStringList none = {"", "", ""};
    QTest::newRow("nothing stored, nothing chosen") << "" << none << none << true << "--";
    QTest::newRow("nothing stored, a date chosen")
        << "" << none << QStringList{"1990", "02", "12"} << true << "1990-02-12";
    QTest::newRow("a year alone") << "" << none << QStringList{"1990", "", ""} << false << "";
    QTest::newRow("year and month") << "" << none << QStringList{"1990", "06", ""} << false << "";
    QTest::newRow("shown date, another day")
        << "1980-05-17" << QStringList{"1980", "05", "17"} << QStringList{"1980", "05", "18"} << true << "1980-05-18";
    QTest::newRow("unshowable date, untouched") << "1976-2-9" << none << none << true << "1976-2-9";
    QTest::newRow("unshowable date, year kept from before")
        << "1976-2-9" << QStringList{"1990", "", ""} << QStringList{"1990", "", ""} << true << "1976-2-9";
    QTest::newRow("unshowable date, a year chosen") << "1976-2-9" << none << QStringList{"1990", "", ""} << false
                                                    << "1976-2-9";
    QTest::newRow("unshowable date replaced")
        << "1899-05-05" << none << QStringList{"1990", "02", "12"} << true << "1990-02-12";
}

void TstProfileForm::birthDateCommit()
{
    QFETCH(QStringList, filled);
    QFETCH(QStringList, chosen);
    QFETCH(bool, ok);
    ProfileRecord r;
    QFETCH(QString, stored);
    r.strBirthday = stored;
    ProfileForm was = profileFormFor(r);
    was.birthYear = filled[0];
    was.birthMonth = filled[1];
    was.birthDay = filled[2];
    ProfileForm form = was;
    form.birthYear = chosen[0];
    form.birthMonth = chosen[1];
    form.birthDay = chosen[2];
    QCOMPARE(checkProfileForm(form, was, r), ok ? CommitCheck::Ok : CommitCheck::BadBirthDate);
    if (ok)
        commitProfileForm(form, was, r);
    QTEST(r.strBirthday, ok ? "committed" : "stored");
}

QTEST_APPLESS_MAIN(TstProfileForm)
#include "tst_profileform.moc"
