// The per-user component registry: record files, identifiers, class ids.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "envguard.h"
#include "ljungbo/componentregistry.h"

using namespace comp;

namespace {

const Guid kSample = {0x5B1F0C3E, 0x8A47, 0x4D2B, {0x9E, 0x61, 0x3C, 0x7A, 0x2F, 0x94, 0xD0, 0xB8}};

void writeRaw(const QString &name, const QByteArray &content)
{
    QDir().mkpath(registryDir());
    QFile f(registryDir() + QLatin1Char('/') + name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

} // namespace

class LjungboRegistryTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_data;

private slots:
    void init()
    {
        QDir(m_data.path()).removeRecursively();
        QDir().mkpath(m_data.path());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
    }

    void registryFolder_data()
    {
        QTest::addColumn<QByteArray>("xdg");
        QTest::addColumn<QString>("expected");
        QTest::newRow("xdg set") << QByteArray("/x/data") << QStringLiteral("/x/data/kortvik/components");
        QTest::newRow("xdg empty") << QByteArray("") << QStringLiteral("/home/u/.local/share/kortvik/components");
        QTest::newRow("xdg relative") << QByteArray("rel/data")
                                      << QStringLiteral("/home/u/.local/share/kortvik/components");
    }
    void registryFolder()
    {
        QFETCH(QByteArray, xdg);
        QFETCH(QString, expected);
        EnvGuard home("HOME", "/home/u");
        EnvGuard data("XDG_DATA_HOME", xdg);
        QCOMPARE(registryDir(), expected);
    }

    void programIdentifiers_data()
    {
        QTest::addColumn<QString>("progId");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plug-in") << QStringLiteral("Kortvik_Ljungbo.Default") << true;
        QTest::newRow("one letter") << QStringLiteral("A") << true;
        QTest::newRow("39 chars") << QString(39, QLatin1Char('a')) << true;
        QTest::newRow("40 chars") << QString(40, QLatin1Char('a')) << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("leading dot") << QStringLiteral(".hidden") << false;
        QTest::newRow("leading digit") << QStringLiteral("1abc") << false;
        QTest::newRow("parent path") << QStringLiteral("../../etc/passwd") << false;
        QTest::newRow("slash") << QStringLiteral("a/b") << false;
        QTest::newRow("blank") << QStringLiteral("a b") << false;
        QTest::newRow("newline") << QStringLiteral("a\nb") << false;
        QTest::newRow("non-ascii") << QStringLiteral("Gäst.Default") << false;
    }
    void programIdentifiers()
    {
        QFETCH(QString, progId);
        QFETCH(bool, valid);
        QCOMPARE(isValidProgId(progId), valid);
        // An identifier that is not valid is never a file name of the registry.
        ComponentRecord record{progId, kSample, QStringLiteral("/lib/x.so")};
        QCOMPARE(writeRecord(record), valid);
        QCOMPARE(readRecord(progId).has_value(), valid);
        QCOMPARE(registeredProgIds().contains(progId), valid);
    }

    void classIdentifierText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("upper") << QStringLiteral("{5B1F0C3E-8A47-4D2B-9E61-3C7A2F94D0B8}") << true;
        QTest::newRow("lower") << QStringLiteral("{5b1f0c3e-8a47-4d2b-9e61-3c7a2f94d0b8}") << true;
        QTest::newRow("no braces") << QStringLiteral("5B1F0C3E-8A47-4D2B-9E61-3C7A2F94D0B8") << false;
        QTest::newRow("short") << QStringLiteral("{5B1F0C3E-8A47-4D2B-9E61-3C7A2F94D0B}") << false;
        QTest::newRow("not hex") << QStringLiteral("{5B1F0C3E-8A47-4D2B-9E61-3C7A2F94D0BG}") << false;
        QTest::newRow("trailing") << QStringLiteral("{5B1F0C3E-8A47-4D2B-9E61-3C7A2F94D0B8}x") << false;
    }
    void classIdentifierText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const std::optional<Guid> g = parseGuid(text);
        QCOMPARE(g.has_value(), valid);
        if (valid) {
            QVERIFY(*g == kSample);
            QCOMPARE(guidToString(*g), text.toUpper());
        }
    }

    void recordRoundTripAndReplace()
    {
        ComponentRecord record{QStringLiteral("Kortvik_Ljungbo.Default"), kSample, QStringLiteral("/opt/a/libljungbo.so")};
        QString error;
        QVERIFY2(writeRecord(record, &error), qPrintable(error));
        QFile file(registryDir() + QStringLiteral("/Kortvik_Ljungbo.Default"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("ProgID=Kortvik_Ljungbo.Default\n"
                                            "CLSID={5B1F0C3E-8A47-4D2B-9E61-3C7A2F94D0B8}\n"
                                            "Library=/opt/a/libljungbo.so\n"));
        file.close();

        record.library = QStringLiteral("/opt/b/libljungbo.so");
        QVERIFY(writeRecord(record));
        const std::optional<ComponentRecord> back = readRecord(record.progId);
        QVERIFY(back);
        QCOMPARE(back->library, QStringLiteral("/opt/b/libljungbo.so"));
        // The write leaves no temporary file behind.
        QCOMPARE(QDir(registryDir()).entryList(QDir::Files), QStringList{record.progId});

        QVERIFY(removeRecord(record.progId));
        QVERIFY(!readRecord(record.progId));
        QVERIFY(removeRecord(record.progId));
    }

    void relativeLibraryRefused()
    {
        QString error;
        QVERIFY(!writeRecord({QStringLiteral("A.B"), kSample, QStringLiteral("lib/x.so")}, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!writeRecord({QStringLiteral("A.B"), kSample, QStringLiteral("/x\nCLSID=bad")}, &error));
        QVERIFY(!readRecord(QStringLiteral("A.B")));
    }

    void brokenRecordsAreNotListed_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("usable");
        QTest::newRow("complete") << QByteArray("ProgID=A.B\nCLSID={5B1F0C3E-8A47-4D2B-9E61-3C7A2F94D0B8}\nLibrary=/l.so\n") << true;
        QTest::newRow("keys in any order") << QByteArray("Library=/l.so\nProgID=A.B\nCLSID={5B1F0C3E-8A47-4D2B-9E61-3C7A2F94D0B8}") << true;
        QTest::newRow("other identifier") << QByteArray("ProgID=A.C\nCLSID={5B1F0C3E-8A47-4D2B-9E61-3C7A2F94D0B8}\nLibrary=/l.so\n") << false;
        QTest::newRow("no class id") << QByteArray("ProgID=A.B\nLibrary=/l.so\n") << false;
        QTest::newRow("bad class id") << QByteArray("ProgID=A.B\nCLSID={nope}\nLibrary=/l.so\n") << false;
        QTest::newRow("no library") << QByteArray("ProgID=A.B\nCLSID={5B1F0C3E-8A47-4D2B-9E61-3C7A2F94D0B8}\n") << false;
        QTest::newRow("relative library") << QByteArray("ProgID=A.B\nCLSID={5B1F0C3E-8A47-4D2B-9E61-3C7A2F94D0B8}\nLibrary=l.so\n") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("binary") << QByteArray("\0\1\2\3", 4) << false;
        QTest::newRow("huge") << QByteArray(100 * 1024, 'x') << false;
    }
    void brokenRecordsAreNotListed()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, usable);
        writeRaw(QStringLiteral("A.B"), content);
        writeRaw(QStringLiteral(".A.B.tmp"), content);  // not an identifier: never listed
        QCOMPARE(readRecord(QStringLiteral("A.B")).has_value(), usable);
        QCOMPARE(registeredProgIds(), usable ? QStringList{QStringLiteral("A.B")} : QStringList{});
    }

};

QTEST_GUILESS_MAIN(LjungboRegistryTest)
#include "tst_ljungbo_registry.moc"
