#include <QTest>

#include "text/formfields.h"
#include "text/inputspan.h"

using namespace modGlobal;

class TstFormFields : public QObject
{
    Q_OBJECT
private slots:
    void readsField_data();
    void readsField();
    void spanOfEachOrder_data();
    void spanOfEachOrder();
    void nameTakenLiterally_data();
    void nameTakenLiterally();
    void longPagesStayCorrect();
    void onlyTwoLettersFoldIntoAscii();
};

void TstFormFields::readsField_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("checked");

    QTest::newRow("name before value")
        << QStringLiteral("<input type=\"text\" name=\"icq\" size=\"30\" value=\"1234\">")
        << QStringLiteral("icq") << QStringLiteral("1234") << false;
    QTest::newRow("value before name")
        << QStringLiteral("<input value=\"7\" type=\"hidden\" name=\"userid\">")
        << QStringLiteral("userid") << QStringLiteral("7") << false;
    QTest::newRow("upper-case attribute is found but gives no value")
        << QStringLiteral("<input type=\"checkbox\" name=\"x\" VALUE=\"x\" checked>")
        << QStringLiteral("x") << QString() << true;
    QTest::newRow("three blanks") << QStringLiteral("<input name=\"a\" value=\"   \">")
                                  << QStringLiteral("a") << QString() << false;
    QTest::newRow("blanks around kept") << QStringLiteral("<input name=\"a\" value=\" x \">")
                                        << QStringLiteral("a") << QStringLiteral(" x ") << false;
    QTest::newRow("tab is not blank") << QStringLiteral("<input name=\"a\" value=\"\t\">")
                                      << QStringLiteral("a") << QStringLiteral("\t") << false;
    QTest::newRow("entities not decoded") << QStringLiteral("<input name=\"a\" value=\"R&amp;B\">")
                                          << QStringLiteral("a") << QStringLiteral("R&amp;B") << false;
    QTest::newRow("two inputs on a line: the second name gets the first value")
        << QStringLiteral("<input name=\"a\" value=\"1\"><input name=\"b\" value=\"2\">")
        << QStringLiteral("b") << QStringLiteral("1") << false;
    QTest::newRow("upper-case CHECKED only") << QStringLiteral("<input type=\"checkbox\" name=\"chk1\" value=\"1\" CHECKED>")
                                             << QStringLiteral("chk1") << QStringLiteral("1") << false;
    QTest::newRow("checked, name first") << QStringLiteral("<input type=\"checkbox\" name=\"chk1\" value=\"1\" checked>")
                                         << QStringLiteral("chk1") << QStringLiteral("1") << true;
    QTest::newRow("checked, value first") << QStringLiteral("<input type=\"checkbox\" checked value=\"1\" name=\"chk2\">")
                                          << QStringLiteral("chk2") << QStringLiteral("1") << true;
    QTest::newRow("check box without value, name first")
        << QStringLiteral("<input type=\"checkbox\" name=\"chk1\" checked>") << QStringLiteral("chk1") << QString() << false;
    QTest::newRow("check box without value, checked first")
        << QStringLiteral("<input checked type=\"checkbox\" name=\"chk1\">") << QStringLiteral("chk1") << QString() << false;
    QTest::newRow("absent name") << QStringLiteral("<input name=\"a\" value=\"1\" checked>")
                                 << QStringLiteral("b") << QString() << false;
    QTest::newRow("name ignores case") << QStringLiteral("<input name=\"email\" value=\"a@b.se\">")
                                       << QStringLiteral("EMAIL") << QStringLiteral("a@b.se") << false;
    QTest::newRow("tag and attributes ignore case")
        << QStringLiteral("<INPUT NAME=\"Email\" Value=\"q\" value=\"a@b.se\">")
        << QStringLiteral("email") << QStringLiteral("a@b.se") << false;
    QTest::newRow("empty page") << QString() << QStringLiteral("a") << QString() << false;
    QTest::newRow("value on the next line does not count")
        << QStringLiteral("<input name=\"a\"\n value=\"1\">") << QStringLiteral("a") << QString() << false;
    QTest::newRow("a carriage return is an ordinary character")
        << QStringLiteral("<input name=\"a\"\r value=\"1\">") << QStringLiteral("a") << QStringLiteral("1") << false;
    QTest::newRow("CR LF lines, field on the second")
        << QStringLiteral("<input name=\"x\" value=\"0\">\r\n<input name=\"a\" value=\"1\" checked>\r\n")
        << QStringLiteral("a") << QStringLiteral("1") << true;
    QTest::newRow("span reaches the last > of the line")
        << QStringLiteral("<input name=\"a\" value=\"1\"> checked <br>")
        << QStringLiteral("a") << QStringLiteral("1") << true;
    QTest::newRow("text after the last > is outside")
        << QStringLiteral("<input name=\"a\" value=\"1\"> checked")
        << QStringLiteral("a") << QStringLiteral("1") << false;
    QTest::newRow("span starts at the first <input of the line")
        << QStringLiteral("<input value=\"v1\" name=\"zz\"> <input name=\"a\" value=\"2\">")
        << QStringLiteral("a") << QStringLiteral("v1") << false;
    QTest::newRow("name-first anywhere wins over an earlier value-first")
        << QStringLiteral("<input value=\"1\" name=\"a\">\n<input name=\"a\" value=\"2\">")
        << QStringLiteral("a") << QStringLiteral("2") << false;
    QTest::newRow("value-first when no line has name-first")
        << QStringLiteral("<input name=\"b\" value=\"0\">\n<input value=\"1\" name=\"a\">")
        << QStringLiteral("a") << QStringLiteral("1") << false;
    QTest::newRow("> inside the value") << QStringLiteral("<input name=\"a\" value=\"x>y\">")
                                        << QStringLiteral("a") << QStringLiteral("x>y") << false;
    QTest::newRow("value without closing quote")
        << QStringLiteral("<input name=\"a\" value=\"abc>") << QStringLiteral("a") << QString() << false;
    QTest::newRow("no closing >") << QStringLiteral("<input name=\"a\" value=\"1\"")
                                  << QStringLiteral("a") << QString() << false;
    QTest::newRow("> only before the value") << QStringLiteral("<input> name=\"a\" value=\"1\"")
                                             << QStringLiteral("a") << QString() << false;
    QTest::newRow("checked inside the value counts")
        << QStringLiteral("<input name=\"a\" value=\"checked\">") << QStringLiteral("a")
        << QStringLiteral("checked") << true;
    QTest::newRow("empty name") << QStringLiteral("<input name=\"\" value=\"e\">") << QString()
                                << QStringLiteral("e") << false;
    QTest::newRow("name is a whole attribute value, not a prefix")
        << QStringLiteral("<input name=\"icq2\" value=\"1\">") << QStringLiteral("icq") << QString() << false;
    QTest::newRow("long s folds to s, as the engine folds")
        << QStringLiteral("<input name=\"\u017Fign\" value=\"x\">") << QStringLiteral("sign")
        << QStringLiteral("x") << false;
    QTest::newRow("Kelvin sign folds to k")
        << QStringLiteral("<input name=\"chk1\" value=\"1\" checked>") << QStringLiteral("CH\u212A1")
        << QStringLiteral("1") << true;
    QTest::newRow("final sigma folds to sigma")
        << QStringLiteral("<input name=\"\u03A3\u03B1\u03C2\" value=\"g\">") << QStringLiteral("\u03C3\u03B1\u03C3")
        << QStringLiteral("g") << false;
    QTest::newRow("dotted capital I does not fold to i")
        << QStringLiteral("<\u0130nput name=\"a\" value=\"1\">") << QStringLiteral("a") << QString() << false;
    QTest::newRow("name outside the BMP")
        << (QStringLiteral("<input name=\"") + QString::fromUcs4(U"\U00010400", 1) + QStringLiteral("\" value=\"d\">"))
        << QString::fromUcs4(U"\U00010428", 1) << QStringLiteral("d") << false;
}

