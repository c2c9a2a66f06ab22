// The settings module: program folder rule, file creation, reads and writes
// of Config.ini, the per-user fallback and the stored-secret form.
#include "isolatedhome.h"
#include "restricted.h"
#include "settings/clscryptofilterbox.h"
#include "settings/modsettings.h"
#include "text/cp1252.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

// appFilePath as computed before any application object existed.
QString g_pathWithoutApp;

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

constexpr QFile::Permissions kReadOnlyFolder = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                               | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
constexpr QFile::Permissions kOwnerOnlyFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

// The usual umask for the length of a test, whatever the runner's is.
class Umask022
{
public:
    Umask022() : m_old(::umask(022)) {}
    ~Umask022() { ::umask(m_old); }

private:
    mode_t m_old;
};

} // namespace

class TestModSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void appFilePathRule_data();
    void appFilePathRule();
    void appFilePathFollowsExecutable();
    void firstReadCreatesEmptyFile();
    void readsAndWrites();
    void writeKeepsEverythingElse();
    void failedWriteKeepsOtherKeys();
    void settingsFileThatIsAFolder();
    void passwordWriteMakesTheFilePrivate_data();
    void passwordWriteMakesTheFilePrivate();
    void fallbackWhenFolderMissing();
    void installedProgramWritesUnderXdg_data();
    void installedProgramWritesUnderXdg();
    void fallbackWhenFolderReadOnly();
    void fallbackWhenFileReadOnly();
    void nothingWritableGivesDefaults();
    void storedValueForm_data();
    void storedValueForm();
    void storedValueDecoding_data();
    void storedValueDecoding();
    void everyByteRoundTripsThroughTheFile();
    void cipherTextsSurviveTheSettingsFile();

private:
    IsolatedHome *m_dir = nullptr;
    QString m_program; // the program's folder for this test
    QString m_xdg;     // $XDG_CONFIG_HOME for this test
};

void TestModSettings::init()
{
    m_dir = new IsolatedHome;
    QVERIFY(m_dir->isValid());
    restricted::openUp(m_dir->path());
    m_program = m_dir->filePath("program");
    m_xdg = m_dir->filePath(".config");
    QVERIFY(QDir().mkpath(m_program));
    restricted::openUp(m_program);
    modSettings::overrideProgramFolder(m_program);
}

void TestModSettings::cleanup()
{
    modSettings::overrideProgramFolder(QString());
    QFile::setPermissions(m_program, kOwnerOnlyFolder);
    delete m_dir;
    m_dir = nullptr;
}

void TestModSettings::appFilePathRule_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");

    QTest::newRow("ordinary folder") << "/opt/Kortvik" << "/opt/Kortvik/Config.ini";
    QTest::newRow("source folder uses its parent") << "/opt/Kortvik/source" << "/opt/Kortvik/Config.ini";
    QTest::newRow("Source in other case kept") << "/opt/Kortvik/Source" << "/opt/Kortvik/Source/Config.ini";
    QTest::newRow("only the first source") << "/a/source/b/source" << "/a/b/source/Config.ini";
    QTest::newRow("source in the middle") << "/a/source/b" << "/a/b/Config.ini";
    QTest::newRow("sources is another name") << "/a/sources" << "/a/sources/Config.ini";
    QTest::newRow("resource is another name") << "/a/resource" << "/a/resource/Config.ini";
    QTest::newRow("source under the root") << "/source" << "/Config.ini";
    QTest::newRow("root") << "/" << "/Config.ini";
    QTest::newRow("trailing separator") << "/a/b/" << "/a/b/Config.ini";
}

void TestModSettings::appFilePathRule()
{
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QCOMPARE(modSettings::appFilePathIn(folder, "Config.ini"), expected);
}

void TestModSettings::appFilePathFollowsExecutable()
{
    modSettings::overrideProgramFolder(QString());
    const QString expected = modSettings::appFilePathIn(QCoreApplication::applicationDirPath(), "x.rtf");
    QCOMPARE(modSettings::appFilePath("x.rtf"), expected);
    // Before the application object existed the same folder came from /proc.
    QCOMPARE(g_pathWithoutApp, expected);
}

