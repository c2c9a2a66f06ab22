// The About dialog: its texts, the mail link and its mouse rules, the keys
// that close it and the link's hover underline.
#include "about/frmabout.h"
#include "aboutconfig.h"
#include "net/site.h"
#include "version.h"
#include "darkpalette.h"

#include <QScopeGuard>

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

struct OpenCall {
    QWidget *owner;
    QString target;
    QString folder;
};

QLabel *label(QWidget *dialog, const char *name)
{
    return dialog->findChild<QLabel *>(QString::fromLatin1(name));
}

} // namespace

class tst_About : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void texts();
    void mailLink_data();
    void mailLink();
    void closingKeys_data();
    void closingKeys();
    void underline_data();
    void underline();
    void linkColour_data();
    void linkColour();
    void wholeTextShown_data();
    void wholeTextShown();

private:
    QPointer<frmAbout> m_about;
    QList<OpenCall> m_opened;
};

void tst_About::initTestCase()
{
    modData::configureSite(QStringLiteral("sandlund.test:8080"));
}

void tst_About::init()
{
    m_opened.clear();
    frmAbout::setOpener([this](QWidget *owner, const QString &target, const QString &folder) {
        m_opened.append({owner, target, folder});
    });
    m_about = new frmAbout;
    m_about->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_about));
}

void tst_About::cleanup()
{
    delete m_about.data();
    frmAbout::setOpener({});
}

void tst_About::texts()
{
    QCOMPARE(m_about->windowTitle(), QStringLiteral("Om Kortvik..."));
    QCOMPARE(label(m_about, "lblVersionText")->text(), QStringLiteral("Nuvarande version:"));
    QCOMPARE(label(m_about, "lblVersion")->text(), QStringLiteral(KORTVIK_VERSION_TEXT));
    QCOMPARE(QStringLiteral(KORTVIK_VERSION_TEXT), QStringLiteral("0.0.50"));
    QCOMPARE(label(m_about, "lblEMailText")->text(), QStringLiteral("Min E-Mail:"));
    QCOMPARE(label(m_about, "lblEMail")->text(), QStringLiteral(KORTVIK_AUTHOR_EMAIL));
    QCOMPARE(m_about->findChild<QPushButton *>(QStringLiteral("cmdOK"))->text(), QStringLiteral("OK"));
    QCOMPARE(label(m_about, "lblAbout")->text(),
             QStringLiteral("Detta program är gjort för att utnyttja hemsidan http://sandlund.test:8080 på ett "
                            "effektivt sätt. Hemsidan är gjord av " KORTVIK_SITE_MAKER ". Programmet har inget "
                            "med hemsidan att göra. Jag som har gjort programmet heter " KORTVIK_AUTHOR_NAME
                            " och kan nås på min E-Mail adress alternativt Sandlunds chat."));
    // Our own picture and the link's own 32 x 32 pointer.
    QVERIFY(!label(m_about, "Image1")->pixmap().isNull());
    const QCursor cursor = label(m_about, "lblEMail")->cursor();
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.pixmap().size(), QSize(32, 32));
}

void tst_About::mailLink_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("overLabel");
    QTest::addColumn<bool>("opens");
    QTest::newRow("left release over the address") << Qt::LeftButton << true << true;
    QTest::newRow("right release") << Qt::RightButton << true << false;
    QTest::newRow("middle release") << Qt::MiddleButton << true << false;
    QTest::newRow("left, dragged off the address") << Qt::LeftButton << false << false;
}

void tst_About::mailLink()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, overLabel);
    QFETCH(bool, opens);
    QLabel *email = label(m_about, "lblEMail");
    const QPoint at = overLabel ? email->rect().center() : QPoint(email->width() + 40, -30);
    QTest::mousePress(email, button, Qt::NoModifier, email->rect().center());
    QCOMPARE(m_opened.size(), 0);  // a press alone opens nothing
    QTest::mouseRelease(email, button, Qt::NoModifier, at);
    QCOMPARE(m_opened.size(), opens ? 1 : 0);
    if (opens) {
        QCOMPARE(m_opened[0].target, QStringLiteral("mailto:" KORTVIK_AUTHOR_EMAIL "?subject=Kortvik:"));
        QCOMPARE(m_opened[0].owner, m_about.data());
        QCOMPARE(m_opened[0].folder, QStringLiteral("/"));
    }
    // The dialog stays open either way.
    QVERIFY(m_about && m_about->isVisible());
}

