#include <QTest>

#include "text/cp1252.h"
#include "text/textutil.h"

using namespace modGlobal;

namespace {
const QString CR = QStringLiteral("\r");
const QString LF = QStringLiteral("\n");
const QString CRLF = QStringLiteral("\r\n");
} // namespace

class TstTextUtil : public QObject
{
    Q_OBJECT
private slots:
    void urlEncode_data();
    void urlEncode();
    void urlEncodeEveryByte();
    void urlEncodeLongValue();
    void htmlDecode_data();
    void htmlDecode();
    void htmlDecodeManyUnterminatedReferences();
    void containsText_data();
    void containsText();
    void cutBetween_data();
    void cutBetween();
};

void TstTextUtil::urlEncode_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("encoded");

    QTest::newRow("outer blanks trimmed, letters above 127")
        << QStringLiteral("  Åsa Öberg ") << QStringLiteral("%C5sa+%D6berg");
    QTest::newRow("CR LF") << (QStringLiteral("a") + CR + LF + QStringLiteral("b"))
                           << QStringLiteral("a%0D%0Ab");
    QTest::newRow("percent") << QStringLiteral("50%") << QStringLiteral("50%25");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("all blanks") << QStringLiteral("    ") << QString();
    QTest::newRow("inner blanks kept as plus") << QStringLiteral("a  b") << QStringLiteral("a++b");
    QTest::newRow("punctuation is encoded")
        << QStringLiteral("-._*+") << QStringLiteral("%2D%2E%5F%2A%2B");
    QTest::newRow("tab is content, not trimmed")
        << QStringLiteral("\tx\t") << QStringLiteral("%09x%09");
    QTest::newRow("only blanks trimmed, line breaks stay")
        << (CRLF + QStringLiteral(" a ") + CRLF) << QStringLiteral("%0D%0A+a+%0D%0A");
    QTest::newRow("Swedish lower case") << QStringLiteral("åäö") << QStringLiteral("%E5%E4%F6");
    QTest::newRow("code page above 127 (euro, dash)")
        << QStringLiteral("€–") << QStringLiteral("%80%96");
    QTest::newRow("no code in the code page") << QStringLiteral("a\u4E2Db")
                                               << QStringLiteral("a%3Fb");
    QTest::newRow("one character outside the BMP is one question mark")
        << (QStringLiteral("x") + QString::fromUcs4(U"\U0001F600", 1) + QStringLiteral("y"))
        << QStringLiteral("x%3Fy");
    QTest::newRow("alphanumerics pass") << QStringLiteral("AZaz09") << QStringLiteral("AZaz09");
    QTest::newRow("date") << QStringLiteral("1980-05-17") << QStringLiteral("1980%2D05%2D17");
}

void TstTextUtil::urlEncode()
{
    QFETCH(QString, value);
    QFETCH(QString, encoded);
    QCOMPARE(modGlobal::urlEncode(value), encoded);
}

void TstTextUtil::urlEncodeEveryByte()
{
    // Every character of the code page: decode of the output gives it back.
    for (int b = 1; b < 256; ++b) {
        const QChar c = cp1252::character(static_cast<unsigned char>(b));
        const QString enc = modGlobal::urlEncode(QStringLiteral("<") + c + QStringLiteral(">"));
        QVERIFY2(enc.startsWith(QStringLiteral("%3C")) && enc.endsWith(QStringLiteral("%3E")),
                 qPrintable(enc));
        const QString mid = enc.mid(3, enc.size() - 6);
        const bool alnum = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
        if (alnum) {
            QCOMPARE(mid, QString(c));
        } else if (b == ' ') {
            QCOMPARE(mid, QStringLiteral("+"));
        } else {
            QCOMPARE(mid.size(), 3);
            QCOMPARE(mid.at(0), QLatin1Char('%'));
            QCOMPARE(mid.mid(1), QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper());
        }
    }
}

void TstTextUtil::urlEncodeLongValue()
{
    // Beyond 32,767 characters nothing is cut off.
    const QString value = QString(40000, QLatin1Char('a')) + QStringLiteral("ö");
    const QString enc = modGlobal::urlEncode(value);
    QCOMPARE(enc.size(), 40003);
    QVERIFY(enc.endsWith(QStringLiteral("a%F6")));
}

