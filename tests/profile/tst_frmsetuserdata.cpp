// The profile editor and its progress dialogs, driven as a member would,
// against the demo site.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include "darkpalette.h"
#include "messageboxcatcher.h"
#include "testsession.h"
#include "profile/frmsetuserdata.h"
#include "profile/frmwaituserdata.h"
#include "profile/frmwaituserdataset.h"
#include "profile/knowledgebar.h"
#include "profile/postprofile.h"
#include "profile/simplecombo.h"
#include "profilepage.h"
#include "scriptedserver.h"
#include "sessionfixture.h"
#include "simsite.h"

using namespace modGlobal;

class TstFrmSetUserData : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cleanupTestCase();

    void captionsAndTooltips_data();
    void captionsAndTooltips();
    void tabOrderFollowsTheTables();
    void questionMarkBoxes();
    void opensOnTheTabOfTheWord_data();
    void opensOnTheTabOfTheWord();
    void everyControlIsTrackedAndCommitted_data();
    void everyControlIsTrackedAndCommitted();
    void changedFirstNameReachesTheSite();
    void cancelAfterEditsLeavesTheSite();
    void mailFormatAloneIsAChange();
    void disabledGreeting();
    void newTownFromTheList();
    void townRuleKeepsTheEditorOpen();
    void validateKeyCodes();
    void pickers_data();
    void pickers();
    void birthDateForAMemberWithoutOne();
    void knowledgeBarsFromThePixels_data();
    void knowledgeBarsFromThePixels();
    void waitDialogClosedDuringTransfer();
    void failedTransfersKeepTheEdits();
    void badPagesFillWhatTheyCan_data();
    void badPagesFillWhatTheyCan();
    void layoutShowsEveryCaption();

private:
    void loginAs(const QString &password, qint32 userid);
    frmSetUserData *openEditor(const QString &tag, const ProfileLink &link);
    frmSetUserData *openEditor(const QString &tag = QStringLiteral("normal")) { return openEditor(tag, siteLink()); }
    ProfileLink siteLink();
    // What the site holds now, read by a fetch of our own.
    ProfileRecord siteRecord();
    template<typename T>
    T *child(QWidget *w, const char *name)
    {
        T *c = w->findChild<T *>(QLatin1String(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }

    ScriptedView m_view;
    SimSite *m_sim = nullptr;
    QWidget *m_main = nullptr;
    MessageBoxCatcher *m_boxes = nullptr;
    QStringList m_posted;  // every body the editor had sent
    int m_fetches = 0;
};

void TstFrmSetUserData::init()
{
    m_view = ScriptedView{};
    sessionfixture::reset(&m_view);
    m_sim = new SimSite;
    QVERIFY2(m_sim->start(), qPrintable(m_sim->otherOutput()));
    m_sim->useAsSite();
    m_main = new QWidget;
    m_main->resize(300, 200);
    m_main->show();
    m_boxes = new MessageBoxCatcher;
    m_posted.clear();
    m_fetches = 0;
    loginAs(QStringLiteral("kalle"), 1001);
}

void TstFrmSetUserData::cleanup()
{
    delete m_boxes;
    delete m_main;  // the editor goes with it
    delete m_sim;
    m_boxes = nullptr;
    m_main = nullptr;
    m_sim = nullptr;
}

void TstFrmSetUserData::cleanupTestCase()
{
    resetSession();
}

void TstFrmSetUserData::loginAs(const QString &password, qint32 userid)
{
    sessionfixture::reset(&m_view);
    if (!sessionfixture::logIn(password) || profile().userid != userid)
        qWarning("the login as %s did not succeed", qPrintable(password));
}

ProfileLink TstFrmSetUserData::siteLink()
{
    ProfileLink link;
    link.record = &profile();
    link.fetch = [this] {
        ++m_fetches;
        return fetchProfile();
    };
    link.post = [this](const ProfileRecord &edited) {
        m_posted << profilePostBody(edited);
        return postProfile(edited);
    };
    return link;
}

ProfileRecord TstFrmSetUserData::siteRecord()
{
    // Read by a second session of the same member, so this one is left as it is.
    modGlobal::Session reader;
    reader.loginWith(session().password());
    if (!reader.isLoggedIn())
        qWarning("the site did not answer");
    ProfileRecord now = reader.profile();
    now.knowledgeLevels = profile().knowledgeLevels;
    return now;
}

frmSetUserData *TstFrmSetUserData::openEditor(const QString &tag, const ProfileLink &link)
{
    frmSetUserData *editor = frmSetUserData::openEditor(m_main, link, tag);
    QSignalSpy opened(editor, &frmSetUserData::opened);
    if (!opened.wait(10000))
        qWarning("the editor did not finish opening");
    return editor;
}

void TstFrmSetUserData::captionsAndTooltips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("label");  // caption of the label to its left

    const auto row = [](const char *name, const QString &text, const QString &tip, const QString &label) {
        QTest::newRow(name) << QString::fromLatin1(name) << text << tip << label;
    };
    row("cmdOK", "OK", "Ändrar alla inställningar på servern och stänger fönstret", "");
    row("cmdCancel", "Avbryt", "Stänger fönstret", "");
    row("cmdSet", "Verkställ", "Ändrar alla inställningar på servern", "");
    row("cmdUpdate", "Uppdatera", "Läser alla inställningar från servern", "");
    row("txtFirstName", "", "Vad du heter i förnamn", "Förnamn:");
    row("txtLastName", "", "Vad du heter i efternamn", "Efternamn:");
    row("txtAlias", "", "Vad du vill kalla dig på Sandlund", "Alias:");
    row("txtEMail", "", "", "E-Mail:");
    row("txtChatfras", "", "", "Chatfras:");
    row("chkAnonym", "Jag vill vara anonym", "", "Anonymitet:");
    row("optMale", "Kille", "", "Kön:");
    row("optFemale", "Tjej", "", "");
    row("txtHomepage", "", "", "Hemsida:");
    row("txtICQ", "", "", "ICQ:");
    row("cmbTown", "", "", "Stad:");
    row("txtStreet", "", "", "Gatuadress:");
    row("txtPostal", "", "", "Postnummer:");
    row("txtTelephone", "", "", "Telefonnummer:");
    row("txtCompany", "", "", "Företag:");
    row("cmdPersonalInfo", "?", "Hjälp om gatuadress, postnummer och telefonnummer", "");
    row("txtInterests", "", "", "Intressen:");
    row("txtPresentation", "", "", "Presentation:");
    row("txtFoundThis", "", "", "Hittat hit från:");
    row("cmbAge", "", "", "Ålder:");
    row("chkProfessional", "Jag arbetar med datorer", "", "Typ:");
    row("chkNewsLetter", "Jag vill ha nyhetsbrev", "", "Nyhetsbrev:");
    row("chkMailForum", "Maila mig om någon svarar på min fråga", "", "Mail i forum:");
    row("chkMailHTML", "Skicka E-mailen som HTML", "", "Mail format:");
    row("chkOtherMail", "Andra företag får skicka information till mig", "", "Information:");
    row("cmbBirthYear", "", "", "Födelsedatum:");
    row("cmbBirthMonth", "", "", "");
    row("cmbBirthDay", "", "", "");
    row("cmdBirthInfo", "?", "Hjälp om födelsedatum", "");
}