void tst_About::closingKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("closes");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << true;
    QTest::newRow("Space") << int(Qt::Key_Space) << true;
    QTest::newRow("Return") << int(Qt::Key_Return) << true;
    QTest::newRow("Enter on the keypad") << int(Qt::Key_Enter) << true;
    QTest::newRow("A") << int(Qt::Key_A) << false;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << false;
    QTest::newRow("F1") << int(Qt::Key_F1) << false;
}

void tst_About::closingKeys()
{
    QFETCH(int, key);
    QFETCH(bool, closes);
    // Through the window, to whatever has the focus.
    QTest::keyClick(m_about->windowHandle(), Qt::Key(key));
    if (closes) {
        QTRY_VERIFY(!m_about);  // unloaded: the window is gone
    } else {
        QTest::qWait(20);
        QVERIFY(m_about && m_about->isVisible());
    }
    QCOMPARE(m_opened.size(), 0);
}

void tst_About::underline_data()
{
    // What happens to the dialog while the address is underlined.
    QTest::addColumn<int>("event");
    QTest::newRow("mouse over the dialog's surface") << int(QEvent::MouseMove);
    QTest::newRow("deactivated") << int(QEvent::WindowDeactivate);
    QTest::newRow("activated") << int(QEvent::WindowActivate);
    QTest::newRow("focus lost") << int(QEvent::FocusOut);
    QTest::newRow("resized") << int(QEvent::Resize);
}

void tst_About::underline()
{
    QFETCH(int, event);
    QLabel *email = label(m_about, "lblEMail");
    QVERIFY(!email->font().underline());
    QTest::mouseMove(m_about, QPoint(2, 2));
    QTest::mouseMove(email, email->rect().center());
    QTRY_VERIFY(email->font().underline());

    if (event == QEvent::MouseMove) {
        QTest::mouseMove(m_about, QPoint(m_about->width() - 3, m_about->height() - 3));
    } else if (event == QEvent::FocusOut) {
        QFocusEvent e(QEvent::FocusOut);
        QCoreApplication::sendEvent(m_about, &e);
    } else if (event == QEvent::Resize) {
        QResizeEvent e(m_about->size(), m_about->size());
        QCoreApplication::sendEvent(m_about, &e);
    } else {
        QEvent e{QEvent::Type(event)};
        QCoreApplication::sendEvent(m_about, &e);
    }
    QTRY_VERIFY(!email->font().underline());
    QVERIFY(m_about->isVisible());
}



void tst_About::linkColour_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("light theme") << false;
    QTest::newRow("dark theme") << true;
}

// The address is drawn in the theme's link colour, which the theme makes
// readable on its own background.
void tst_About::linkColour()
{
    QFETCH(bool, dark);
    const ApplicationPalette theme(dark ? darkPalette() : QApplication::palette());
    frmAbout about;
    QLabel *link = label(&about, "lblEMail");
    const QColor expected = QApplication::palette().color(QPalette::Link);
    QCOMPARE(link->palette().color(link->foregroundRole()), expected);
    // And the pixels say so: the link colour is among them, the text colour is not.
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    const QImage drawn = link->grab().toImage();
    bool seen = false;
    for (int y = 0; y < drawn.height() && !seen; ++y) {
        for (int x = 0; x < drawn.width() && !seen; ++x)
            seen = drawn.pixelColor(x, y) == expected;
    }
    QVERIFY(seen);
}


void tst_About::wholeTextShown_data()
{
    QTest::addColumn<int>("pointSize");
    QTest::newRow("default font") << 0;
    QTest::newRow("a larger desktop font") << 14;
}

// A larger font (a dark desktop theme brings one) must not cut the text.
void tst_About::wholeTextShown()
{
    QFETCH(int, pointSize);
    delete m_about.data();
    QFont font = QApplication::font();
    const QFont before = font;
    if (pointSize > 0)
        font.setPointSize(pointSize);
    QApplication::setFont(font);
    const auto restore = qScopeGuard([&] { QApplication::setFont(before); });
    m_about = new frmAbout;
    m_about->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_about));
    QLabel *text = label(m_about, "lblAbout");
    QVERIFY(text->height() >= text->heightForWidth(text->width()));
    QVERIFY(text->geometry().bottom() < label(m_about, "lblVersionText")->geometry().top());
}

QTEST_MAIN(tst_About)
#include "tst_about.moc"
