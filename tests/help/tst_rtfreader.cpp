// The RTF reader: each feature and each kind of broken input as table rows,
// the shipped help documents, and inputs too deep or too large to walk
// naively.
#include "help/rtfreader.h"

#include <QFile>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

namespace {

// A compact picture of the result: every format change is written as
// [flags] (b, i, u, fsN, c#rrggbb), paragraph ends as ¶, \line as ↵, tabs as →.
QString dump(const rtf::Document &d)
{
    QString out;
    for (qsizetype i = 0; i < d.spans.size(); ++i) {
        const rtf::Span &s = d.spans[i];
        const qsizetype end = i + 1 < d.spans.size() ? d.spans[i + 1].start : d.text.size();
        QStringList flags;
        if (s.format.bold)
            flags << "b";
        if (s.format.italic)
            flags << "i";
        if (s.format.underline)
            flags << "u";
        if (s.format.halfPoints != 24)
            flags << "fs" + QString::number(s.format.halfPoints);
        const int ci = s.format.color;
        if (ci > 0 && ci < d.colors.size() && !d.colors[ci].automatic) {
            const rtf::Color &c = d.colors[ci];
            flags << QString::asprintf("c#%02x%02x%02x", c.red, c.green, c.blue);
        }
        if (i > 0 || !flags.isEmpty())
            out += "[" + flags.join(',') + "]";
        QString t = d.text.mid(s.start, end - s.start);
        t.replace(QChar::ParagraphSeparator, u'¶').replace(QChar::LineSeparator, u'↵').replace(u'\t', u'→');
        out += t;
    }
    return out;
}

QByteArray repeated(const QByteArray &unit, qsizetype count)
{
    QByteArray out;
    out.reserve(unit.size() * count);
    for (qsizetype i = 0; i < count; ++i)
        out += unit;
    return out;
}

QString sourceDoc(const QString &relative)
{
    return QStringLiteral(KORTVIK_SOURCE_DIR "/docs/") + relative;
}

} // namespace

class tst_RtfReader : public QObject
{
    Q_OBJECT
private slots:
    void reads_data();
    void reads();
    void colourTable();
    void deepNesting_data();
    void deepNesting();
    void fiftyMebibytes();
    void documentFormats();
    void shippedDocuments_data();
    void shippedDocuments();
};