void TstFrmSetUserData::captionsAndTooltips()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, tip);
    QFETCH(QString, label);
    frmSetUserData editor(m_main, ProfileLink{});
    QCOMPARE(editor.windowTitle(), QStringLiteral("Ändra dina inställningar på Sandlund"));
    QWidget *w = editor.findChild<QWidget *>(name);
    QVERIFY2(w, qPrintable(name));
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        QCOMPARE(b->text(), text);
    QCOMPARE(w->toolTip(), tip);
    QString found;
    for (QLabel *l : editor.findChildren<QLabel *>()) {
        // Hidden labels name a control for a screen reader only.
        if (l->isHidden())
            continue;
        if (l->buddy() == w || (l->buddy() && l->buddy()->focusProxy() == w))
            found = l->text();
    }
    QCOMPARE(found, label);
}

void TstFrmSetUserData::tabOrderFollowsTheTables()
{
    frmSetUserData editor(m_main, ProfileLink{});
    const QStringList expected = {
        "txtFirstName", "txtLastName", "txtAlias", "txtEMail", "txtChatfras", "chkAnonym", "optMale", "optFemale",
        "txtHomepage", "txtICQ", "cmbTown", "txtStreet", "txtPostal", "txtTelephone", "cmdPersonalInfo",
        "txtCompany", "txtInterests", "txtPresentation", "txtFoundThis", "cmbAge", "chkProfessional",
        "chkNewsLetter", "chkMailForum", "chkMailHTML", "chkOtherMail", "cmbBirthYear", "cmbBirthMonth",
        "cmbBirthDay", "cmdBirthInfo", "cmdOK", "cmdCancel", "cmdSet", "cmdUpdate"};
    QStringList order;
    QWidget *w = &editor;
    do {
        // The town box's line stands for the box.
        const QString name = w->parentWidget() && w->parentWidget()->objectName() == QStringLiteral("cmbTown")
                                 ? QStringLiteral("cmbTown")
                                 : w->objectName();
        if (expected.contains(name) && !order.contains(name))
            order << name;
        w = w->nextInFocusChain();
    } while (w != &editor);
    QCOMPARE(order, expected);
}

void TstFrmSetUserData::questionMarkBoxes()
{
    frmSetUserData editor(m_main, ProfileLink{});
    child<QPushButton>(&editor, "cmdPersonalInfo")->click();
    child<QPushButton>(&editor, "cmdBirthInfo")->click();
    QCOMPARE(m_boxes->seen,
             (QStringList{"Skyddat|Gatuadress, postnummer och telefonnummer\r\nkommer aldrig att lämnas ut, de används "
                          "till\r\nhttp://shop.sandlund.example, tröjor etc.",
                          "Födelsedatum|Om du fyller i ditt födelsedatum så kommer du att\r\nfå ett gratulations iMail "
                          "skickat till dig när du fyller år."}));
}

void TstFrmSetUserData::opensOnTheTabOfTheWord_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("caption");
    QTest::newRow("normal") << "normal" << 0 << "Vanligt";
    QTest::newRow("personal") << "personal" << 1 << "Personligt";
    QTest::newRow("about") << "about" << 2 << "Om mig";
    QTest::newRow("other") << "other" << 3 << "Övrigt";
    QTest::newRow("knowledge") << "knowledge" << 4 << "Kunskaper";
    QTest::newRow("empty") << "" << 0 << "Vanligt";
    QTest::newRow("other case") << "Knowledge" << 0 << "Vanligt";
    QTest::newRow("another word") << "hemligt" << 0 << "Vanligt";
}

