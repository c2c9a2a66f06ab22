#include <QDesktopServices>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "text/opendocument.h"

// Receives what the desktop would be asked to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TstOpenDocument : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void handsTargetOver_data();
    void handsTargetOver();
    void relativeFileFromFolder();
    void emptyTargetOpensNothing();

private:
    UrlCatcher m_catcher;
};

void TstOpenDocument::init()
{
    m_catcher.urls.clear();
    for (const char *scheme : {"http", "https", "mailto", "file"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_catcher, "open");
}

void TstOpenDocument::cleanup()
{
    for (const char *scheme : {"http", "https", "mailto", "file"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

void TstOpenDocument::handsTargetOver_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QUrl>("opened");
    QTest::newRow("mail link") << QStringLiteral("mailto:kortvik@sandlund.example")
                               << QUrl(QStringLiteral("mailto:kortvik@sandlund.example"));
    QTest::newRow("address") << QStringLiteral("http://127.0.0.1:8080/default.asp")
                             << QUrl(QStringLiteral("http://127.0.0.1:8080/default.asp"));
    QTest::newRow("address with a blank") << QStringLiteral("http://127.0.0.1/a b.asp")
                                          << QUrl(QStringLiteral("http://127.0.0.1/a%20b.asp"));
    QTest::newRow("absolute file") << QStringLiteral("/tmp/x y.rtf")
                                   << QUrl::fromLocalFile(QStringLiteral("/tmp/x y.rtf"));
}

void TstOpenDocument::handsTargetOver()
{
    QFETCH(QString, target);
    QFETCH(QUrl, opened);
    modWebFunctions::openDocument(nullptr, target, QStringLiteral("/"));
    QCOMPARE(m_catcher.urls, QList<QUrl>{opened});
}

void TstOpenDocument::relativeFileFromFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    modWebFunctions::openDocument(nullptr, QStringLiteral("docs/a.rtf"), dir.path());
    QCOMPARE(m_catcher.urls,
             QList<QUrl>{QUrl::fromLocalFile(QDir(dir.path()).filePath(QStringLiteral("docs/a.rtf")))});
}

void TstOpenDocument::emptyTargetOpensNothing()
{
    modWebFunctions::openDocument(nullptr, QString(), QStringLiteral("/"));
    QVERIFY(m_catcher.urls.isEmpty());
}

QTEST_MAIN(TstOpenDocument)
#include "tst_opendocument.moc"
