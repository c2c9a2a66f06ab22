// INI reading and writing: names, values, layout preservation, atomic saves.
#include "restricted.h"
#include "settings/atomicfile.h"
#include "settings/inifile.h"
#include "text/cp1252.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Files in dir other than the ones named: a failed save must not leave its
// temporary file behind.
QStringList strayFiles(const QString &dir, const QStringList &expected)
{
    QStringList found = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : expected)
        found.removeAll(name);
    return found;
}

// Makes writes beyond limit bytes fail with EFBIG, as a full disk would,
// for the lifetime of the object (root is bound by it too).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit now = m_old;
        now.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &now);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void reading_data();
    void reading();
    void writing_data();
    void writing();
    void writtenValuesReadBack_data();
    void writtenValuesReadBack();
    void everyByteSurvivesUntouchedLines();
    void saveReplacesAndKeepsMode();
    void saveFollowsSymlink();
    void saveFailingHalfWayKeepsOldFile();
    void saveIntoReadOnlyFolderKeepsOldFile();
    void saveOverReadOnlyFileKeepsIt();
    void loadMissingFileFails();
    void createFileIsExclusiveAndPrivate();
};

void TestIniFile::reading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // "<missing>" for nullopt

    const QString missing = QStringLiteral("<missing>");
    QTest::newRow("empty file") << QByteArray() << "s" << "k" << missing;
    QTest::newRow("missing section") << QByteArray("[a]\r\nk=1\r\n") << "b" << "k" << missing;
    QTest::newRow("missing key") << QByteArray("[a]\r\nk=1\r\n") << "a" << "j" << missing;
    QTest::newRow("empty value is not missing")
        << QByteArray("[autologin]\r\nlogintype=\r\n") << "autologin" << "logintype" << "";
    QTest::newRow("blank value is empty") << QByteArray("[a]\r\nk=   \t\r\n") << "a" << "k" << "";
    QTest::newRow("case of names ignored")
        << QByteArray("[AutoLogin]\r\nLOGINtype=lastlogin\r\n") << "autologin" << "LoginType"
        << "lastlogin";
    QTest::newRow("cp1252 letters case ignored")
        << QByteArray("[\xC5\xE4\xD6]\r\nNYCKEL_\xC9=1\r\n\x8A\x9F=2\r\n") << QString::fromUtf8("åÄö")
        << QString::fromUtf8("nyckel_é") << "1";
    QTest::newRow("cp1252 S caron and Y diaeresis")
        << QByteArray("[s]\r\n\x8A\x9F=2\r\n") << "S" << QString::fromUtf8("šÿ") << "2";
    QTest::newRow("names and value trimmed")
        << QByteArray("  [ s ]  \r\n \t k \t= \t v  v \t\r\n") << "s" << "k" << "v  v";
    QTest::newRow("header with trailing text") << QByteArray("[s] ; note\r\nk=1\r\n") << "s" << "k"
                                               << "1";
    QTest::newRow("double quotes stripped")
        << QByteArray("[s]\r\nk=\"  a b  \"\r\n") << "s" << "k" << "  a b  ";
    QTest::newRow("quotes inside trimmed blanks") << QByteArray("[s]\r\nk=  \"x\"  \r\n") << "s"
                                                  << "k" << "x";
    QTest::newRow("empty quotes") << QByteArray("[s]\r\nk=\"\"\r\n") << "s" << "k" << "";
    QTest::newRow("lone quote kept") << QByteArray("[s]\r\nk=\"\r\n") << "s" << "k" << "\"";
    QTest::newRow("unmatched quote kept") << QByteArray("[s]\r\nk=\"abc\r\n") << "s" << "k"
                                          << "\"abc";
    QTest::newRow("single quotes kept") << QByteArray("[s]\r\nk='abc'\r\n") << "s" << "k"
                                        << "'abc'";
    QTest::newRow("equals inside value") << QByteArray("[s]\r\nk=a=b\r\n") << "s" << "k" << "a=b";
    QTest::newRow("first duplicate key wins")
        << QByteArray("[s]\r\nk=1\r\nK=2\r\n") << "s" << "k" << "1";
    QTest::newRow("first duplicate section wins")
        << QByteArray("[s]\r\nk=1\r\n[S]\r\nk=3\r\nj=4\r\n") << "s" << "k" << "1";
    QTest::newRow("later duplicate section not searched")
        << QByteArray("[s]\r\nk=1\r\n[S]\r\nj=4\r\n") << "s" << "j" << missing;
    QTest::newRow("LF line ends") << QByteArray("[s]\nk=lf\nj=2\n") << "s" << "k" << "lf";
    QTest::newRow("mixed line ends") << QByteArray("[s]\r\nk=1\nj=2\r\n") << "s" << "j" << "2";
    QTest::newRow("last line without line end") << QByteArray("[s]\r\nk=end") << "s" << "k"
                                                << "end";
    QTest::newRow("BOM skipped") << QByteArray("\xEF\xBB\xBF[s]\r\nk=v\r\n") << "s" << "k" << "v";
    QTest::newRow("line without equals names no key")
        << QByteArray("[s]\r\nfoo\r\n") << "s" << "foo" << missing;
    QTest::newRow("comment is no key") << QByteArray("[s]\r\n;k=v\r\n") << "s" << "k" << missing;
    QTest::newRow("comment not found by its text")
        << QByteArray("[s]\r\n;k=v\r\n") << "s" << ";k" << missing;
    QTest::newRow("key before any section belongs to none")
        << QByteArray("k=v\r\n[s]\r\n") << "s" << "k" << missing;
    QTest::newRow("unclosed bracket is no header")
        << QByteArray("[s]\r\n[t\r\nk=1\r\n") << "s" << "k" << "1";
    QTest::newRow("key ends at next section")
        << QByteArray("[s]\r\n[t]\r\nk=1\r\n") << "s" << "k" << missing;
    QTest::newRow("cp1252 value") << QByteArray("[s]\r\nk=\x80\xE5\x96\r\n") << "s" << "k"
                                  << QString::fromUtf8("€å–");
    QTest::newRow("undefined cp1252 bytes")
        << QByteArray("[s]\r\nk=\x81\x8D\x8F\x90\x9D\r\n") << "s" << "k"
        << QString(QChar(0x81)) + QChar(0x8D) + QChar(0x8F) + QChar(0x90) + QChar(0x9D);
    QTest::newRow("300 characters give 254")
        << (QByteArray("[s]\r\nk=") + QByteArray(254, 'a') + QByteArray(46, 'b') + "\r\n") << "s"
        << "k" << QString(254, u'a');
    QTest::newRow("quoted 300 characters give 254 inside the quotes")
        << (QByteArray("[s]\r\nk=\"") + QByteArray(254, 'a') + QByteArray(46, 'b') + "\"\r\n")
        << "s" << "k" << QString(254, u'a');
    QTest::newRow("exactly 254") << (QByteArray("[s]\r\nk=") + QByteArray(254, 'x')) << "s" << "k"
                                 << QString(254, u'x');
    QTest::newRow("NUL byte is data") << QByteArray("[s]\r\nk=a\0b\r\n", 12) << "s" << "k"
                                      << QString::fromLatin1("a\0b", 3);
}

