// The chunked body decoder on its own: the same wire text fed whole, byte
// by byte and cut in two at every place must decode alike.
#include "net/chunkeddecoder.h"

#include <QtTest>

using Status = ChunkedDecoder::Status;
Q_DECLARE_METATYPE(ChunkedDecoder::Status)

namespace {

constexpr qsizetype kMaxBody = 100;
constexpr qsizetype kMaxLine = 64;

struct Outcome {
    Status status;
    QByteArray out;
};

Outcome decodeIn(const QByteArray &wire, const QList<qsizetype> &cuts)
{
    ChunkedDecoder d(kMaxBody, kMaxLine);
    Outcome o{Status::NeedMore, {}};
    qsizetype from = 0;
    for (qsizetype cut : cuts + QList<qsizetype>{wire.size()}) {
        o.status = d.feed(QByteArrayView(wire).sliced(from, cut - from), o.out);
        from = cut;
    }
    return o;
}

} // namespace

class TestChunkedDecoder : public QObject
{
    Q_OBJECT
private slots:
    void decodes_data();
    void decodes();
    void appliesTo_data();
    void appliesTo();
};

void TestChunkedDecoder::decodes_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<Status>("status");
    QTest::addColumn<QByteArray>("decoded");

    const Status done = Status::Done, more = Status::NeedMore, bad = Status::Failed;
    QTest::newRow("one chunk") << QByteArray("5\r\nhello\r\n0\r\n\r\n") << done << QByteArray("hello");
    QTest::newRow("upper and lower hex")
        << QByteArray("A\r\n0123456789\r\nb\r\nabcdefghijk\r\n0\r\n\r\n") << done
        << QByteArray("0123456789abcdefghijk");
    QTest::newRow("extensions ignored")
        << QByteArray("5;name=\"v;w\";x\r\nhello\r\n0;last\r\n\r\n") << done << QByteArray("hello");
    QTest::newRow("blanks before an extension")
        << QByteArray("5 \t;a=b\r\nhello\r\n0 \r\n\r\n") << done << QByteArray("hello");
    QTest::newRow("trailer fields ignored")
        << QByteArray("5\r\nhello\r\n0\r\nSet-Cookie: a=b\r\nX-B: 2\r\n\r\n") << done << QByteArray("hello");
    QTest::newRow("bare LF line ends") << QByteArray("5\nhello\n0\n\n") << done << QByteArray("hello");
    QTest::newRow("data that looks like framing")
        << QByteArray("7\r\n\r\n0\r\n\r\n\r\n0\r\n\r\n") << done << QByteArray("\r\n0\r\n\r\n");
    QTest::newRow("bytes after the end ignored")
        << QByteArray("1\r\na\r\n0\r\n\r\nzz\r\n") << done << QByteArray("a");
    QTest::newRow("body of exactly the cap")
        << QByteArray("32\r\n" + QByteArray(50, 'x') + "\r\n32\r\n" + QByteArray(50, 'y') + "\r\n0\r\n\r\n") << done
        << QByteArray(50, 'x') + QByteArray(50, 'y');
    QTest::newRow("trailer not ended") << QByteArray("5\r\nhello\r\n0\r\nX: 1\r\n") << more << QByteArray("hello");

    QTest::newRow("empty size line") << QByteArray("\r\nhello\r\n") << bad << QByteArray();
    QTest::newRow("not hex") << QByteArray("0x5\r\nhello\r\n") << bad << QByteArray();
    QTest::newRow("blank inside the number") << QByteArray("5 5\r\n") << bad << QByteArray();
    QTest::newRow("extension without a size") << QByteArray(";a\r\n") << bad << QByteArray();
    QTest::newRow("data longer than its size") << QByteArray("3\r\nhello\r\n") << bad << QByteArray("hel");
    QTest::newRow("chunk over the cap refused before its data")
        << QByteArray("65\r\n") << bad << QByteArray();
    QTest::newRow("chunks adding up over the cap")
        << QByteArray("32\r\n" + QByteArray(50, 'x') + "\r\n33\r\n") << bad << QByteArray(50, 'x');
    QTest::newRow("size line over its cap")
        << QByteArray("5;" + QByteArray(80, 'e') + "\r\nhello\r\n0\r\n\r\n") << bad << QByteArray();
    QTest::newRow("trailer over its cap")
        << QByteArray("1\r\na\r\n0\r\nX: " + QByteArray(80, 't') + "\r\n\r\n") << bad << QByteArray("a");
}

void TestChunkedDecoder::decodes()
{
    QFETCH(QByteArray, wire);
    QFETCH(Status, status);
    QFETCH(QByteArray, decoded);

    QList<QList<qsizetype>> cutSets{{}};
    QList<qsizetype> everyByte;
    for (qsizetype i = 1; i < wire.size(); ++i) {
        everyByte << i;
        cutSets << QList<qsizetype>{i};
    }
    cutSets << everyByte;
    for (const QList<qsizetype> &cuts : std::as_const(cutSets)) {
        const Outcome o = decodeIn(wire, cuts);
        const QByteArray where = "cut at " + QByteArray::number(cuts.value(0, -1)) + ", "
                                 + QByteArray::number(cuts.size()) + " cuts";
        QVERIFY2(o.status == status, where.constData());
        QVERIFY2(o.out == decoded, (where + ": " + o.out.toHex()).constData());
    }
}

void TestChunkedDecoder::appliesTo_data()
{
    QTest::addColumn<QString>("fields");
    QTest::addColumn<bool>("chunked");
    QTest::newRow("chunked") << "Transfer-Encoding: chunked" << true;
    QTest::newRow("any case, blanks") << "transfer-ENCODING :   Chunked  " << true;
    QTest::newRow("last of several codings") << "Transfer-Encoding: gzip, chunked" << true;
    QTest::newRow("not the last coding") << "Transfer-Encoding: chunked, gzip" << false;
    QTest::newRow("other field") << "X-Transfer-Encoding: chunked\r\nContent-Length: 5" << false;
}

void TestChunkedDecoder::appliesTo()
{
    QFETCH(QString, fields);
    QFETCH(bool, chunked);
    QCOMPARE(ChunkedDecoder::appliesTo("HTTP/1.1 200 OK\r\n" + fields), chunked);
}

QTEST_GUILESS_MAIN(TestChunkedDecoder)
#include "tst_chunkeddecoder.moc"