void TstFormFields::readsField()
{
    QFETCH(QString, page);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(bool, checked);
    QCOMPARE(formFieldValue(name, page), value);
    QCOMPARE(isFieldChecked(name, page), checked);
}

void TstFormFields::spanOfEachOrder_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("nameFirst");
    QTest::addColumn<QString>("valueFirst");

    QTest::newRow("one element per line")
        << QStringLiteral("<p>\n<input name=\"a\" value=\"1\">\n</p>") << QStringLiteral("a")
        << QStringLiteral("<input name=\"a\" value=\"1\">") << QString();
    QTest::newRow("both orders on one line")
        << QStringLiteral("x <input value=\"1\" name=\"a\" value=\"2\"> y") << QStringLiteral("a")
        << QStringLiteral("<input value=\"1\" name=\"a\" value=\"2\">")
        << QStringLiteral("<input value=\"1\" name=\"a\" value=\"2\">");
    QTest::newRow("from the first <input to the last > of the line")
        << QStringLiteral("<b><input><input name=\"a\" value=\"1\"><i>x</i></b>\n<input name=\"a\" value=\"2\">")
        << QStringLiteral("a")
        << QStringLiteral("<input><input name=\"a\" value=\"1\"><i>x</i></b>") << QString();
    QTest::newRow("a line feed inside the name spans lines")
        << QStringLiteral("<input name=\"a\nb\" value=\"1\"> >\n") << QStringLiteral("a\nb")
        << QStringLiteral("<input name=\"a\nb\" value=\"1\"> >") << QString();
    QTest::newRow("a line feed in the name needs the line to end there")
        << QStringLiteral("<input name=\"a x\nb\" value=\"1\">") << QStringLiteral("a\nb")
        << QString() << QString();
    QTest::newRow("value first, name with two line feeds")
        << QStringLiteral("<input value=\"v\" name=\"a\n\nb\">") << QStringLiteral("a\n\nb")
        << QString() << QStringLiteral("<input value=\"v\" name=\"a\n\nb\">");
}