void TestIniFile::reading()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    const auto value = IniFile::fromBytes(file).value(section, key);
    QCOMPARE(value.value_or(QStringLiteral("<missing>")), expected);
}

void TestIniFile::writing_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("empty file") << QByteArray() << "s" << "k" << "v" << QByteArray("[s]\r\nk=v\r\n");
    QTest::newRow("changed in place, all else kept")
        << QByteArray("; head\r\n[A]\r\nx=1\r\nKey = old\r\ny=2\r\n\r\n[B]\r\nz=3\r\n") << "a"
        << "KEY" << "new"
        << QByteArray("; head\r\n[A]\r\nx=1\r\nKey =new\r\ny=2\r\n\r\n[B]\r\nz=3\r\n");
    QTest::newRow("new key ends its section before blank lines")
        << QByteArray("[A]\r\nx=1\r\n\r\n\r\n[B]\r\nz=3\r\n") << "A" << "y" << "2"
        << QByteArray("[A]\r\nx=1\r\ny=2\r\n\r\n\r\n[B]\r\nz=3\r\n");
    QTest::newRow("new key after a trailing comment")
        << QByteArray("[A]\r\nx=1\r\n; end of A\r\n[B]\r\n") << "A" << "y" << "2"
        << QByteArray("[A]\r\nx=1\r\n; end of A\r\ny=2\r\n[B]\r\n");
    QTest::newRow("new key in last section without final line end")
        << QByteArray("[A]\r\nx=1") << "A" << "y" << "2" << QByteArray("[A]\r\nx=1\r\ny=2\r\n");
    QTest::newRow("new section at end, last line closed")
        << QByteArray("[A]\r\nx=1") << "B" << "k" << "v" << QByteArray("[A]\r\nx=1\r\n[B]\r\nk=v\r\n");
    QTest::newRow("LF file keeps LF, new lines CRLF")
        << QByteArray("[A]\nx=1\n\n[B]\nz=3\n") << "A" << "y" << "2"
        << QByteArray("[A]\nx=1\ny=2\r\n\n[B]\nz=3\n");
    QTest::newRow("changed line keeps its LF") << QByteArray("[A]\nx=1\n") << "A" << "x" << "2"
                                               << QByteArray("[A]\nx=2\n");
    QTest::newRow("BOM kept") << QByteArray("\xEF\xBB\xBF[A]\r\nx=1\r\n") << "A" << "x" << "2"
                              << QByteArray("\xEF\xBB\xBF[A]\r\nx=2\r\n");
    QTest::newRow("first duplicate key changed")
        << QByteArray("[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\n") << "A" << "K" << "9"
        << QByteArray("[A]\r\nk=9\r\nk=2\r\n[a]\r\nk=3\r\n");
    QTest::newRow("new key goes to the first duplicate section")
        << QByteArray("[A]\r\nx=1\r\n[a]\r\nk=3\r\n") << "a" << "k" << "9"
        << QByteArray("[A]\r\nx=1\r\nk=9\r\n[a]\r\nk=3\r\n");
    QTest::newRow("line without equals kept, key added")
        << QByteArray("[A]\r\nfoo\r\n") << "A" << "foo" << "1" << QByteArray("[A]\r\nfoo\r\nfoo=1\r\n");
    QTest::newRow("comments and odd lines verbatim")
        << QByteArray("junk \x81 before\r\n[A]\r\n;  c = x \r\n  odd line \x9D\t\r\nx=1\r\n") << "A"
        << "x" << "2"
        << QByteArray("junk \x81 before\r\n[A]\r\n;  c = x \r\n  odd line \x9D\t\r\nx=2\r\n");
    QTest::newRow("empty value written") << QByteArray("[A]\r\nx=1\r\n") << "A" << "x" << ""
                                         << QByteArray("[A]\r\nx=\r\n");
    QTest::newRow("value cut at CR LF, no injected lines")
        << QByteArray("[A]\r\n") << "A" << "k" << "abc\r\n[evil]\r\nx=1"
        << QByteArray("[A]\r\nk=abc\r\n");
    QTest::newRow("value cut at LF") << QByteArray() << "A" << "k" << "ab\ncd"
                                     << QByteArray("[A]\r\nk=ab\r\n");
    QTest::newRow("value cut at CR") << QByteArray() << "A" << "k" << "ab\rcd"
                                     << QByteArray("[A]\r\nk=ab\r\n");
    QTest::newRow("names cut at line breaks") << QByteArray() << "A\r\n[B]" << "k\nz" << "v"
                                              << QByteArray("[A]\r\nk=v\r\n");
    QTest::newRow("names trimmed") << QByteArray() << "  A\t" << " k " << "v"
                                   << QByteArray("[A]\r\nk=v\r\n");
    QTest::newRow("cp1252 encoding") << QByteArray() << QString::fromUtf8("Å") << "k"
                                     << QString::fromUtf8("€åÄ Ω")
                                     << QByteArray("[\xC5]\r\nk=\x80\xE5\xC4 ?\r\n");
    QTest::newRow("value with blanks written as given")
        << QByteArray() << "A" << "k" << " v " << QByteArray("[A]\r\nk= v \r\n");
}

