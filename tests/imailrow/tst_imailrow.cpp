// The inbox row on the bus (a(isxbis)) and the site's wall-clock times.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QtTest>

#include "imailrow.h"
#include "privatesessionbus.h"
#include "requiredtool.h"
#include "sitetime.h"

namespace {

// Sends back what it gets, so a list crosses the wire twice.
class EchoObject : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kortvik.test.Echo")
public slots:
    IMailRows Echo(const IMailRows &rows) { return rows; }
};

IMailRow row(qint32 mid, const QString &subject, qint64 at, bool isNew, qint32 uid, const QString &name)
{
    return IMailRow{mid, subject, at, isNew, uid, name};
}

} // namespace

class tst_IMailRow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void signature();
    void roundTrip_data();
    void roundTrip();
    void siteTime_data();
    void siteTime();
    void siteTimeBackAndForth();

private:
    IMailRows echo(const IMailRows &rows);

    PrivateSessionBus m_bus;
    EchoObject m_echo;
};

void tst_IMailRow::initTestCase()
{
    imailRow::registerTypes();
    QString why;
    if (!m_bus.start(&why))
        KORTVIK_SKIP_WITHOUT_TOOL(why);
    QDBusConnection server = QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("server"));
    QDBusConnection client = QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("client"));
    QVERIFY(server.isConnected() && client.isConnected());
    QVERIFY(server.registerService(QStringLiteral("org.kortvik.test")));
    QVERIFY(server.registerObject(QStringLiteral("/echo"), &m_echo, QDBusConnection::ExportAllSlots));
}

void tst_IMailRow::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("server"));
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
}

IMailRows tst_IMailRow::echo(const IMailRows &rows)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.kortvik.test"), QStringLiteral("/echo"),
                                                       QStringLiteral("org.kortvik.test.Echo"),
                                                       QStringLiteral("Echo"));
    call << QVariant::fromValue(rows);
    // The echo object lives on this thread: wait without blocking it.
    QDBusPendingCall pending = QDBusConnection(QStringLiteral("client")).asyncCall(call, 10000);
    if (!QTest::qWaitFor([&] { return pending.isFinished(); }, 15000))
        return {};
    const QDBusMessage answer = pending.reply();
    if (answer.type() != QDBusMessage::ReplyMessage) {
        qWarning() << answer.errorName() << answer.errorMessage();
        return {};
    }
    if (answer.signature() != QLatin1String(imailRow::kListSignature))
        qWarning() << "reply signature" << answer.signature();
    return qdbus_cast<IMailRows>(answer.arguments().value(0));
}

void tst_IMailRow::signature()
{
    QCOMPARE(QDBusMetaType::typeToSignature(QMetaType::fromType<IMailRows>()),
             QByteArray(imailRow::kListSignature));
    QCOMPARE(QDBusMetaType::typeToSignature(QMetaType::fromType<IMailRow>()), QByteArray("(isxbis)"));
}