void tst_RtfReader::reads_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");

    // Features.
    QTest::newRow("groups restore the format") << QByteArray("{\\rtf1 Hej {\\b fet} text}") << "Hej [b]fet[] text";
    QTest::newRow("par, line, tab") << QByteArray("{\\rtf1 a\\par b\\line c\\tab d\tE}") << "a¶b↵c→d→E";
    QTest::newRow("pard changes nothing shown") << QByteArray("{\\rtf1\\pard a\\par\\pard\\plain b}") << "a¶b";
    QTest::newRow("line ends in the markup are not text")
        << QByteArray("{\\rtf1 a\r\nb\nc\\\r\nd}") << "abc¶d";
    QTest::newRow("bold, italic, underline on and off")
        << QByteArray("{\\rtf1\\b a\\b0 b\\i c\\i0\\ul d\\ulnone e\\ul f\\ul0 g}") << "[b]a[]b[i]c[u]d[]e[u]f[]g";
    QTest::newRow("font size") << QByteArray("{\\rtf1\\fs20 a{\\fs36 b}c\\fs d}") << "[fs20]a[fs36]b[fs20]c[]d";
    QTest::newRow("plain resets the characters")
        << QByteArray("{\\rtf1\\b\\i\\fs30 a\\plain b}") << "[b,i,fs30]a[]b";
    QTest::newRow("colours by index")
        << QByteArray("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue128;}\\cf2 a\\cf1 b\\cf0 c\\cf7 d}")
        << "[c#000080]a[c#ff0000]b[]c[]d";
    QTest::newRow("code page 1252") << QByteArray("{\\rtf1 sm\\'f6rg\\'e5s \\'80 \\'C4\\'d6}") << "smörgås € ÄÖ";
    QTest::newRow("raw 1252 bytes") << QByteArray("{\\rtf1 G\xe4st}") << "Gäst";
    QTest::newRow("unicode with one fallback") << QByteArray("{\\rtf1 \\u8364?x}") << "€x";
    QTest::newRow("unicode, fallback of two") << QByteArray("{\\rtf1\\uc2\\u8364 ab c}") << "€ c";
    QTest::newRow("unicode, no fallback") << QByteArray("{\\rtf1\\uc0\\u8364 x}") << "€x";
    QTest::newRow("unicode, fallback is an escape") << QByteArray("{\\rtf1 \\u246\\'f6x}") << "öx";
    QTest::newRow("unicode, negative number") << QByteArray("{\\rtf1 \\u-28?}") << QString(QChar(0xFFE4));
    QTest::newRow("unicode, surrogate pair")
        << QByteArray("{\\rtf1 \\u-10179?\\u-8704?}") << QString::fromUcs4(U"\U0001F600");
    QTest::newRow("unicode, a brace ends the fallback") << QByteArray("{\\rtf1\\uc3\\u8364{b}c}") << "€bc";
    QTest::newRow("uc is kept per group") << QByteArray("{\\rtf1{\\uc2 }\\u8364?x}") << "€x";
    QTest::newRow("tables, info and pictures skipped")
        << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fswiss Verdana;}}{\\stylesheet{\\s0 Normal;}}"
                      "{\\info{\\title Titel}{\\author N}}{\\pict\\wmetafile8 0a0b{\\x}}a}")
        << "a";
    QTest::newRow("starred destination skipped") << QByteArray("{\\rtf1 a{\\*\\foo b{c}\\par}d}") << "ad";
    QTest::newRow("field shows its result")
        << QByteArray("{\\rtf1{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt Sandlund}}}") << "Sandlund";
    QTest::newRow("binary data inside a skipped group")
        << QByteArray("{\\rtf1 a{\\*\\blob\\bin2 }{}b}") << "ab";
    QTest::newRow("escaped braces and backslash") << QByteArray("{\\rtf1 \\{x\\}\\\\}") << "{x}\\";
    QTest::newRow("special characters")
        << QByteArray("{\\rtf1 a\\~b\\_c\\-d\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}")
        << QString("a\u00a0b\u2011cd\u2014\u2013\u2022\u2018\u2019\u201c\u201d");
    QTest::newRow("unknown words are ignored") << QByteArray("{\\rtf1\\foo12 a\\qc b\\f0\\cb3 c}") << "abc";

    // Broken input.
    QTest::newRow("stray closing braces") << QByteArray("{\\rtf1 a}}b}") << "ab";
    QTest::newRow("groups never closed") << QByteArray("{\\rtf1 a{\\b b{\\i c") << "a[b]b[b,i]c";
    QTest::newRow("cut hex escape, one digit") << QByteArray("{\\rtf1 a\\'4") << "a";
    QTest::newRow("cut hex escape, no digit") << QByteArray("{\\rtf1 a\\'") << "a";
    QTest::newRow("lone backslash at the end") << QByteArray("{\\rtf1 a\\") << "a";
    QTest::newRow("hex escape with bad digits") << QByteArray("{\\rtf1 a\\'zzb\\'4zc}") << "azzbzc";
    QTest::newRow("escaped control characters") << QByteArray("{\\rtf1 a\\'00b\\u10?c\\u65532?d}")
                                                << QString("a b c\ufffdd");
    QTest::newRow("huge numbers")
        << QByteArray("{\\rtf1\\fs99999999999999999999 a\\u99999999999?b\\u-99999999999?c\\cf99999999999 d"
                      "\\uc99999999999\\u65 xy}")
        << QString("[fs3276]a\ufffdb\ufffdc[fs3276]dA");
    QTest::newRow("negative numbers") << QByteArray("{\\rtf1\\fs-20 a\\cf-3 b\\uc-4\\u66 x\\bin-5 c}")
                                      << "abBxc";
    QTest::newRow("overlong control word")
        << QByteArray("{\\rtf1 \\" + QByteArray(1000, 'a') + "99 x}") << "x";
    QTest::newRow("binary length beyond the end") << QByteArray("{\\rtf1 a\\bin999999999 }}}}") << "a";
    QTest::newRow("star outside a group start") << QByteArray("{\\rtf1\\*a{b\\*c}}") << "abc";
    QTest::newRow("destination word in the outer group") << QByteArray("{\\rtf1\\info a}") << "a";
    QTest::newRow("not rtf: plain text") << QByteArray("Hej\r\nhopp\rn\xc3\xa4r") << "Hej¶hopp¶när";
    QTest::newRow("not rtf: 1252 text") << QByteArray("G\xe4st\tx") << "Gäst→x";
    QTest::newRow("empty") << QByteArray() << "";
}