void TestIniFile::writing()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    IniFile ini = IniFile::fromBytes(before);
    ini.setValue(section, key, value);
    QCOMPARE(ini.toBytes(), after);
}

void TestIniFile::writtenValuesReadBack_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << "lastlogin" << "lastlogin";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("inner blanks") << "a  b" << "a  b";
    QTest::newRow("outer blanks trimmed") << "  a  " << "a";
    QTest::newRow("quotes stripped") << "\"q\"" << "q";
    QTest::newRow("every cp1252 letter") << QString::fromUtf8("€ŠšŽžŒœŸÿÅÄÖåäöÉé") << QString::fromUtf8("€ŠšŽžŒœŸÿÅÄÖåäöÉé");
    QTest::newRow("line break cut") << "one\r\ntwo" << "one";
    QTest::newRow("300 characters") << QString(300, u'z') << QString(254, u'z');
    QTest::newRow("negative number") << "-18" << "-18";
}

void TestIniFile::writtenValuesReadBack()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);

    IniFile ini = IniFile::fromBytes("[Kortvik]\r\nfrmMn.Width=577\r\n");
    ini.setValue("autologin", "lastlogin", value);
    const IniFile reread = IniFile::fromBytes(ini.toBytes());
    QCOMPARE(reread.value("AUTOLOGIN", "LastLogin").value_or("<missing>"), expected);
    QCOMPARE(reread.value("kortvik", "frmmn.width").value_or("<missing>"), QStringLiteral("577"));
}