void TstTextUtil::htmlDecode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("decoded");

    QTest::newRow("named entities") << QStringLiteral("R&amp;B &lt;3") << QStringLiteral("R&B <3");
    QTest::newRow("decoded once only") << QStringLiteral("&amp;lt;") << QStringLiteral("&lt;");
    QTest::newRow("gt and quot") << QStringLiteral("&gt;&quot;") << QStringLiteral(">\"");
    QTest::newRow("decimal å") << QStringLiteral("s&#229;g") << QStringLiteral("såg");
    QTest::newRow("apostrophe") << QStringLiteral("it&#39;s") << QStringLiteral("it's");
    QTest::newRow("leading zero not decoded") << QStringLiteral("&#0229;") << QStringLiteral("#0229;");
    QTest::newRow("zero itself") << QStringLiteral("a&#0;b") << (QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
    QTest::newRow("255") << QStringLiteral("&#255;") << QStringLiteral("ÿ");
    QTest::newRow("code page, not Latin-1") << QStringLiteral("&#128;&#150;") << QStringLiteral("€–");
    QTest::newRow("above 255") << QStringLiteral("x&#256;y") << QStringLiteral("x#256;y");
    QTest::newRow("far above 255") << QStringLiteral("&#8364;") << QStringLiteral("#8364;");
    QTest::newRow("negative") << QStringLiteral("&#-5;") << QStringLiteral("#-5;");
    QTest::newRow("plus sign") << QStringLiteral("&#+5;") << QStringLiteral("#+5;");
    QTest::newRow("blank inside") << QStringLiteral("&# 65;") << QStringLiteral("# 65;");
    QTest::newRow("hexadecimal loses its ampersand") << QStringLiteral("&#x41;") << QStringLiteral("#x41;");
    QTest::newRow("no semicolon anywhere after") << QStringLiteral("a&#65 b") << QStringLiteral("a#65 b");
    QTest::newRow("semicolon far away") << QStringLiteral("&#65 and more;") << QStringLiteral("#65 and more;");
    QTest::newRow("empty number") << QStringLiteral("&#;") << QStringLiteral("#;");
    QTest::newRow("lone ampersand") << QStringLiteral("a & b") << QStringLiteral("a & b");
    QTest::newRow("upper-case names stay") << QStringLiteral("&AMP;&LT;") << QStringLiteral("&AMP;&LT;");
    QTest::newRow("other named entity stays") << QStringLiteral("&nbsp;&auml;") << QStringLiteral("&nbsp;&auml;");
    QTest::newRow("trailing ampersand") << QStringLiteral("x&") << QStringLiteral("x&");
    QTest::newRow("trailing &#") << QStringLiteral("x&#") << QStringLiteral("x#");
    QTest::newRow("truncated entity") << QStringLiteral("&am") << QStringLiteral("&am");
    QTest::newRow("two numbers") << QStringLiteral("&#65;&#66;") << QStringLiteral("AB");
    QTest::newRow("reference then unterminated")
        << QStringLiteral("&#65;&#66") << QStringLiteral("A#66");
    QTest::newRow("empty") << QString() << QString();
}

void TstTextUtil::htmlDecode()
{
    QFETCH(QString, text);
    QFETCH(QString, decoded);
    QCOMPARE(modGlobal::htmlDecode(text), decoded);
}

void TstTextUtil::htmlDecodeManyUnterminatedReferences()
{
    // Every "&#" but the last sees "1&#1..." up to the one ';' at the end
    // and loses its ampersand; the last one is a reference to code 1.
    QString text;
    QString expected;
    for (int i = 0; i < 20000; ++i) {
        text += QStringLiteral("&#1");
        expected += QStringLiteral("#1");
    }
    text += u';';
    expected.chop(2);
    expected += QChar(1);
    QCOMPARE(modGlobal::htmlDecode(text), expected);
}

void TstTextUtil::containsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("part");
    QTest::addColumn<bool>("contained");
    QTest::newRow("case-sensitive") << QStringLiteral("abc") << QStringLiteral("B") << false;
    QTest::newRow("found") << QStringLiteral("abc") << QStringLiteral("bc") << true;
    QTest::newRow("at start") << QStringLiteral("abc") << QStringLiteral("a") << true;
    QTest::newRow("longer part") << QStringLiteral("ab") << QStringLiteral("abc") << false;
    QTest::newRow("no folding of å") << QStringLiteral("Å") << QStringLiteral("å") << false;
}

void TstTextUtil::containsText()
{
    QFETCH(QString, text);
    QFETCH(QString, part);
    QFETCH(bool, contained);
    QCOMPARE(modGlobal::containsText(text, part), contained);
}

void TstTextUtil::cutBetween_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("cut");

    QTest::newRow("no end after the start") << QStringLiteral("a=1;b=2") << QStringLiteral("b=")
                                            << QStringLiteral(";") << QString();
    QTest::newRow("text after") << QStringLiteral("a=1;b=2") << QStringLiteral("b=") << QString()
                                << QStringLiteral("2");
    QTest::newRow("absent start") << QStringLiteral("x") << QStringLiteral("y") << QString() << QString();
    QTest::newRow("first line") << (QStringLiteral("one") + CRLF + QStringLiteral("two")) << QString()
                                << CRLF << QStringLiteral("one");
    QTest::newRow("rest") << (QStringLiteral("one") + CRLF + QStringLiteral("two")) << CRLF << QString()
                          << QStringLiteral("two");
    QTest::newRow("single line has no first line") << QStringLiteral("two") << QString() << CRLF
                                                   << QString();
    QTest::newRow("both empty") << QStringLiteral("whole") << QString() << QString()
                                << QStringLiteral("whole");
    QTest::newRow("first occurrences") << QStringLiteral("[a][b]") << QStringLiteral("[")
                                       << QStringLiteral("]") << QStringLiteral("a");
    QTest::newRow("end searched after the start")
        << QStringLiteral("];[x]") << QStringLiteral("[") << QStringLiteral("]") << QStringLiteral("x");
    QTest::newRow("empty between") << QStringLiteral("ab") << QStringLiteral("a") << QStringLiteral("b")
                                   << QString();
    QTest::newRow("markers overlap not")
        << QStringLiteral("aXa") << QStringLiteral("aXa") << QStringLiteral("a") << QString();
    QTest::newRow("case-sensitive markers")
        << QStringLiteral("Value=\"1\"") << QStringLiteral("value=\"") << QStringLiteral("\"") << QString();
    QTest::newRow("start marker at the end") << QStringLiteral("abc") << QStringLiteral("c")
                                             << QString() << QString();
}

void TstTextUtil::cutBetween()
{
    QFETCH(QString, text);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, cut);
    QCOMPARE(modGlobal::cutBetween(text, start, end), cut);
}

QTEST_APPLESS_MAIN(TstTextUtil)
#include "tst_textutil.moc"