void TstFormFields::spanOfEachOrder()
{
    QFETCH(QString, page);
    QFETCH(QString, name);
    QFETCH(QString, nameFirst);
    QFETCH(QString, valueFirst);
    QCOMPARE(inputSpan(page, name, FieldOrder::NameBeforeValue).toString(), nameFirst);
    QCOMPARE(inputSpan(page, name, FieldOrder::ValueBeforeName).toString(), valueFirst);
}

void TstFormFields::nameTakenLiterally_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");

    QTest::newRow("dot is a dot") << QStringLiteral("<input name=\"axb\" value=\"1\">")
                                  << QStringLiteral("a.b") << QString();
    QTest::newRow("dot found literally") << QStringLiteral("<input name=\"a.b\" value=\"1\">")
                                         << QStringLiteral("a.b") << QStringLiteral("1");
    QTest::newRow("open parenthesis") << QStringLiteral("<input name=\"(\" value=\"2\">")
                                      << QStringLiteral("(") << QStringLiteral("2");
    QTest::newRow("star and brackets") << QStringLiteral("<input name=\"[a]*\" value=\"3\">")
                                       << QStringLiteral("[a]*") << QStringLiteral("3");
    QTest::newRow("star does not repeat") << QStringLiteral("<input name=\"aaa\" value=\"3\">")
                                          << QStringLiteral("a*") << QString();
    QTest::newRow("backslash") << QStringLiteral("<input name=\"\\\" value=\"4\">")
                               << QStringLiteral("\\") << QStringLiteral("4");
    QTest::newRow("quote in name") << QStringLiteral("<input name=\"a\"\" value=\"5\">")
                                   << QStringLiteral("a\"") << QStringLiteral("5");
}

void TstFormFields::nameTakenLiterally()
{
    QFETCH(QString, page);
    QFETCH(QString, name);
    QFETCH(QString, value);
    QCOMPARE(formFieldValue(name, page), value);
}

void TstFormFields::longPagesStayCorrect()
{
    // A megabyte line of inputs that never name the field, then the field
    // on the last line: a backtracking engine would take ages here.
    QString page;
    for (int i = 0; i < 25000; ++i)
        page += QStringLiteral("<input name=\"f%1\" value=\"%1\"><input value=\"").arg(i);
    page += QStringLiteral("\r\n<input type=\"hidden\" name=\"userid\" value=\"4711\">\r\n");
    QVERIFY(page.size() > 1000000);
    QCOMPARE(formFieldValue(QStringLiteral("userid"), page), QStringLiteral("4711"));
    QCOMPARE(formFieldValue(QStringLiteral("f24999"), page), QStringLiteral("0"));
    QCOMPARE(formFieldValue(QStringLiteral("nothere"), page), QString());

    // Many lines that each start an input and then break off.
    QString broken;
    for (int i = 0; i < 50000; ++i)
        broken += QStringLiteral("<input name=\"a\" value=\"x\n");
    QCOMPARE(formFieldValue(QStringLiteral("a"), broken), QString());
    QVERIFY(!isFieldChecked(QStringLiteral("a"), broken));
}

void TstFormFields::onlyTwoLettersFoldIntoAscii()
{
    // The matcher skips ahead on the ASCII letters of a literal, which is
    // sound only while KELVIN SIGN and LONG S are the only characters
    // outside ASCII whose case folds into it.
    QList<char32_t> found;
    for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
        if (QChar::toCaseFolded(c) < 0x80)
            found << c;
    }
    QCOMPARE(found, (QList<char32_t>{0x017F, 0x212A}));
    QCOMPARE(formFieldValue(QStringLiteral("sk"), QStringLiteral("<input name=\"\u017F\u212A\" value=\"1\">")),
             QStringLiteral("1"));
}

QTEST_APPLESS_MAIN(TstFormFields)
#include "tst_formfields.moc"