void TestIniFile::everyByteSurvivesUntouchedLines()
{
    // A file holding all 256 byte values in a comment and a foreign key: a
    // write elsewhere gives every one of them back unchanged.
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            all.append(static_cast<char>(b));
    }
    const QByteArray before = "[A]\r\n;" + all + "\r\nother=" + all + "\r\n[B]\r\nx=1\r\n";
    IniFile ini = IniFile::fromBytes(before);
    QCOMPARE(ini.value("A", "other").value_or(QString()), cp1252::decode(all.left(254)));
    ini.setValue("B", "x", "2");
    QByteArray expected = before;
    expected.replace("x=1", "x=2");
    QCOMPARE(ini.toBytes(), expected);

    // Read through the table: each byte gives its cp1252 character.
    const QByteArray high = "[s]\r\nk=" + all.mid(0x80 - 2) + "\r\n"; // 0x80..0xFF
    const QString read = IniFile::fromBytes(high).value("s", "k").value_or(QString());
    QCOMPARE(read.size(), 128);
    QCOMPARE(cp1252::encode(read), all.mid(0x80 - 2));
}

void TestIniFile::saveReplacesAndKeepsMode()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("Config.ini");
    QVERIFY(writeBytes(path, "[A]\r\nx=1\r\n"));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));

    auto ini = IniFile::load(path);
    QVERIFY(ini.has_value());
    ini->setValue("A", "y", "2");
    QVERIFY(ini->save(path));
    QCOMPARE(readBytes(path), QByteArray("[A]\r\nx=1\r\ny=2\r\n"));
    QCOMPARE(restricted::modeOf(path), 0640);
    QCOMPARE(strayFiles(dir.path(), {"Config.ini"}), QStringList());
}