void TstFrmSetUserData::opensOnTheTabOfTheWord()
{
    QFETCH(QString, tag);
    QFETCH(int, tab);
    QFETCH(QString, caption);
    frmSetUserData *editor = openEditor(tag);
    QVERIFY(editor->isVisible());
    QCOMPARE(editor->windowModality(), Qt::WindowModal);
    auto *ssTab = child<QTabWidget>(editor, "ssTab");
    QCOMPARE(ssTab->currentIndex(), tab);
    QCOMPARE(ssTab->tabText(tab), caption);
    // Filled from the site, and nothing pending after all those reactions.
    QVERIFY(!child<QPushButton>(editor, "cmdSet")->isEnabled());
    QCOMPARE(m_fetches, 1);
    QCOMPARE(child<QLineEdit>(editor, "txtFirstName")->text(), QStringLiteral("Kalle"));
    QCOMPARE(child<QLineEdit>(editor, "txtAlias")->text(), QStringLiteral("Kalle & Co"));
    QCOMPARE(child<SimpleCombo>(editor, "cmbTown")->text(), QStringLiteral("Umeå"));
    QCOMPARE(child<QComboBox>(editor, "cmbAge")->currentText(), QStringLiteral("31-40"));
    QVERIFY(child<QCheckBox>(editor, "chkProfessional")->isChecked());
    QVERIFY(child<QRadioButton>(editor, "optMale")->isChecked());  // the site's "1" is "k"
    QCOMPARE(child<QPlainTextEdit>(editor, "txtPresentation")->toPlainText(),
             QStringLiteral("Hej!\nJag bor i Umeå och seglar på sommaren."));
    QCOMPARE(child<QComboBox>(editor, "cmbBirthDay")->currentText(), QStringLiteral("21"));

    // "OK" without an edit closes without a word to the site.
    QPointer<frmSetUserData> guard(editor);
    const int requests = m_sim->requestLog().size();
    QTest::mouseClick(child<QPushButton>(editor, "cmdOK"), Qt::LeftButton);
    QTRY_VERIFY(guard.isNull());
    QTest::qWait(50);
    QCOMPARE(m_sim->requestLog().size(), requests);
    QVERIFY(m_posted.isEmpty());
    QVERIFY(m_boxes->seen.isEmpty());
}

namespace {

// The record's fields that a control sets, by name.
QMap<QString, QString> fieldsOf(const ProfileRecord &r)
{
    QMap<QString, QString> f;
    const QList<QPair<const char *, QString>> texts = {
        {"firstname", r.firstname}, {"lastname", r.lastname},   {"sign", r.sign},
        {"email", r.email},         {"strChatWelcome", r.strChatWelcome}, {"street", r.street},
        {"homecityName", r.homecityName}, {"postal", r.postal}, {"strMobiltelefon", r.strMobiltelefon},
        {"company", r.company},     {"interests", r.interests}, {"strabout", r.strabout},
        {"homepage", r.homepage},   {"foundthis", r.foundthis}, {"icq", r.icq},
        {"strBirthday", r.strBirthday}, {"sex", r.sex}};
    for (const auto &[name, value] : texts)
        f.insert(QLatin1String(name), value);
    const QList<QPair<const char *, qint64>> numbers = {
        {"chk1", r.chk1},     {"chk2", r.chk2},         {"chk3", r.chk3},         {"setup2", r.setup2},
        {"lngHtmlMail", r.lngHtmlMail}, {"age", r.age}, {"relation", r.relation}, {"homecity", r.homecity}};
    for (const auto &[name, value] : numbers)
        f.insert(QLatin1String(name), QString::number(value));
    return f;
}

} // namespace

void TstFrmSetUserData::everyControlIsTrackedAndCommitted_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QStringList>("changes");  // "field=value" after the commit
    const auto row = [](const char *control, const QStringList &changes) {
        QTest::newRow(control) << QString::fromLatin1(control) << changes;
    };
    row("txtFirstName", {"firstname=Ax"});
    row("txtLastName", {"lastname=Bx"});
    row("txtAlias", {"sign=Cx"});
    row("txtEMail", {"email=Dx"});
    row("txtChatfras", {"strChatWelcome=Ex"});
    row("txtStreet", {"street=Fx"});
    row("txtPostal", {"postal=Gx"});
    row("txtTelephone", {"strMobiltelefon=Hx"});
    row("txtCompany", {"company=Ix"});
    row("txtInterests", {"interests=Jx"});
    row("txtPresentation", {"strabout=K\r\nx"});
    row("txtHomepage", {"homepage=Lx"});
    row("txtFoundThis", {"foundthis=Mx"});
    row("txtICQ", {"icq=Nx"});
    row("cmbTown", {"homecity=7", "homecityName=Luleå"});
    row("cmbAge", {"age=1"});
    row("chkAnonym", {"chk3=0"});
    row("chkNewsLetter", {"chk1=1"});
    row("chkProfessional", {"relation=3"});
    row("chkMailForum", {"setup2=1"});
    row("chkMailHTML", {"lngHtmlMail=1"});
    row("chkOtherMail", {"chk2=1"});
    row("optMale", {"sex=k"});
    row("cmbBirthDay", {"strBirthday=1980-05-01"});
}