void TestModSettings::firstReadCreatesEmptyFile()
{
    const Umask022 umask;
    const QString file = m_program + "/Config.ini";
    QVERIFY(!QFile::exists(file));
    QCOMPARE(modSettings::readSetting("Kortvik", "frmMn.Width", "577"), QStringLiteral("577"));
    QVERIFY(QFileInfo(file).isFile());
    QCOMPARE(QFileInfo(file).size(), 0);
    // It is to hold the stored password: nobody else's to read.
    QCOMPARE(restricted::modeOf(file), 0600);
    modSettings::writeSetting("Kortvik", "frmMn.Width", "600");
    QCOMPARE(restricted::modeOf(file), 0600);
    QCOMPARE(modSettings::settingsFilePath(), file);

    modSettings::ensureSettingsFile("Other.ini");
    QVERIFY(QFileInfo(m_program + "/Other.ini").isFile());
}

void TestModSettings::readsAndWrites()
{
    modSettings::writeSetting("autologin", "logintype", "lastlogin");
    modSettings::writeSetting("Kortvik", "frmMn.Top", "-18");
    modSettings::writeSetting("autologin", "lastlogin", "");

    QCOMPARE(modSettings::readSetting("AUTOLOGIN", "LoginType", ""), QStringLiteral("lastlogin"));
    QCOMPARE(modSettings::readSetting("kortvik", "frmmn.top", "0"), QStringLiteral("-18"));
    // An empty value is not a missing one.
    QCOMPARE(modSettings::readSetting("autologin", "lastlogin", "dflt"), QString());
    QCOMPARE(modSettings::readSetting("autologin", "nothing", "dflt"), QStringLiteral("dflt"));
    QCOMPARE(modSettings::tryReadSetting("autologin", "nothing", "dflt"),
             std::optional<QString>(QStringLiteral("dflt")));
    QCOMPARE(readBytes(m_program + "/Config.ini"),
             QByteArray("[autologin]\r\nlogintype=lastlogin\r\nlastlogin=\r\n"
                        "[Kortvik]\r\nfrmMn.Top=-18\r\n"));

    modSettings::writeSetting("Kortvik", "frmMn.Left", QString(300, u'l'));
    QCOMPARE(modSettings::readSetting("Kortvik", "frmMn.Left", ""), QString(254, u'l'));
}

void TestModSettings::writeKeepsEverythingElse()
{
    const QByteArray before = "\xEF\xBB\xBF; written by hand\r\n[Kortvik]\r\nfrmMn.Width=600\r\n"
                              "frmMn.Height=400\r\nstray line\r\n\r\n[autologin]\n"
                              "logintype=iecookie\nlogintype=second\n[x\x81]\r\n";
    QVERIFY(writeBytes(m_program + "/Config.ini", before));

    modSettings::writeSetting("kortvik", "FRMMN.HEIGHT", "450");
    modSettings::writeSetting("Kortvik", "frmMn.Top", "10");
    modSettings::writeSetting("autologin", "lastlogin", "abcde");

    QCOMPARE(readBytes(m_program + "/Config.ini"),
             QByteArray("\xEF\xBB\xBF; written by hand\r\n[Kortvik]\r\nfrmMn.Width=600\r\n"
                        "frmMn.Height=450\r\nstray line\r\nfrmMn.Top=10\r\n\r\n[autologin]\n"
                        "logintype=iecookie\nlogintype=second\nlastlogin=abcde\r\n[x\x81]\r\n"));
    QCOMPARE(modSettings::readSetting("autologin", "logintype", ""), QStringLiteral("iecookie"));
    QCOMPARE(modSettings::readSetting("kortvik", "stray line", "d"), QStringLiteral("d"));
}

