#include "session/frmlogin.h"

#include "net/site.h"
#include "widgetwatch.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

template <class T>
T *child(const char *name)
{
    frmLogin *d = frmLogin::instance();
    return d ? d->findChild<T *>(QLatin1String(name)) : nullptr;
}

QLineEdit *passwordBox()
{
    return child<QLineEdit>("txtPassword");
}

// Runs fn once the dialog is on screen, inside askPassword's wait.
// A failed check inside fn returns early; the dialog is then closed anyway
// so that the wait ends and the failure is reported.
void whileAsking(std::function<void(frmLogin *)> fn)
{
    whenVisible<frmLogin>([fn](frmLogin *d) {
        QPointer<frmLogin> dialog(d);
        fn(d);
        if (dialog && dialog->isVisible())
            dialog->reject();
    });
}

struct Seen {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Qt::WindowModality modality = Qt::NonModal;
    QWidget *parent = nullptr;
};

// Closes the next message box with OK and records what it showed.
void answerMessageBox(Seen &seen)
{
    whenVisible<QMessageBox>([&seen](QMessageBox *box) {
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.modality = box->windowModality();
        seen.parent = box->parentWidget();
        box->button(QMessageBox::Ok)->click();
    });
}

} // namespace

class TestFrmLogin : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void controlsTextsAndOrder();
    void guestPasswordShownInClear_data();
    void guestPasswordShownInClear();
    void lengthMessages_data();
    void lengthMessages();
    void answers_data();
    void answers();
    void refusesCharactersThatCannotBeSent();
    void everyShowingStartsEmptyAndMasked();
    void windowModalOverMainWindow();
    void secondPromptWhileAskingIsCancel();
    void mainWindowGoneWhileAsking();

private:
    QWidget *m_main = nullptr;
};

void TestFrmLogin::init()
{
    delete m_main;
    m_main = new QWidget;
    m_main->setWindowTitle(QStringLiteral("huvudfönster"));
    m_main->resize(300, 200);
    m_main->show();
}

void TestFrmLogin::controlsTextsAndOrder()
{
    QString answer = QStringLiteral("unset");
    whileAsking([](frmLogin *d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Kortvik - Logga in"));
        QCOMPARE(child<QLabel>("lblPassword")->text(), QStringLiteral("1. Fyll i ditt lösenord:"));
        QCOMPARE(child<QLabel>("lblOK")->text(), QStringLiteral("2. Tryck OK"));
        QCOMPARE(child<QPushButton>("cmdOK")->text(), QStringLiteral("OK"));
        QCOMPARE(child<QLabel>("lblCancel")->text(), QStringLiteral("1. Eller tryck Avbryt"));
        QCOMPARE(child<QPushButton>("cmdCancel")->text(), QStringLiteral("Avbryt"));
        QCOMPARE(passwordBox()->toolTip(),
                 QStringLiteral("Ditt lösenord på ") + modData::site().baseUrl() + QStringLiteral("/"));

        // Reading order on screen: top to bottom, then left to right.
        const QList<QWidget *> order{child<QLabel>("lblPassword"), passwordBox(), child<QLabel>("lblOK"),
                                     child<QPushButton>("cmdOK"), child<QLabel>("lblCancel"),
                                     child<QPushButton>("cmdCancel")};
        for (int i = 1; i < order.size(); ++i) {
            const QRect a = order[i - 1]->geometry();
            const QRect b = order[i]->geometry();
            QVERIFY2(a.top() < b.top() || (a.top() == b.top() && a.left() < b.left()),
                     qPrintable(order[i]->objectName()));
        }
        QList<QWidget *> tabOrder;
        for (QWidget *w = passwordBox()->nextInFocusChain(); w != passwordBox(); w = w->nextInFocusChain()) {
            if (w->focusPolicy() & Qt::TabFocus)
                tabOrder.append(w);
        }
        QCOMPARE(tabOrder, (QList<QWidget *>{child<QPushButton>("cmdOK"), child<QPushButton>("cmdCancel")}));

        QTest::keyClicks(passwordBox(), QStringLiteral("abc"));
        QCOMPARE(passwordBox()->echoMode(), QLineEdit::Password);
        QCOMPARE(passwordBox()->displayText(), QStringLiteral("***"));
        child<QPushButton>("cmdCancel")->click();
    });
    answer = frmLogin::askPassword(m_main);
    QCOMPARE(answer, QString());
}

void TestFrmLogin::guestPasswordShownInClear_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("clear");
    QTest::newRow("bvolk") << "bvolk" << true;
    QTest::newRow("BVOLK") << "BVOLK" << true;
    QTest::newRow("mixed case") << "bVoLk" << true;
    QTest::newRow("a sixth character masks again") << "bvolkx" << false;
    QTest::newRow("four of it") << "bvol" << false;
    QTest::newRow("with a blank") << "bvolk " << false;
    QTest::newRow("another password") << "abcde" << false;
}