void TstFrmSetUserData::everyControlIsTrackedAndCommitted()
{
    QFETCH(QString, control);
    QFETCH(QStringList, changes);
    ProfileRecord record;
    const QStringList texts = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N"};
    QString *fields[] = {&record.firstname, &record.lastname, &record.sign,      &record.email,
                         &record.strChatWelcome, &record.street, &record.postal, &record.strMobiltelefon,
                         &record.company,   &record.interests, &record.strabout, &record.homepage,
                         &record.foundthis, &record.icq};
    for (int i = 0; i < texts.size(); ++i)
        *fields[i] = texts[i];
    record.chatWelcomeEnabled = true;
    record.sex = QStringLiteral("m");
    record.relation = 2;
    record.chk3 = true;
    record.towns[3] = QStringLiteral("Umeå");
    record.towns[7] = QStringLiteral("Luleå");
    record.homecity = 3;
    record.homecityName = QStringLiteral("Umeå");
    record.strBirthday = QStringLiteral("1980-05-17");
    int posts = 0;
    // The site keeps what is sent.
    ProfileLink link{&record, [] { return true; }, [&posts, &record](const ProfileRecord &edited) {
                         record = edited;
                         return ++posts > 0;
                     }};
    frmSetUserData *editor = openEditor(QStringLiteral("normal"), link);
    const QMap<QString, QString> before = fieldsOf(record);

    QWidget *w = child<QWidget>(editor, qPrintable(control));
    if (auto *line = qobject_cast<QLineEdit *>(w))
        line->setText(line->text() + u'x');
    else if (auto *text = qobject_cast<QPlainTextEdit *>(w))
        text->appendPlainText(QStringLiteral("x"));
    else if (auto *town = qobject_cast<SimpleCombo *>(w))
        town->selectRow(1);
    else if (auto *box = qobject_cast<QComboBox *>(w))
        box->setCurrentIndex(0);
    else
        qobject_cast<QAbstractButton *>(w)->click();
    QVERIFY(child<QPushButton>(editor, "cmdSet")->isEnabled());
    QTest::mouseClick(child<QPushButton>(editor, "cmdSet"), Qt::LeftButton);
    QCOMPARE(posts, 1);

    QStringList changed;
    const QMap<QString, QString> after = fieldsOf(record);
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (before.value(it.key()) != it.value())
            changed << it.key() + u'=' + it.value();
    }
    QCOMPARE(changed, changes);
}

void TstFrmSetUserData::changedFirstNameReachesTheSite()
{
    frmSetUserData *editor = openEditor();
    QPointer<frmSetUserData> guard(editor);
    auto *first = child<QLineEdit>(editor, "txtFirstName");
    first->selectAll();
    QTest::keyClicks(first, QStringLiteral("Karl-Åke"));
    QVERIFY(child<QPushButton>(editor, "cmdSet")->isEnabled());
    QTest::mouseClick(child<QPushButton>(editor, "cmdOK"), Qt::LeftButton);
    QTRY_VERIFY(guard.isNull());

    QCOMPARE(m_posted.size(), 1);
    const ProfileRecord site = siteRecord();
    QCOMPARE(site.firstname, QStringLiteral("Karl-Åke"));
    // Field for field, what was sent is what the site now shows.
    QCOMPARE(m_posted[0], profilePostBody(site));
    QCOMPARE(site.homecity, 3);
    QCOMPARE(site.strBirthday, QStringLiteral("1975-03-21"));
    QCOMPARE(session().name(), QStringLiteral("Karl-Åke Ek"));
    QVERIFY(m_boxes->seen.isEmpty());
}

void TstFrmSetUserData::cancelAfterEditsLeavesTheSite()
{
    const ProfileRecord before = siteRecord();
    frmSetUserData *editor = openEditor(QStringLiteral("other"));
    QPointer<frmSetUserData> guard(editor);
    child<QLineEdit>(editor, "txtFoundThis")->setText(QStringLiteral("Annat"));
    child<QCheckBox>(editor, "chkNewsLetter")->click();
    child<QComboBox>(editor, "cmbBirthYear")->setCurrentText(QStringLiteral("1990"));
    child<QRadioButton>(editor, "optKnowledge3")->click();
    QVERIFY(child<QPushButton>(editor, "cmdSet")->isEnabled());
    QTest::mouseClick(child<QPushButton>(editor, "cmdCancel"), Qt::LeftButton);
    QTRY_VERIFY(guard.isNull());
    QVERIFY(m_posted.isEmpty());
    QCOMPARE(sessionfixture::dump(siteRecord()), sessionfixture::dump(before));
    QCOMPARE(profile().knowledgeLevels[0], 0);
}

void TstFrmSetUserData::mailFormatAloneIsAChange()
{
    frmSetUserData *editor = openEditor(QStringLiteral("other"));
    QPointer<frmSetUserData> guard(editor);
    auto *html = child<QCheckBox>(editor, "chkMailHTML");
    QVERIFY(html->isChecked());
    QTest::mouseClick(html, Qt::LeftButton, {}, QPoint(5, html->height() / 2));
    QVERIFY(child<QPushButton>(editor, "cmdSet")->isEnabled());
    QTest::mouseClick(child<QPushButton>(editor, "cmdOK"), Qt::LeftButton);
    QTRY_VERIFY(guard.isNull());
    QVERIFY(!siteRecord().lngHtmlMail);
    QVERIFY(!m_posted.value(0).contains(QStringLiteral("lngHtmlMail")));
}