void TestModSettings::failedWriteKeepsOtherKeys()
{
    const QString file = m_program + "/Config.ini";
    modSettings::writeSetting("Kortvik", "frmMn.Width", "577");
    modSettings::writeSetting("autologin", "logintype", "lastlogin");
    const QByteArray before = readBytes(file);

    rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = old;
    tight.rlim_cur = 16; // the disk is full after 16 bytes
    ::setrlimit(RLIMIT_FSIZE, &tight);
    modSettings::writeSetting("autologin", "lastlogin", QString(200, u'p'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(readBytes(file), before);
    QCOMPARE(QDir(m_program).entryList(QDir::Files | QDir::Hidden), QStringList{"Config.ini"});
    QCOMPARE(modSettings::readSetting("autologin", "logintype", ""), QStringLiteral("lastlogin"));
    modSettings::writeSetting("autologin", "lastlogin", "abcde");
    QCOMPARE(modSettings::readSetting("Kortvik", "frmMn.Width", ""), QStringLiteral("577"));
    QCOMPARE(modSettings::readSetting("autologin", "lastlogin", ""), QStringLiteral("abcde"));
}

void TestModSettings::settingsFileThatIsAFolder()
{
    // Like a Config.ini that cannot be written: the settings go to the
    // per-user file, so the window placement is kept after all.
    QVERIFY(QDir().mkpath(m_program + "/Config.ini"));
    const QString xdgFile = m_xdg + "/kortvik/Config.ini";
    QCOMPARE(modSettings::settingsFilePath(), xdgFile);
    QCOMPARE(modSettings::tryReadSetting("Kortvik", "frmMn.Width", "c"), std::optional<QString>("c"));
    modSettings::writeSetting("Kortvik", "frmMn.Width", "640");
    QCOMPARE(modSettings::readSetting("Kortvik", "frmMn.Width", "c"), QStringLiteral("640"));
    QCOMPARE(readBytes(xdgFile), QByteArray("[Kortvik]\r\nfrmMn.Width=640\r\n"));
    QVERIFY(QFileInfo(m_program + "/Config.ini").isDir());
    QVERIFY(QDir(m_program + "/Config.ini").isEmpty());
}

void TestModSettings::passwordWriteMakesTheFilePrivate_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("after");
    QTest::newRow("lastlogin into a 0644 file") << 0644 << "autologin" << "lastlogin" << 0600;
    QTest::newRow("lastlogin into a 0660 file") << 0660 << "autologin" << "lastlogin" << 0600;
    QTest::newRow("only others lose their bits") << 0744 << "autologin" << "lastlogin" << 0700;
    QTest::newRow("names in any case") << 0644 << "AutoLogin" << "LASTLOGIN" << 0600;
    QTest::newRow("a private file stays private") << 0600 << "autologin" << "lastlogin" << 0600;
    QTest::newRow("logintype keeps the mode") << 0644 << "autologin" << "logintype" << 0644;
    QTest::newRow("the placement keeps the mode") << 0664 << "Kortvik" << "frmMn.Width" << 0664;
    QTest::newRow("lastlogin in another section keeps it") << 0644 << "Kortvik" << "lastlogin" << 0644;
}

void TestModSettings::passwordWriteMakesTheFilePrivate()
{
    QFETCH(int, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(int, after);
    const QString file = m_program + "/Config.ini";
    QVERIFY(writeBytes(file, "[autologin]\r\nlogintype=lastlogin\r\n"));
    QVERIFY(::chmod(QFile::encodeName(file).constData(), static_cast<mode_t>(before)) == 0);
    modSettings::writeSetting(section, key, "c1ph3r");
    QCOMPARE(restricted::modeOf(file), after);
    QCOMPARE(modSettings::readSetting(section, key, ""), QStringLiteral("c1ph3r"));
    // One replace: no second file and no temporary left beside it.
    QCOMPARE(QDir(m_program).entryList(QDir::Files | QDir::Hidden), QStringList{"Config.ini"});
}

void TestModSettings::fallbackWhenFolderMissing()
{
    // A "folder" under a plain file can never be written.
    QVERIFY(writeBytes(m_dir->filePath("plainfile"), "x"));
    modSettings::overrideProgramFolder(m_dir->filePath("plainfile/bin"));
    const QString xdgFile = m_xdg + "/kortvik/Config.ini";

    QCOMPARE(modSettings::settingsFilePath(), xdgFile);
    QVERIFY(!QFile::exists(xdgFile));
    const Umask022 umask;
    QCOMPARE(modSettings::readSetting("autologin", "logintype", ""), QString());
    QVERIFY(QFileInfo(xdgFile).isFile());
    // Every folder made on the way is private, and so is the file.
    QCOMPARE(restricted::modeOf(m_xdg), 0700);
    QCOMPARE(restricted::modeOf(m_xdg + "/kortvik"), 0700);
    QCOMPARE(restricted::modeOf(xdgFile), 0600);
    modSettings::writeSetting("autologin", "logintype", "iecookie");
    QCOMPARE(readBytes(xdgFile), QByteArray("[autologin]\r\nlogintype=iecookie\r\n"));
    QCOMPARE(modSettings::readSetting("autologin", "logintype", ""), QStringLiteral("iecookie"));
}

void TestModSettings::installedProgramWritesUnderXdg_data()
{
    QTest::addColumn<QStringList>("folders"); // made under the test's folder, all writable
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("xdg");            // the settings go to $XDG_CONFIG_HOME/kortvik
    QTest::newRow("installed under a prefix") << QStringList{"usr/bin", "usr/share/kortvik/docs"} << "usr/bin" << true;
    QTest::newRow("unpacked package") << QStringList{"x/usr/bin", "x/usr/share/kortvik/docs"} << "x/usr/bin" << true;
    QTest::newRow("build tree, docs beside") << QStringList{"build/bin/docs"} << "build/bin" << false;
    QTest::newRow("docs beside win over the prefix")
        << QStringList{"opt/bin/docs", "opt/share/kortvik/docs"} << "opt/bin" << false;
    QTest::newRow("prefix without docs is no install")
        << QStringList{"p/bin", "p/share/kortvik"} << "p/bin" << false;
}

void TestModSettings::installedProgramWritesUnderXdg()
{
    QFETCH(QStringList, folders);
    QFETCH(QString, program);
    QFETCH(bool, xdg);
    for (const QString &f : folders)
        QVERIFY(QDir(m_dir->path()).mkpath(f));
    const QString folder = m_dir->filePath(program);
    modSettings::overrideProgramFolder(folder);
    const QString expected = xdg ? m_xdg + "/kortvik/Config.ini" : folder + "/Config.ini";
    // Whoever may write the program's folder (root may write /usr/bin).
    QVERIFY(QFileInfo(folder).isWritable());
    QCOMPARE(modSettings::settingsFilePath(), expected);
    modSettings::writeSetting("Kortvik", "frmMn.Width", "640");
    QCOMPARE(readBytes(expected), QByteArray("[Kortvik]\r\nfrmMn.Width=640\r\n"));
    QCOMPARE(QFile::exists(folder + "/Config.ini"), !xdg);
}

void TestModSettings::fallbackWhenFolderReadOnly()
{
    const QString programFile = m_program + "/Config.ini";
    const QByteArray shipped = "[autologin]\r\nlogintype=lastlogin\r\n";
    QVERIFY(writeBytes(programFile, shipped));
    restricted::openUp(programFile);
    QVERIFY(QFile::setPermissions(m_program, kReadOnlyFolder));
    QVERIFY(QDir().mkpath(m_xdg));
    restricted::openUp(m_xdg);
    const QString xdgFile = m_xdg + "/kortvik/Config.ini";

    const QString problem = restricted::run([&]() -> QString {
        if (modSettings::settingsFilePath() != xdgFile)
            return "settings file in force: " + modSettings::settingsFilePath();
        modSettings::writeSetting("Kortvik", "frmMn.Width", "700");
        if (modSettings::readSetting("Kortvik", "frmMn.Width", "") != "700")
            return "value written to the fallback not read back";
        // The program folder's file is not the one in force.
        if (modSettings::readSetting("autologin", "logintype", "none") != "none")
            return "read came from the unwritable folder";
        return QString();
    });
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(readBytes(programFile), shipped);
    QCOMPARE(readBytes(xdgFile), QByteArray("[Kortvik]\r\nfrmMn.Width=700\r\n"));
}

void TestModSettings::fallbackWhenFileReadOnly()
{
    const QString programFile = m_program + "/Config.ini";
    const QByteArray locked = "[Kortvik]\r\nfrmMn.Width=1\r\n";
    QVERIFY(writeBytes(programFile, locked));
    QVERIFY(QFile::setPermissions(programFile, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(QDir().mkpath(m_xdg));
    restricted::openUp(m_xdg);
    const QString xdgFile = m_xdg + "/kortvik/Config.ini";

    const QString problem = restricted::run([&]() -> QString {
        if (modSettings::settingsFilePath() != xdgFile)
            return "settings file in force: " + modSettings::settingsFilePath();
        modSettings::writeSetting("Kortvik", "frmMn.Width", "2");
        if (modSettings::readSetting("Kortvik", "frmMn.Width", "") != "2")
            return "value written to the fallback not read back";
        return QString();
    });
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(readBytes(programFile), locked);
}

void TestModSettings::nothingWritableGivesDefaults()
{
    const QString programFile = m_program + "/Config.ini";
    const QByteArray shipped = "[autologin]\r\nlogintype=lastlogin\r\n";
    QVERIFY(writeBytes(programFile, shipped));
    restricted::openUp(programFile);
    QVERIFY(QFile::setPermissions(m_program, kReadOnlyFolder));
    // The per-user folder cannot be made either: its parent is read-only.
    QVERIFY(QDir().mkpath(m_xdg));
    QVERIFY(QFile::setPermissions(m_xdg, kReadOnlyFolder));

    const QString problem = restricted::run([&]() -> QString {
        if (modSettings::tryReadSetting("autologin", "logintype", "d").has_value())
            return "tryReadSetting gave a value without a usable settings file";
        if (modSettings::readSetting("autologin", "logintype", "d") != "d")
            return "readSetting did not give the default";
        modSettings::writeSetting("autologin", "logintype", "iecookie");
        modSettings::ensureSettingsFile("Config.ini");
        return QString();
    });
    QFile::setPermissions(m_xdg, kOwnerOnlyFolder);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(readBytes(programFile), shipped);
    QVERIFY(!QFile::exists(m_xdg + "/kortvik"));
}

void TestModSettings::storedValueForm_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("stored");

    QTest::newRow("plain") << "abcde" << "abcde";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("inner blank") << "ab de" << "ab de";
    QTest::newRow("inner quote") << "ab\"de" << "ab\"de";
    QTest::newRow("cp1252 letters") << QString::fromUtf8("€åÿ") << QString::fromUtf8("€åÿ");
    QTest::newRow("CR") << "ab\rde" << "hex:61620d6465";
    QTest::newRow("LF") << "ab\nde" << "hex:61620a6465";
    QTest::newRow("NUL") << QString::fromLatin1("ab\0de", 5) << "hex:6162006465";
    QTest::newRow("leading blank") << " abcd" << "hex:2061626364";
    QTest::newRow("trailing blank") << "abcd " << "hex:6162636420";
    QTest::newRow("leading tab") << "\tabcd" << "hex:0961626364";
    QTest::newRow("trailing tab") << "abcd\t" << "hex:6162636409";
    QTest::newRow("leading quote") << "\"abcd" << "hex:2261626364";
    QTest::newRow("trailing quote") << "abcd\"" << "hex:6162636422";
    QTest::newRow("text that looks encoded") << "hex:41" << "hex:6865783a3431";
    QTest::newRow("cp1252 bytes in hex") << QString::fromUtf8("\r€ÿ") << "hex:0d80ff";
}

void TestModSettings::storedValueForm()
{
    QFETCH(QString, raw);
    QFETCH(QString, stored);
    QCOMPARE(modSettings::encodeStoredValue(raw), stored);
    QCOMPARE(modSettings::decodeStoredValue(stored), raw);
}

void TestModSettings::storedValueDecoding_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("raw");

    QTest::newRow("upper-case digits") << "hex:4A4b" << "JK";
    QTest::newRow("prefix alone is raw") << "hex:" << "hex:";
    QTest::newRow("odd digit count is raw") << "hex:414" << "hex:414";
    QTest::newRow("non-digit is raw") << "hex:41zz" << "hex:41zz";
    QTest::newRow("blank inside is raw") << "hex:41 42" << "hex:41 42";
    QTest::newRow("other case prefix is raw") << "HEX:41" << "HEX:41";
    QTest::newRow("non-ASCII digit is raw") << QString::fromUtf8("hex:4１") << QString::fromUtf8("hex:4１");
    QTest::newRow("undefined cp1252 byte") << "hex:81" << QString(QChar(0x81));
}

void TestModSettings::storedValueDecoding()
{
    QFETCH(QString, stored);
    QFETCH(QString, raw);
    QCOMPARE(modSettings::decodeStoredValue(stored), raw);
}

void TestModSettings::everyByteRoundTripsThroughTheFile()
{
    // Each of the 256 cp1252 characters at the start, inside and at the end.
    for (int b = 0; b < 256; ++b) {
        const QChar c = cp1252::character(static_cast<unsigned char>(b));
        const QString raw = QString(c) + "bc" + c + "e" + c;
        modSettings::writeSetting("autologin", "lastlogin", modSettings::encodeStoredValue(raw));
        const QString back = modSettings::decodeStoredValue(
            modSettings::readSetting("autologin", "lastlogin", "<missing>"));
        QVERIFY2(back == raw, qPrintable(QStringLiteral("byte %1").arg(b)));
    }
}

void TestModSettings::cipherTextsSurviveTheSettingsFile()
{
    // Store many passwords as the login does and restore them as the
    // start-up login does; count the cipher texts that a plain INI line
    // could not have carried, so the test is known to cover them.
    clsCryptoFilterBox box;
    QRandomGenerator random(20240611);
    const QString letters = QString::fromUtf8("abcdefghijklmnopqrstuvwxyzåäöABCDEFGHIJKLMNOPQRSTUVWXYZÅÄÖ0123456789");
    int withCr = 0, withLf = 0, withNul = 0, withEdgeBlank = 0, withEdgeQuote = 0;
    int throughFile = 0;
    for (int i = 0; i < 1500; ++i) {
        QString password;
        for (int k = 0; k < 5; ++k)
            password += letters.at(random.bounded(int(letters.size())));
        box.setInBuffer(password);
        box.setPassword("kvmtr");
        box.Encrypt();
        const QString cipher = box.OutBuffer();
        QCOMPARE(cipher.size(), 5);
        withCr += cipher.contains(u'\r');
        withLf += cipher.contains(u'\n');
        withNul += cipher.contains(QChar(0));
        withEdgeBlank += cipher.front() == u' ' || cipher.back() == u' ' || cipher.front() == u'\t'
                         || cipher.back() == u'\t';
        const bool edgeQuote = cipher.front() == u'"' || cipher.back() == u'"';
        withEdgeQuote += edgeQuote;
        // Every cipher text that a plain line could not carry goes through
        // the file, and a sample of the others (each write is flushed to disk).
        if (modSettings::encodeStoredValue(cipher) == cipher && i % 10 != 0)
            continue;
        ++throughFile;

        modSettings::writeSetting("autologin", "lastlogin", modSettings::encodeStoredValue(cipher));
        const QString stored = modSettings::readSetting("autologin", "lastlogin", "");
        clsCryptoFilterBox restore;
        restore.setInBuffer(modSettings::decodeStoredValue(stored));
        restore.setPassword("kvmtr");
        restore.Decrypt();
        QVERIFY2(restore.OutBuffer() == password, qPrintable(QStringLiteral("password #%1").arg(i)));
    }
    QVERIFY(withCr > 0);
    QVERIFY(withLf > 0);
    QVERIFY(withNul > 0);
    QVERIFY(withEdgeBlank > 0);
    QVERIFY(withEdgeQuote > 0);
    QVERIFY(throughFile > 150);
}

int main(int argc, char **argv)
{
    g_pathWithoutApp = modSettings::appFilePath("x.rtf");
    QCoreApplication app(argc, argv);
    TestModSettings test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_modsettings.moc"