void TestFrmLogin::guestPasswordShownInClear()
{
    QFETCH(QString, typed);
    QFETCH(bool, clear);
    whileAsking([&](frmLogin *d) {
        QTest::keyClicks(passwordBox(), typed);
        QCOMPARE(passwordBox()->echoMode() == QLineEdit::Normal, clear);
        QCOMPARE(passwordBox()->displayText() == typed, clear);
        d->reject();
    });
    QCOMPARE(frmLogin::askPassword(m_main), QString());
}

void TestFrmLogin::lengthMessages_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    const QString tooShort = QStringLiteral("Det skall vara 5 tecken i lösenordet!\r\nDu har bara angett %1 tecken.");
    const QString tooLong = QStringLiteral("Det skall vara 5 tecken i lösenordet!\r\nDu har angett hela %1 tecken.");
    const QString wrongCount = QStringLiteral("Felaktigt antal tecken!");
    QTest::newRow("empty") << QString() << "Fyll i lösenord!" << "Du måste fylla i ett lösenord!";
    QTest::newRow("one") << "a" << wrongCount << tooShort.arg(1);
    QTest::newRow("three") << "abc" << wrongCount << tooShort.arg(3);
    QTest::newRow("four blanks are four characters") << "    " << wrongCount << tooShort.arg(4);
    QTest::newRow("six") << "abcdef" << wrongCount << tooLong.arg(6);
    QTest::newRow("twelve") << "abcdefghijkl" << wrongCount << tooLong.arg(12);
    // Characters, not UTF-16 units: each emoji is one character.
    QTest::newRow("emoji count once") << QStringLiteral("a\U0001F600bc") << wrongCount << tooShort.arg(4);
    QTest::newRow("three emoji and three letters")
        << QStringLiteral("\U0001F600\U0001F600\U0001F600abc") << wrongCount << tooLong.arg(6);
}

void TestFrmLogin::lengthMessages()
{
    QFETCH(QString, typed);
    QFETCH(QString, title);
    QFETCH(QString, text);

    Seen seen;
    bool stillShown = false;
    QString kept;
    bool focused = false;
    whileAsking([&](frmLogin *d) {
        passwordBox()->setText(typed);
        child<QPushButton>("cmdCancel")->setFocus();
        answerMessageBox(seen);
        child<QPushButton>("cmdOK")->click();  // returns when the box is closed
        stillShown = d->isVisible();
        kept = passwordBox()->text();
        focused = d->focusWidget() == passwordBox();
        d->reject();
    });
    QCOMPARE(frmLogin::askPassword(m_main), QString());
    QCOMPARE(seen.title, title);
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.icon, QMessageBox::Information);
    QCOMPARE(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(seen.modality, Qt::WindowModal);
    QCOMPARE(seen.parent, frmLogin::instance());
    QVERIFY(stillShown);
    QCOMPARE(kept, typed);
    QVERIFY(focused);
}

void TestFrmLogin::answers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("result");

    QTest::newRow("OK with five") << "ab1De" << "ok" << "ab1De";
    QTest::newRow("Enter with five") << "kalle" << "enter" << "kalle";
    QTest::newRow("keypad Enter") << "kalle" << "keypad-enter" << "kalle";
    QTest::newRow("five blanks are a password") << "     " << "ok" << "     ";
    QTest::newRow("guest") << "BvOlK" << "enter" << "BvOlK";
    QTest::newRow("Windows-1252 letters") << QStringLiteral("é€;a ") << "ok" << QStringLiteral("é€;a ");
    QTest::newRow("Avbryt") << "abcde" << "cancel" << "";
    QTest::newRow("Escape in the box") << "abcde" << "escape-box" << "";
    QTest::newRow("Escape on the OK button") << "abcde" << "escape-ok" << "";
    QTest::newRow("close box") << "abcde" << "close" << "";
}

void TestFrmLogin::answers()
{
    QFETCH(QString, typed);
    QFETCH(QString, how);
    QFETCH(QString, result);

    bool hiddenAfter = false;
    whileAsking([&](frmLogin *d) {
        passwordBox()->setText(typed);
        if (how == QLatin1String("ok"))
            child<QPushButton>("cmdOK")->click();
        else if (how == QLatin1String("enter"))
            QTest::keyClick(passwordBox(), Qt::Key_Return);
        else if (how == QLatin1String("keypad-enter"))
            QTest::keyClick(passwordBox(), Qt::Key_Enter, Qt::KeypadModifier);
        else if (how == QLatin1String("cancel"))
            child<QPushButton>("cmdCancel")->click();
        else if (how == QLatin1String("escape-box"))
            QTest::keyClick(passwordBox(), Qt::Key_Escape);
        else if (how == QLatin1String("escape-ok"))
            QTest::keyClick(child<QPushButton>("cmdOK"), Qt::Key_Escape);
        else
            d->close();
        hiddenAfter = !d->isVisible();
    });
    QCOMPARE(frmLogin::askPassword(m_main), result);
    QVERIFY(hiddenAfter);
    // Hidden, not destroyed, and the result stays readable.
    QVERIFY(frmLogin::instance());
    QCOMPARE(frmLogin::instance()->resultText(), result);
}