void TstFrmSetUserData::disabledGreeting()
{
    loginAs(QStringLiteral("nisse"), 1003);
    frmSetUserData *editor = openEditor();
    auto *greeting = child<QLineEdit>(editor, "txtChatfras");
    QVERIFY(!greeting->isEnabled());
    QCOMPARE(greeting->text(), QStringLiteral("Bli bonusmedlem!"));
    child<QLineEdit>(editor, "txtICQ")->setText(QStringLiteral("999"));
    QTest::mouseClick(child<QPushButton>(editor, "cmdSet"), Qt::LeftButton);
    QTRY_COMPARE(m_posted.size(), 1);
    QVERIFY(editor->isVisible());
    QVERIFY(!m_posted[0].contains(QStringLiteral("strChatWelcome")));
    QCOMPARE(siteRecord().icq, QStringLiteral("999"));
    QVERIFY(!child<QPushButton>(editor, "cmdSet")->isEnabled());
}

void TstFrmSetUserData::newTownFromTheList()
{
    frmSetUserData *editor = openEditor(QStringLiteral("personal"));
    QPointer<frmSetUserData> guard(editor);
    auto *town = child<SimpleCombo>(editor, "cmbTown");
    // The site's list without empty slots, in id order.
    QCOMPARE(town->count(), 24);
    QCOMPARE(town->itemText(0), QStringLiteral("-- Välj ort --"));
    QCOMPARE(town->itemText(23), QStringLiteral("Utlandet"));
    QListWidget *list = town->listWidget();
    const QList<QListWidgetItem *> kiruna = list->findItems(QStringLiteral("Kiruna"), Qt::MatchExactly);
    QCOMPARE(kiruna.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(kiruna[0]).center());
    QCOMPARE(town->text(), QStringLiteral("Kiruna"));
    QVERIFY(child<QPushButton>(editor, "cmdSet")->isEnabled());
    QTest::mouseClick(child<QPushButton>(editor, "cmdOK"), Qt::LeftButton);
    QTRY_VERIFY(guard.isNull());
    const ProfileRecord site = siteRecord();
    QCOMPARE(site.homecity, 15);
    QCOMPARE(site.homecityName, QStringLiteral("Kiruna"));
}

void TstFrmSetUserData::townRuleKeepsTheEditorOpen()
{
    frmSetUserData *editor = openEditor(QStringLiteral("knowledge"));
    auto *town = child<SimpleCombo>(editor, "cmbTown");
    town->setText(QStringLiteral("umeå"));
    auto *cmdSet = child<QPushButton>(editor, "cmdSet");
    QTest::mouseClick(cmdSet, Qt::LeftButton);
    QCOMPARE(m_boxes->seen, QStringList{QStringLiteral("Ogiltigt stad!|Ogiltigt stad!")});
    QCOMPARE(child<QTabWidget>(editor, "ssTab")->currentIndex(), 1);
    QTRY_COMPARE(editor->focusWidget(), town->lineEdit());
    QVERIFY(cmdSet->isEnabled());

    QTest::mouseClick(child<QPushButton>(editor, "cmdOK"), Qt::LeftButton);
    QCOMPARE(m_boxes->seen.size(), 2);
    QTest::qWait(50);
    QVERIFY(editor->isVisible());
    QVERIFY(m_posted.isEmpty());
    QCOMPARE(profile().homecityName, QStringLiteral("Umeå"));
}

void TstFrmSetUserData::validateKeyCodes()
{
    frmSetUserData *editor = openEditor();
    child<QLineEdit>(editor, "txtLastName")->setText(QStringLiteral("Eklund"));
    int code = 65;
    editor->Validate(code);
    QCOMPARE(code, 65);
    QVERIFY(m_posted.isEmpty());
    code = 13;
    editor->Validate(code);
    QCOMPARE(code, 0);
    QCOMPARE(m_posted.size(), 1);
    QCOMPARE(siteRecord().lastname, QStringLiteral("Eklund"));

    // Enter in a text box is the same commit.
    auto *street = child<QLineEdit>(editor, "txtStreet");
    street->setText(QStringLiteral("Lillgatan 2"));
    QTest::keyClick(street, Qt::Key_Return);
    QCOMPARE(m_posted.size(), 2);
    QCOMPARE(siteRecord().street, QStringLiteral("Lillgatan 2"));
    QVERIFY(editor->isVisible());
}

void TstFrmSetUserData::pickers_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("actions");  // "year:T", "month:T", "day:T"
    QTest::addColumn<QString>("year");
    QTest::addColumn<int>("months");
    QTest::addColumn<QString>("month");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("day");
    QTest::addColumn<bool>("pending");

    QTest::newRow("29 February 1976 fills all three") << "1976-02-29" << QStringList{} << "1976" << 12 << "02"
                                                      << 29 << "29" << false;
    QTest::newRow("31 January, then February of a leap year")
        << "2004-01-31" << QStringList{"month:02"} << "2004" << 12 << "02" << 29 << "29" << true;
    QTest::newRow("31 January, then February of a common year")
        << "2003-01-31" << QStringList{"month:02"} << "2003" << 12 << "02" << 28 << "28" << true;
    QTest::newRow("day 15 kept through the months")
        << "2003-01-15"
        << QStringList{"month:02", "month:03", "month:04", "month:05", "month:06", "month:07", "month:08",
                       "month:09", "month:10", "month:11", "month:12"}
        << "2003" << 12 << "12" << 31 << "15" << true;
    QTest::newRow("29 February 2000, then 1999") << "2000-02-29" << QStringList{"year:1999"} << "1999" << 12 << "02"
                                                 << 28 << "28" << true;
    QTest::newRow("29 February 2000, then 2004") << "2000-02-29" << QStringList{"year:2004"} << "2004" << 12 << "02"
                                                 << 29 << "29" << true;
    QTest::newRow("without leading zeros: only years") << "1976-2-9" << QStringList{} << "" << 0 << "" << 0 << ""
                                                       << false;
    QTest::newRow("not a date") << "1975-02-29" << QStringList{} << "" << 0 << "" << 0 << "" << false;
    QTest::newRow("year before the list") << "1899-05-05" << QStringList{} << "" << 0 << "" << 0 << "" << false;
    QTest::newRow("the entry already chosen") << "1980-05-17" << QStringList{"day:17", "month:05", "year:1980"}
                                              << "1980" << 12 << "05" << 31 << "17" << false;
    QTest::newRow("no date yet: a year opens the months")
        << "" << QStringList{"year:1990"} << "1990" << 12 << "" << 0 << "" << true;
    QTest::newRow("no date yet: month then gives its days")
        << "" << QStringList{"year:1990", "month:06"} << "1990" << 12 << "06" << 30 << "30" << true;
}