void tst_RtfReader::reads()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    const rtf::Document d = rtf::parse(rtf);
    QCOMPARE(dump(d), expected);
    // Every character shows in a text document as it is.
    QTextDocument doc;
    rtf::fill(d, &doc);
    QString plain = d.text;
    plain.replace(QChar::ParagraphSeparator, u'\n').replace(QChar::LineSeparator, u'\n').replace(QChar(0xa0), u' ');
    QCOMPARE(doc.toPlainText(), plain);
}

void tst_RtfReader::colourTable()
{
    const rtf::Document d = rtf::parse("{\\rtf1{\\colortbl;\\red1\\green2\\blue3;;\\red999\\blue-4;}x}");
    QCOMPARE(d.colors.size(), 4);
    QVERIFY(d.colors[0].automatic);
    QVERIFY(!d.colors[1].automatic);
    QCOMPARE(d.colors[1].blue, 3);
    QVERIFY(d.colors[2].automatic);
    QCOMPARE(d.colors[3].red, 255);
    QCOMPARE(d.colors[3].blue, 0);
    QCOMPARE(d.text, "x");

    // A table with more entries than anyone writes is cut, not grown.
    const rtf::Document big = rtf::parse("{\\rtf1{\\colortbl" + repeated(";", 100000) + "}x}");
    QCOMPARE(big.colors.size(), rtf::kMaxColors);
    QCOMPARE(big.text, "x");
}

void tst_RtfReader::deepNesting_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("expected");
    const qsizetype n = 100000;
    QTest::newRow("balanced") << "{\\rtf1 " + repeated("{", n) + "x" + repeated("}", n) + "y}" << "xy";
    QTest::newRow("format restored when unwound")
        << "{\\rtf1 " + repeated("{\\b ", n) + "x" + repeated("}", n) + "y}" << "[b]x[]y";
    QTest::newRow("never closed") << "{\\rtf1 " + repeated("{", n) + "x" << "x";
    QTest::newRow("closed too often") << "{\\rtf1 x" + repeated("}", n) + "y" << "xy";
    QTest::newRow("deep inside a skipped group")
        << "{\\rtf1 a{\\*\\x " + repeated("{", n) + repeated("}", n) + "}b}" << "ab";
}

void tst_RtfReader::deepNesting()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, expected);
    const rtf::Document d = rtf::parse(rtf);
    QCOMPARE(dump(d), expected);
    QVERIFY2(d.peakDepth <= rtf::kMaxDepth, qPrintable(QString::number(d.peakDepth)));
}

void tst_RtfReader::fiftyMebibytes()
{
    // Format changes on every few letters, escapes and paragraphs, 50 MiB of it.
    const QByteArray unit("{\\b fet}vanlig \\'e5\\par ");
    const qsizetype count = (50 << 20) / unit.size();
    const QByteArray big = "{\\rtf1 " + repeated(unit, count) + "}";
    QVERIFY(big.size() >= 50 << 20);

    const rtf::Document d = rtf::parse(big);
    const QString unitText = QStringLiteral("fetvanlig å") + QChar(QChar::ParagraphSeparator);
    QCOMPARE(d.text.size(), unitText.size() * count);
    QCOMPARE(d.text.left(unitText.size() * 2), unitText + unitText);
    QVERIFY(d.text.endsWith(unitText));
    // Two format changes per unit would be more than the cap: the format list stops growing.
    QCOMPARE(d.spans.size(), rtf::kMaxSpans);
    QVERIFY(d.spans.first().format.bold);
    QVERIFY(!d.truncated);

    // With a limit, reading stops there.
    const rtf::Document head = rtf::parse(big, 1000);
    QVERIFY(head.truncated);
    QCOMPARE(head.text, d.text.left(1000));
    QVERIFY(!rtf::parse(big, d.text.size()).truncated);
    const rtf::Document plain = rtf::parse(repeated("ord ", 1 << 20), 10);
    QVERIFY(plain.truncated);
    QCOMPARE(plain.text, "ord ord or");

    // An unclosed skipped group of the same size shows nothing and ends.
    const rtf::Document skipped = rtf::parse("{\\rtf1 a{\\*\\x " + repeated("{\\b x\\'", (50 << 20) / 6));
    QCOMPARE(skipped.text, "a");
}