void TestFrmLogin::refusesCharactersThatCannotBeSent()
{
    const QStringList forbidden{QStringLiteral("\r"), QStringLiteral("\n"), QString(QChar(0)), QStringLiteral("\t"),
                                QStringLiteral("\x7F"), QStringLiteral("\u0081"), QString(QChar(0xFFFF)),
                                QStringLiteral("\U0001F600"), QStringLiteral("\u0100")};
    QStringList taken;
    QString typed;
    bool stillShown = false;
    whileAsking([&](frmLogin *d) {
        QLineEdit *box = passwordBox();
        QTest::keyClicks(box, QStringLiteral("ab"));
        for (const QString &c : forbidden) {
            box->insert(c);  // as pasted or dropped
            if (c.front().unicode() >= 0x80)  // typed; control keys do other things
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, c, Qt::NoModifier);
            if (box->text() != QLatin1String("ab"))
                taken << c;
        }
        for (const QString &c : {QStringLiteral("é"), QStringLiteral("€"), QStringLiteral(";")})
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, c, Qt::NoModifier);
        typed = box->text();
        // Text the program sets bypasses the validator; OK still refuses it.
        box->setText(QStringLiteral("ab\tcd"));
        child<QPushButton>("cmdOK")->click();
        stillShown = d->isVisible();
    });
    QCOMPARE(frmLogin::askPassword(m_main), QString());
    QCOMPARE(taken, QStringList());
    QCOMPARE(typed, QStringLiteral("abé€;"));
    QVERIFY(stillShown);
}

void TestFrmLogin::everyShowingStartsEmptyAndMasked()
{
    whileAsking([](frmLogin *) {
        QTest::keyClicks(passwordBox(), QStringLiteral("bvolk"));
        QTest::keyClick(passwordBox(), Qt::Key_Return);
    });
    QCOMPARE(frmLogin::askPassword(m_main), QStringLiteral("bvolk"));

    QString seenText = QStringLiteral("unset");
    QLineEdit::EchoMode seenMode = QLineEdit::Normal;
    whileAsking([&](frmLogin *d) {
        seenText = passwordBox()->text();
        seenMode = passwordBox()->echoMode();
        d->reject();
    });
    QCOMPARE(frmLogin::askPassword(m_main), QString());
    QCOMPARE(seenText, QString());
    QCOMPARE(seenMode, QLineEdit::Password);
}

void TestFrmLogin::windowModalOverMainWindow()
{
    QPushButton other(QStringLiteral("annat fönster"));
    other.show();
    auto *mainButton = new QPushButton(QStringLiteral("knapp"), m_main);
    mainButton->show();
    int mainClicks = 0;
    int otherClicks = 0;
    connect(mainButton, &QPushButton::clicked, [&] { ++mainClicks; });
    connect(&other, &QPushButton::clicked, [&] { ++otherClicks; });

    whileAsking([&](frmLogin *d) {
        QCOMPARE(d->windowModality(), Qt::WindowModal);
        QCOMPARE(d->parentWidget(), m_main);
        QVERIFY(d->isWindow());
        // Through the windowing system, where modality is enforced.
        QTest::mouseClick(m_main->windowHandle(), Qt::LeftButton, {},
                          mainButton->mapTo(m_main, mainButton->rect().center()));
        QTest::mouseClick(other.windowHandle(), Qt::LeftButton, {}, other.rect().center());
        d->reject();
    });
    frmLogin::askPassword(m_main);
    QCOMPARE(mainClicks, 0);  // the main window is blocked while asking
    QCOMPARE(otherClicks, 1); // an unrelated window is not
    QTest::mouseClick(m_main->windowHandle(), Qt::LeftButton, {},
                      mainButton->mapTo(m_main, mainButton->rect().center()));
    QCOMPARE(mainClicks, 1);
}

void TestFrmLogin::secondPromptWhileAskingIsCancel()
{
    QString inner = QStringLiteral("unset");
    bool shownAfterInner = false;
    whileAsking([&](frmLogin *) {
        inner = frmLogin::askPassword(m_main);
        shownAfterInner = frmLogin::instance()->isVisible();
        passwordBox()->setText(QStringLiteral("abcde"));
        QTest::keyClick(passwordBox(), Qt::Key_Return);
    });
    QCOMPARE(frmLogin::askPassword(m_main), QStringLiteral("abcde"));
    QCOMPARE(inner, QString());
    QVERIFY(shownAfterInner);
}

void TestFrmLogin::mainWindowGoneWhileAsking()
{
    QPointer<QWidget> main = m_main;
    whileAsking([&](frmLogin *) { delete m_main; m_main = nullptr; });
    QCOMPARE(frmLogin::askPassword(main), QString());
    QVERIFY(!frmLogin::instance());

    // The next prompt makes a fresh dialog over the new window.
    init();
    whileAsking([](frmLogin *) {
        passwordBox()->setText(QStringLiteral("12345"));
        child<QPushButton>("cmdOK")->click();
    });
    QCOMPARE(frmLogin::askPassword(m_main), QStringLiteral("12345"));
    QCOMPARE(frmLogin::instance()->parentWidget(), m_main);
}

QTEST_MAIN(TestFrmLogin)
#include "tst_frmlogin.moc"