void TstFrmSetUserData::pickers()
{
    QFETCH(QString, stored);
    QFETCH(QStringList, actions);
    ProfileRecord record;
    record.strBirthday = stored;
    ProfileLink link;
    link.record = &record;
    link.fetch = [] { return true; };
    link.post = [](const ProfileRecord &) { return true; };
    frmSetUserData *editor = openEditor(QStringLiteral("other"), link);
    auto *year = child<QComboBox>(editor, "cmbBirthYear");
    auto *month = child<QComboBox>(editor, "cmbBirthMonth");
    auto *day = child<QComboBox>(editor, "cmbBirthDay");
    QCOMPARE(year->itemText(0), QString::number(QDate::currentDate().year()));
    QCOMPARE(year->itemText(year->count() - 1), QStringLiteral("1900"));
    QVERIFY(!child<QPushButton>(editor, "cmdSet")->isEnabled());

    for (const QString &a : actions) {
        const QString what = a.section(u':', 0, 0);
        QComboBox *box = what == QStringLiteral("year") ? year : what == QStringLiteral("month") ? month : day;
        const int index = box->findText(a.section(u':', 1));
        QVERIFY2(index >= 0, qPrintable(a));
        box->setCurrentIndex(index);
    }
    QTEST(year->currentText(), "year");
    QTEST(month->count(), "months");
    QTEST(month->currentText(), "month");
    QTEST(day->count(), "days");
    QTEST(day->currentText(), "day");
    QTEST(child<QPushButton>(editor, "cmdSet")->isEnabled(), "pending");
    if (month->count() == 12)
        QCOMPARE(month->itemText(0), QStringLiteral("01"));
}

void TstFrmSetUserData::birthDateForAMemberWithoutOne()
{
    loginAs(QStringLiteral("anna5"), 1002);
    frmSetUserData *editor = openEditor(QStringLiteral("other"));
    QPointer<frmSetUserData> guard(editor);
    auto *year = child<QComboBox>(editor, "cmbBirthYear");
    auto *month = child<QComboBox>(editor, "cmbBirthMonth");
    auto *day = child<QComboBox>(editor, "cmbBirthDay");
    QCOMPARE(month->count(), 0);
    QVERIFY(child<QRadioButton>(editor, "optFemale")->isChecked());  // the site's "2" is "m"
    // Nothing chosen: the date goes as the two hyphens alone.
    child<QLineEdit>(editor, "txtICQ")->setText(QStringLiteral("42"));
    QTest::mouseClick(child<QPushButton>(editor, "cmdSet"), Qt::LeftButton);
    QCOMPARE(m_posted.size(), 1);
    QCOMPARE(siteRecord().strBirthday, QStringLiteral("--"));
    // Picking with the keyboard, as a member would.
    year->setFocus();
    year->setCurrentIndex(year->findText(QStringLiteral("1990")));
    // A year alone is no date: the member is told and nothing is sent.
    QTest::mouseClick(child<QPushButton>(editor, "cmdOK"), Qt::LeftButton);
    QCOMPARE(m_boxes->seen.value(0).section(u'|', 0, 0), QStringLiteral("Ogiltigt födelsedatum!"));
    QCOMPARE(m_posted.size(), 1);
    month->setCurrentIndex(1);
    QCOMPARE(day->count(), 28);
    day->setCurrentIndex(day->findText(QStringLiteral("12")));
    QTest::mouseClick(child<QPushButton>(editor, "cmdOK"), Qt::LeftButton);
    QTRY_VERIFY(guard.isNull());
    const ProfileRecord site = siteRecord();
    QCOMPARE(site.strBirthday, QStringLiteral("1990-02-12"));
    // Untouched, a cleared "Jag arbetar med datorer" is relation 2.
    QCOMPARE(site.relation, 2);
    QCOMPARE(site.sex, QStringLiteral("m"));
}

void TstFrmSetUserData::knowledgeBarsFromThePixels_data()
{
    QTest::addColumn<int>("column");  // the caption of the column clicked
    QTest::addColumn<int>("quarters");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("dark");  // under a dark theme the empty part is its base colour
    QTest::newRow("1: no bar") << 1 << 0 << QColor() << false;
    QTest::newRow("2: red quarter") << 2 << 1 << QColor(255, 0, 0) << false;
    QTest::newRow("3: orange half") << 3 << 2 << QColor(255, 153, 0) << false;
    QTest::newRow("4: yellow three quarters") << 4 << 3 << QColor(255, 255, 0) << false;
    QTest::newRow("5: green whole") << 5 << 4 << QColor(0, 255, 0) << false;
    QTest::newRow("dark theme, 1: no bar") << 1 << 0 << QColor() << true;
    QTest::newRow("dark theme, 4: yellow three quarters") << 4 << 3 << QColor(255, 255, 0) << true;
}