void tst_IMailRow::roundTrip_data()
{
    QTest::addColumn<IMailRows>("sent");
    QTest::addColumn<IMailRows>("expected");

    const IMailRows plain{row(501, QStringLiteral("Hej Kalle"), 1053174720, true, 1002, QStringLiteral("Anna Berg")),
                          row(498, QStringLiteral("Rad 1\r\nRad 2"), 1053068700, false, 1003, QStringLiteral("Nils Holm"))};
    QTest::newRow("demo rows") << plain << plain;
    QTest::newRow("empty list") << IMailRows{} << IMailRows{};
    const IMailRows empty{row(0, QString(), 0, false, 0, QString()), row(1, QStringLiteral(""), -1, true, -1, QStringLiteral(""))};
    QTest::newRow("empty strings") << empty << empty;
    const IMailRows unicode{row(7, QStringLiteral("Räksmörgås ÅÄÖ åäö € “citat” – 😀 𝄞"), 1, true, 2,
                                QStringLiteral("Zoë Ωμέγα 日本語 עברית e\u0301")),
                            row(8, QStringLiteral("\t<b>&amp;</b>\u00A0\u200B\uFEFF"), 2, false, 3, QStringLiteral("\u0001\u007F"))};
    QTest::newRow("unicode") << unicode << unicode;
    const IMailRows limits{row(std::numeric_limits<qint32>::min(), QStringLiteral("x"), std::numeric_limits<qint64>::min(), true,
                               std::numeric_limits<qint32>::max(), QStringLiteral("y")),
                           row(std::numeric_limits<qint32>::max(), QStringLiteral("z"), std::numeric_limits<qint64>::max(), false,
                               std::numeric_limits<qint32>::min(), QStringLiteral("w"))};
    QTest::newRow("number limits") << limits << limits;
    QString withNul = QStringLiteral("före");
    withNul.append(QChar(0)).append(QStringLiteral("efter"));
    QString lone = QStringLiteral("a");
    lone.append(QChar(0xD800)).append(QStringLiteral("b"));
    QTest::newRow("nul and a lone surrogate")
        << IMailRows{row(9, withNul, 3, true, 4, lone)}
        << IMailRows{row(9, QStringLiteral("före\uFFFDefter"), 3, true, 4, QStringLiteral("a\uFFFDb"))};
}

void tst_IMailRow::roundTrip()
{
    QFETCH(IMailRows, sent);
    QFETCH(IMailRows, expected);
    QCOMPARE(echo(sent), expected);
}

void tst_IMailRow::siteTime_data()
{
    QTest::addColumn<QString>("wallClock");
    QTest::addColumn<QString>("utc");
    QTest::newRow("winter") << "2003-01-15 12:00" << "2003-01-15 11:00";
    QTest::newRow("summer") << "2003-05-17 14:32" << "2003-05-17 12:32";
    QTest::newRow("last minute before spring gap") << "2003-03-30 01:59" << "2003-03-30 00:59";
    QTest::newRow("inside spring gap") << "2003-03-30 02:30" << "2003-03-30 01:30";
    QTest::newRow("after spring gap") << "2003-03-30 03:00" << "2003-03-30 01:00";
    QTest::newRow("autumn twice, first") << "2003-10-26 02:30" << "2003-10-26 00:30";
    QTest::newRow("after autumn overlap") << "2003-10-26 03:00" << "2003-10-26 02:00";
    QTest::newRow("new year") << "2000-01-01 00:00" << "1999-12-31 23:00";
    QTest::newRow("before 1980 rules") << "1975-07-01 12:00" << "1975-07-01 11:00";
}

void tst_IMailRow::siteTime()
{
    QFETCH(QString, wallClock);
    QFETCH(QString, utc);
    if (!siteTime::zone().isValid())
        QSKIP("no time zone data (tzdata)");
    const QDateTime local = QDateTime::fromString(wallClock, QStringLiteral("yyyy-MM-dd HH:mm"));
    QDateTime expected = QDateTime::fromString(utc, QStringLiteral("yyyy-MM-dd HH:mm"));
    expected.setTimeSpec(Qt::UTC);
    QCOMPARE(siteTime::toSecsSinceEpoch(local.date(), local.time()), expected.toSecsSinceEpoch());
}

void tst_IMailRow::siteTimeBackAndForth()
{
    if (!siteTime::zone().isValid())
        QSKIP("no time zone data (tzdata)");
    // Every hour of a year with both transitions gives its wall-clock time back.
    const qint64 start = QDateTime(QDate(2003, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    for (qint64 t = start; t < start + 366LL * 86400; t += 3600) {
        const QDateTime wall = siteTime::fromSecsSinceEpoch(t);
        const qint64 back = siteTime::toSecsSinceEpoch(wall.date(), wall.time());
        // Only the repeated autumn hour may map to its first occurrence.
        if (back != t)
            QCOMPARE(back, t - 3600);
    }
}

QTEST_GUILESS_MAIN(tst_IMailRow)
#include "tst_imailrow.moc"
