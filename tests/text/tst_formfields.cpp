#include <QRandomGenerator>
#include <QTest>

#include "formfieldreference.h"
#include "text/formfields.h"
#include "text/inputspan.h"

using namespace modGlobal;

namespace {

// Pages made of the pieces that matter to the patterns, in random order
// and letter case, with the usual ways a page goes wrong.
class PageMaker
{
public:
    explicit PageMaker(quint32 seed) : m_rng(seed) {}

    QString name()
    {
        static const QStringList names = {
            QStringLiteral("icq"),   QStringLiteral("email"), QStringLiteral("sign"),
            QStringLiteral("a"),     QStringLiteral("chk1"),  QStringLiteral("userid"),
            QStringLiteral("ab"),    QStringLiteral("aa"),    QStringLiteral("\u03C3x"),
            QStringLiteral("\u00E5k"), QStringLiteral("a\"b"), QStringLiteral("x y"),
            QStringLiteral("a\nb"), QStringLiteral("s\n\nk")};
        return names.at(pick(names.size()));
    }

    QString page()
    {
        QString out;
        const int lines = 1 + pick(8);
        for (int l = 0; l < lines; ++l) {
            const bool longLine = pick(20) == 0;
            const int tokens = longLine ? 200 + pick(400) : pick(14);
            for (int t = 0; t < tokens; ++t)
                out += token();
            out += pick(3) == 0 ? QStringLiteral("\r\n") : QStringLiteral("\n");
        }
        if (pick(4) == 0)
            out.chop(pick(2) && out.endsWith(QStringLiteral("\r\n")) ? 2 : 1);  // no final line end, or a lone CR
        return out;
    }

private:
    int pick(int n) { return static_cast<int>(m_rng.bounded(n)); }

    QString mixCase(const QString &s)
    {
        const int mode = pick(4);
        if (mode == 0)
            return s;
        if (mode == 1)
            return s.toUpper();
        QString out = s;
        for (QChar &c : out) {
            if (pick(2))
                c = c.toUpper();
        }
        return out;
    }

    QString nameVariant()
    {
        QString n = name();
        switch (pick(6)) {
        case 0: n = mixCase(n); break;
        case 1: n.replace(QLatin1Char('s'), QChar(0x017F)); break;  // long s
        case 2: n.replace(QLatin1Char('k'), QChar(0x212A)); break;  // Kelvin sign
        case 3: n.replace(QChar(0x03C3), QChar(0x03C2)); break;     // final sigma
        default: break;
        }
        return n;
    }

    QString element()
    {
        QStringList attrs;
        const QString n = QStringLiteral("name=\"") + nameVariant() + QStringLiteral("\"");
        const QString v = QStringLiteral("value=\"") + text() + QStringLiteral("\"");
        attrs << mixCase(QStringLiteral("type=\"text\"")) << n << v;
        if (pick(3) == 0)
            attrs << (pick(2) ? QStringLiteral("checked") : QStringLiteral("CHECKED"));
        if (pick(3) == 0)
            attrs << v;
        for (int i = attrs.size() - 1; i > 0; --i)
            attrs.swapItemsAt(i, pick(i + 1));
        QString e = mixCase(QStringLiteral("<input")) + QLatin1Char(' ') + attrs.join(QLatin1Char(' '));
        // Broken markup now and then: a quote or the closing > goes missing.
        const int damage = pick(8);
        if (damage == 0) {
            const qsizetype q = e.lastIndexOf(QLatin1Char('"'));
            if (q >= 0)
                e.remove(q, 1);
        }
        if (damage != 1)
            e += QLatin1Char('>');
        return e;
    }

    QString text()
    {
        static const QStringList bits = {QStringLiteral("x"), QStringLiteral(" "), QStringLiteral("12"),
                                         QStringLiteral("checked"), QStringLiteral(">"), QStringLiteral("\u00E4"),
                                         QStringLiteral("&amp;"), QStringLiteral("\r")};
        QString out;
        for (int i = pick(4); i > 0; --i)
            out += bits.at(pick(bits.size()));
        return out;
    }

    QString token()
    {
        switch (pick(16)) {
        case 0: case 1: case 2: case 3: return element();
        case 4: return mixCase(QStringLiteral("<input"));
        case 5: return mixCase(QStringLiteral(" name=\"")) + nameVariant();
        case 6: return mixCase(QStringLiteral(" value=\"")) + text();
        case 7: return QStringLiteral("\"");
        case 8: return QStringLiteral(">");
        case 9: return QStringLiteral(" checked ");
        case 10: return QStringLiteral("\r");
        case 11: return QStringLiteral("<br>");
        case 12: return QString::fromUcs4(U"\U0001F600", 1);
        case 13: return QStringLiteral("\n");
        default: return text();
        }
    }

    QRandomGenerator m_rng;
};

} // namespace

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
    // Against a regular-expression engine on generated pages.
    void agreesWithRegexEngine_data();
    void agreesWithRegexEngine();
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

void TstFormFields::agreesWithRegexEngine_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("pages");
    // Fixed seeds: a failure repeats exactly.
    QTest::newRow("seed 1") << 1u << 1500;
    QTest::newRow("seed 2") << 2u << 1500;
    QTest::newRow("seed 20240611") << 20240611u << 1500;
}

void TstFormFields::agreesWithRegexEngine()
{
    QFETCH(quint32, seed);
    QFETCH(int, pages);
    PageMaker maker(seed);
    int matched = 0;
    int valueFirstOnly = 0;
    int acrossLines = 0;
    for (int i = 0; i < pages; ++i) {
        const QString page = maker.page();
        for (int k = 0; k < 4; ++k) {
            const QString name = maker.name();
            const auto first = formfieldreference::match(page, name, true);
            const auto second = formfieldreference::match(page, name, false);
            const QString ownFirst = inputSpan(page, name, FieldOrder::NameBeforeValue).toString();
            const QString ownSecond = inputSpan(page, name, FieldOrder::ValueBeforeName).toString();
            const QByteArray context = QStringLiteral("page %1, name %2 [own %3|%4] [engine %5|%6]: %7")
                                           .arg(i)
                                           .arg(name, ownFirst, ownSecond, first.text, second.text,
                                                page.left(2000))
                                           .toUtf8()
                                           .toPercentEncoding(" <>=\"&;!?/*()[]{}:,.-_'");
            QVERIFY2(ownFirst == (first.matched ? first.text : QString()), context.constData());
            QVERIFY2(ownSecond == (second.matched ? second.text : QString()), context.constData());

            const auto either = first.matched ? first : second;
            QVERIFY2(formFieldValue(name, page) == formfieldreference::value(either), context.constData());
            QVERIFY2(isFieldChecked(name, page) == formfieldreference::checked(either), context.constData());
            matched += either.matched;
            valueFirstOnly += !first.matched && second.matched;
            acrossLines += either.matched && name.contains(QLatin1Char('\n'));
        }
    }
    // The generator must exercise both outcomes and both orders.
    QVERIFY(matched > pages / 2);
    QVERIFY(matched < pages * 4);
    QVERIFY(valueFirstOnly > 0);
    QVERIFY(acrossLines > 0);
    qInfo("%d of %d look-ups matched, %d only value first, %d across lines", matched, pages * 4,
          valueFirstOnly, acrossLines);
}

QTEST_APPLESS_MAIN(TstFormFields)
#include "tst_formfields.moc"