void tst_RtfReader::documentFormats()
{
    QTextDocument doc;
    rtf::load("{\\rtf1{\\colortbl;\\red0\\green0\\blue128;}\\fs20{\\cf1\\b\\fs28 Rubrik}\\par {\\i\\ul kursiv}\\line rad}",
              &doc);
    QCOMPARE(doc.blockCount(), 2);
    const QTextBlock first = doc.firstBlock();
    QCOMPARE(first.text(), "Rubrik");
    const QTextCharFormat heading = first.begin().fragment().charFormat();
    QCOMPARE(heading.fontWeight(), int(QFont::Bold));
    QCOMPARE(heading.fontPointSize(), 14.0);
    QCOMPARE(heading.foreground().color(), QColor(0, 0, 128));

    const QTextBlock second = first.next();
    QCOMPARE(second.text(), QString("kursiv") + QChar(QChar::LineSeparator) + "rad");
    const QTextCharFormat italic = second.begin().fragment().charFormat();
    QVERIFY(italic.fontItalic());
    QVERIFY(italic.fontUnderline());
    QCOMPARE(italic.fontWeight(), int(QFont::Normal));
    QCOMPARE(italic.fontPointSize(), 10.0);
}

void tst_RtfReader::shippedDocuments_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("mentions");
    QTest::newRow("Rot") << "Rot.rtf"
                         << QStringList{"Kortvik VERSION_KORTVIK", "Sandlund", "http://", "Hjälp om Kortvik"};
    QTest::newRow("Vanligt") << "Rot/Vanligt.rtf"
                             << QStringList{"bvolk", "Ctrl+I", "statusraden", "iMails", "plugin", "På datorn",
                                            "Inloggning", "visitkort"};
}

void tst_RtfReader::shippedDocuments()
{
    QFETCH(QString, file);
    QFETCH(QStringList, mentions);
    QFile f(sourceDoc(file));
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
    const QByteArray raw = f.readAll();
    QVERIFY(raw.startsWith("{\\rtf1"));
    // Balanced: the documents are written by hand.
    QCOMPARE(raw.count('{') - raw.count("\\{"), raw.count('}') - raw.count("\\}"));

    const rtf::Document d = rtf::parse(raw);
    // The version tag is never split by markup, or it would not be replaced.
    QVERIFY(raw.count("VERSION_KORTVIK") >= 1);
    QCOMPARE(d.text.count(QStringLiteral("VERSION_KORTVIK")), raw.count("VERSION_KORTVIK"));
    QCOMPARE(d.text.count(QStringLiteral("VERSION")), d.text.count(QStringLiteral("VERSION_KORTVIK")));
    for (const QString &m : mentions)
        QVERIFY2(d.text.contains(m), qPrintable(m));
    // No markup, font table or stray code-page byte leaks into the text.
    for (const QString &leak : {QStringLiteral("\\"), QStringLiteral("{"), QStringLiteral("}"),
                                QStringLiteral("Verdana"), QStringLiteral("Ã"), QStringLiteral("\ufffd")})
        QVERIFY2(!d.text.contains(leak), qPrintable(leak));
    QVERIFY(d.text.contains(u'å') && d.text.contains(u'ä') && d.text.contains(u'ö'));
    QVERIFY(d.spans.size() > 3);
    // Every colour reads on light and on dark themes' grounds, so it is drawn on both.
    for (const rtf::Color &c : d.colors) {
        if (c.automatic)
            continue;
        for (const QColor ground : {QColor(Qt::white), QColor(0x3d, 0x3d, 0x3d), QColor(Qt::black)})
            QVERIFY2(rtf::keepsColour(c, {ground}), qPrintable(QStringLiteral("%1,%2,%3 on %4")
                                                                   .arg(c.red).arg(c.green).arg(c.blue)
                                                                   .arg(ground.name())));
    }
}

QTEST_MAIN(tst_RtfReader)
#include "tst_rtfreader.moc"