void TestIniFile::saveFollowsSymlink()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir("real"));
    const QString target = dir.filePath("real/Config.ini");
    const QString link = dir.filePath("Config.ini");
    QVERIFY(writeBytes(target, "[A]\r\nx=1\r\n"));
    QVERIFY(QFile::link(target, link));

    auto ini = IniFile::load(link);
    QVERIFY(ini.has_value());
    ini->setValue("A", "x", "2");
    QVERIFY(ini->save(link));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readBytes(target), QByteArray("[A]\r\nx=2\r\n"));
}

void TestIniFile::saveFailingHalfWayKeepsOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("Config.ini");
    const QByteArray old = "[A]\r\nx=1\r\n[B]\r\ny=2\r\n";
    QVERIFY(writeBytes(path, old));

    auto ini = IniFile::load(path);
    QVERIFY(ini.has_value());
    ini->setValue("A", "big", QString(200, u'v'));
    for (int i = 0; i < 40; ++i)
        ini->setValue("C", QStringLiteral("k%1").arg(i), QString(100, u'w'));
    bool saved = true;
    {
        // The disk "fills up" after 64 bytes of the new file.
        FileSizeLimit limit(64);
        saved = ini->save(path);
    }
    QVERIFY(!saved);
    QCOMPARE(readBytes(path), old);
    QCOMPARE(strayFiles(dir.path(), {"Config.ini"}), QStringList());
    // With room again the same document saves.
    QVERIFY(ini->save(path));
    QCOMPARE(readBytes(path), ini->toBytes());
}

void TestIniFile::saveIntoReadOnlyFolderKeepsOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("Config.ini");
    const QByteArray old = "[A]\r\nx=1\r\n";
    QVERIFY(writeBytes(path, old));
    restricted::openUp(path);
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                                  | QFile::ExeGroup | QFile::ReadOther
                                                  | QFile::ExeOther));

    const QString problem = restricted::run([&]() -> QString {
        auto ini = IniFile::load(path);
        if (!ini)
            return "could not read";
        ini->setValue("A", "x", "2");
        if (ini->save(path))
            return "save into a read-only folder reported success";
        return QString();
    });
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(readBytes(path), old);
    QCOMPARE(strayFiles(dir.path(), {"Config.ini"}), QStringList());
}

void TestIniFile::saveOverReadOnlyFileKeepsIt()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    restricted::openUp(dir.path());
    const QString path = dir.filePath("Config.ini");
    const QByteArray old = "[A]\r\nx=1\r\n";
    QVERIFY(writeBytes(path, old));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    // As root the file is plainly writable; the restricted user is not its
    // owner, so for it the file is read-only even though the folder is open.
    const QString problem = restricted::run([&]() -> QString {
        auto ini = IniFile::load(path);
        if (!ini)
            return "could not read";
        ini->setValue("A", "x", "2");
        if (ini->save(path))
            return "save over a read-only file reported success";
        return QString();
    });
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(readBytes(path), old);
    QCOMPARE(restricted::modeOf(path), 0444);
}

void TestIniFile::loadMissingFileFails()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(!IniFile::load(dir.filePath("nothing.ini")).has_value());
    QVERIFY(!IniFile::load(dir.path()).has_value());
}

void TestIniFile::createFileIsExclusiveAndPrivate()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("key.pem");
    const mode_t oldMask = ::umask(0);
    const auto first = atomicfile::createFile(path, "first", 0600);
    const auto second = atomicfile::createFile(path, "second", 0600);
    ::umask(oldMask);
    QCOMPARE(first, atomicfile::CreateResult::Created);
    QCOMPARE(second, atomicfile::CreateResult::AlreadyExists);
    QCOMPARE(readBytes(path), QByteArray("first"));
    QCOMPARE(restricted::modeOf(path), 0600);
    QCOMPARE(strayFiles(dir.path(), {"key.pem"}), QStringList());
    QCOMPARE(atomicfile::createFile(dir.filePath("no/such/folder/key.pem"), "x", 0600),
             atomicfile::CreateResult::Failed);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