void TstFrmSetUserData::knowledgeBarsFromThePixels()
{
    QFETCH(int, column);
    QFETCH(int, quarters);
    QFETCH(QColor, colour);
    QFETCH(bool, dark);
    const ApplicationPalette theme(dark ? darkPalette() : QApplication::palette());
    frmSetUserData *editor = openEditor(QStringLiteral("knowledge"));
    const QColor blank = QApplication::palette().color(QPalette::Base);
    // Every subject starts at column "1", without a bar.
    for (int i = 0; i < kKnowledgeCount; ++i) {
        QVERIFY(editor->knowledgeOptions(0)[i]->isChecked());
        QCOMPARE(editor->knowledgeBar(i)->picture().pixelColor(1, 5), blank);
    }
    QVERIFY(editor->knowledgeOptions(5).isEmpty());
    // "ASP:" is subject 3; give subject 0 a bar first, to see it stay.
    QTest::mouseClick(editor->knowledgeOptions(2)[0], Qt::LeftButton);
    if (column == 1)
        QTest::mouseClick(editor->knowledgeOptions(4)[3], Qt::LeftButton);
    QTest::mouseClick(editor->knowledgeOptions(column - 1)[3], Qt::LeftButton);
    QVERIFY(child<QPushButton>(editor, "cmdSet")->isEnabled());

    const QImage &pic = editor->knowledgeBar(3)->picture();
    const int width = pic.width();
    const int y = pic.height() / 2;
    const int length = width * quarters / 4;
    QCOMPARE(pic.pixelColor(0, y), blank);  // the border stays clear
    if (quarters == 0) {
        for (int x = 0; x < width; ++x)
            QCOMPARE(pic.pixelColor(x, y), blank);
    } else {
        QCOMPARE(pic.pixelColor(1, y), colour);
        QCOMPARE(pic.pixelColor(length - 2, y), colour);
        QCOMPARE(pic.pixelColor(length - 1, y), blank);
        QCOMPARE(pic.pixelColor(1, 0), blank);
        QCOMPARE(pic.pixelColor(1, pic.height() - 1), blank);
    }
    const QImage &other = editor->knowledgeBar(0)->picture();
    QCOMPARE(other.pixelColor(width / 2 - 2, y), QColor(255, 153, 0));
    QCOMPARE(other.pixelColor(width / 2 - 1, y), blank);
}

void TstFrmSetUserData::waitDialogClosedDuringTransfer()
{
    int runs = 0;
    frmWaitUserData *dialog = nullptr;
    bool hiddenDuring = false;
    auto transfer = [&] {
        ++runs;
        if (const QString dir = qEnvironmentVariable("KORTVIK_GRAB_DIR"); !dir.isEmpty())
            dialog->grab().save(QDir(dir).filePath(QStringLiteral("frmWaitUserDataSet.png")));
        dialog->close();
        hiddenDuring = !dialog->isVisible();
        // A slow site: the animation runs meanwhile.
        QTest::qWait(700);
        return true;
    };
    dialog = new frmWaitUserDataSet(m_main, transfer);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Vänta..."));
    QCOMPARE(child<QLabel>(dialog, "lblWait")->text(),
             QStringLiteral("Var vänlig att vänta medan datorn lämnar information om dig till servern..."));
    QVERIFY(frmWaitUserData::run(dialog));
    QVERIFY(hiddenDuring);
    QCOMPARE(runs, 1);
    QVERIFY(dialog->bounce().value >= 3);
    QVERIFY(!child<QTimer>(dialog, "tmrWait")->isActive());
    QVERIFY(!child<QTimer>(dialog, "tmrGet")->isActive());
    QTest::qWait(300);
    QCOMPARE(runs, 1);
    delete dialog;

}

void TstFrmSetUserData::failedTransfersKeepTheEdits()
{
    frmSetUserData *editor = openEditor();
    QPointer<frmSetUserData> guard(editor);
    auto *first = child<QLineEdit>(editor, "txtFirstName");
    first->setText(QStringLiteral("Kurt"));
    const ProfileRecord before = profile();
    m_sim->stop();

    QTest::mouseClick(child<QPushButton>(editor, "cmdUpdate"), Qt::LeftButton);
    QCOMPARE(m_boxes->seen.size(), 1);
    QVERIFY(m_boxes->seen[0].startsWith(QStringLiteral("Kunde inte hämta|")));
    QCOMPARE(first->text(), QStringLiteral("Kurt"));
    QVERIFY(child<QPushButton>(editor, "cmdSet")->isEnabled());

    QTest::mouseClick(child<QPushButton>(editor, "cmdOK"), Qt::LeftButton);
    QCOMPARE(m_boxes->seen.size(), 2);
    QVERIFY(m_boxes->seen[1].startsWith(QStringLiteral("Kunde inte spara|")));
    QVERIFY(!guard.isNull());
    QVERIFY(editor->isVisible());
    QCOMPARE(first->text(), QStringLiteral("Kurt"));
    QVERIFY(child<QPushButton>(editor, "cmdSet")->isEnabled());
    // The record still holds what the site last said.
    QCOMPARE(sessionfixture::dump(profile()), sessionfixture::dump(before));
}

void TstFrmSetUserData::badPagesFillWhatTheyCan_data()
{
    using namespace profilepage;
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("sent");  // pieces the post body must hold
    QTest::addColumn<int>("months");
    QTest::addColumn<int>("age");           // position shown
    QTest::addColumn<QString>("town");      // the town box

    const QString name = textInput(QStringLiteral("firstname"), QStringLiteral("Bo"));
    const QString towns = selectList({QStringLiteral("<option  value=3>Umeå</option>"),
                                      QStringLiteral("<option  selected value=7>Luleå</option>")});
    QTest::newRow("empty page") << QString()
                                << QStringList{"strBirthday=%2D%2D&", "&age=0&", "&relation=2&", "&homecity=0&"}
                                << 0 << -1 << "";
    QTest::newRow("31 February") << page({name, birthday(QStringLiteral("1980-02-31")), towns})
                                 << QStringList{"strBirthday=1980%2D02%2D31&", "&homecity=7&"} << 0 << -1
                                 << "Luleå";
    QTest::newRow("age 9") << page({name, radio(QStringLiteral("age"), QStringLiteral("9"), true), towns})
                           << QStringList{"&age=0&", "&homecity=7&"} << 0 << -1 << "Luleå";
    QTest::newRow("relation 1") << page({name, radio(QStringLiteral("relation"), QStringLiteral("1"), true), towns})
                                << QStringList{"&relation=2&", "&homecity=7&"} << 0 << -1 << "Luleå";
    QTest::newRow("town id the list lacks")
        << page({name, selectList({QStringLiteral("<option  value=3>Umeå</option>"),
                                   QStringLiteral("<option  selected value=301>Ingenstans</option>")})})
        << QStringList{"&homecity=0&"} << 0 << -1 << "";
}

void TstFrmSetUserData::badPagesFillWhatTheyCan()
{
    QFETCH(QString, page);
    QFETCH(QStringList, sent);
    // A member who has filled in nothing: what a page lacks stays empty.
    sessionfixture::reset(&m_view);
    QVERIFY(sessionfixture::logIn(QStringLiteral("kalle"), sessionfixture::member(QStringLiteral("kalle"), 1001)));
    ScriptedServer server;
    QVERIFY(server.listen());
    server.useAsSite();
    server.setScript(ScriptedServer::chunks({sessionfixture::response(page, QStringLiteral("kalle"))}));
    // The member's own knowledge levels, as an earlier edit left them.
    ProfileRecord known = profile();
    known.knowledgeLevels[2] = 9;
    QVERIFY(postProfile(known));

    frmSetUserData *editor = openEditor(QStringLiteral("other"));
    QPointer<frmSetUserData> guard(editor);
    QTEST(child<QComboBox>(editor, "cmbBirthMonth")->count(), "months");
    QTEST(child<QComboBox>(editor, "cmbAge")->currentIndex(), "age");
    QTEST(child<SimpleCombo>(editor, "cmbTown")->text(), "town");
    QVERIFY(editor->knowledgeOptions(0)[2]->isChecked());
    QVERIFY(!child<QPushButton>(editor, "cmdSet")->isEnabled());

    child<QLineEdit>(editor, "txtFirstName")->setText(QStringLiteral("Ny"));
    QTest::mouseClick(child<QPushButton>(editor, "cmdOK"), Qt::LeftButton);
    QTRY_VERIFY(guard.isNull());
    QByteArray post;
    for (int n = 0; n < server.connectionCount(); ++n) {
        if (server.request(n).startsWith("POST "))
            post = server.request(n);
    }
    const QString body = QString::fromLatin1(post.mid(post.indexOf("\r\n\r\n") + 4));
    QVERIFY2(body.startsWith(QStringLiteral("strBirthday=")), post.constData());
    QVERIFY(body.contains(QStringLiteral("&firstname=Ny&")));
    for (const QString &piece : sent)
        QVERIFY2(body.contains(piece), qPrintable(piece + QStringLiteral(" in ") + body));
}

void TstFrmSetUserData::layoutShowsEveryCaption()
{
    frmSetUserData *editor = openEditor();
    auto *ssTab = child<QTabWidget>(editor, "ssTab");
    const QString dir = qEnvironmentVariable("KORTVIK_GRAB_DIR");
    for (int t = 0; t < ssTab->count(); ++t) {
        ssTab->setCurrentIndex(t);
        QCoreApplication::processEvents();
        const QImage picture = editor->grab().toImage();
        if (!dir.isEmpty())
            picture.save(QDir(dir).filePath(QStringLiteral("frmSetUserData-%1.png").arg(t)));
        for (QWidget *w : ssTab->currentWidget()->findChildren<QWidget *>()) {
            if (!w->isVisible())
                continue;
            // Nothing cut off, nothing outside the tab.
            if (auto *l = qobject_cast<QLabel *>(w))
                QVERIFY2(l->width() >= l->minimumSizeHint().width(), qPrintable(l->text()));
            auto *b = qobject_cast<QAbstractButton *>(w);
            if (b && !b->text().isEmpty()) {
                const int text = b->fontMetrics().horizontalAdvance(b->text());
                const int indicator = qobject_cast<QPushButton *>(b) ? 0 : b->iconSize().width();
                QVERIFY2(b->width() >= text + indicator + 6, qPrintable(b->objectName()));
                QVERIFY2(b->height() >= b->fontMetrics().height(), qPrintable(b->objectName()));
            }
            const QRect inTab(w->mapTo(ssTab->currentWidget(), QPoint(0, 0)), w->size());
            QVERIFY2(ssTab->currentWidget()->rect().contains(inTab), qPrintable(w->objectName()));
        }
    }
}

QTEST_MAIN(TstFrmSetUserData)
#include "tst_frmsetuserdata.moc"
