#include "profile/frmsetuserdata.h"

#include "profile/frmwaituserdata.h"
#include "profile/frmwaituserdataset.h"
#include "profile/knowledgebar.h"
#include "profile/knowledgebars.h"
#include "profile/simplecombo.h"
#include "text/singledialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace modGlobal;

namespace {

QPointer<frmSetUserData> &theInstance()
{
    static QPointer<frmSetUserData> editor;
    return editor;
}

const QString kPartnerShop = QStringLiteral("http://shop.sandlund.example");
const char *const kSubjects[kKnowledgeCount] = {"VB2/3/4:", "VB5/6:",  "VB.Net:",   "ASP:",
                                                "ASP.Net:", "C/C++:",  "C#:",       "COM/COM+:",
                                                "IIS/PWS:", "Databaser:", "Nätverk:"};
const char *const kAges[kAgeEntries] = {"10-15", "16-20", "21-25", "26-30",
                                        "31-40", "41-50", "51-60", "61-99"};

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// The text box keeps CR LF line ends as the site writes them.
QString toSiteText(const QString &shown)
{
    QString t = shown;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\n', QStringLiteral("\r\n"));
    return t;
}

QString toShownText(const QString &site)
{
    QString t = site;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t;
}

QLineEdit *lineEdit(QWidget *parent, const char *name, const QString &tip = QString())
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    if (!tip.isEmpty())
        e->setToolTip(tip);
    return e;
}

QLabel *caption(QWidget *parent, const QString &text, QWidget *buddy)
{
    auto *l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

// A name a screen reader says for a control whose visible caption stands
// elsewhere. A list box reports its value as its name, and only a label
// beside it (hidden here) names it.
void nameForScreenReader(QWidget *control, const QString &name)
{
    control->setAccessibleName(name);
    if (qobject_cast<QComboBox *>(control))
        caption(control->parentWidget(), name, control)->hide();
}

// The "?" buttons: what they explain, for a tooltip and a screen reader.
void helpButton(QPushButton *button, const QString &topic)
{
    const QString text = QStringLiteral("Hjälp om ") + topic;
    button->setToolTip(text);
    button->setAccessibleName(text);
}

// Selects an entry; when it is selected already, runs its reaction anyway,
// so a refill always cascades.
void selectAndReact(QComboBox *box, int index, const std::function<void()> &reaction)
{
    if (box->currentIndex() == index)
        reaction();
    else
        box->setCurrentIndex(index);
}

} // namespace

frmSetUserData::frmSetUserData(QWidget *parent, const ProfileLink &link)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_link(link)
{
    setObjectName(QStringLiteral("frmSetUserData"));
    setWindowTitle(QStringLiteral("Ändra dina inställningar på Sandlund"));

    ssTab = new QTabWidget(this);
    ssTab->setObjectName(QStringLiteral("ssTab"));
    const QStringList tabs = {QStringLiteral("Vanligt"), QStringLiteral("Personligt"), QStringLiteral("Om mig"),
                              QStringLiteral("Övrigt"), QStringLiteral("Kunskaper")};
    QList<QWidget *> pages;
    for (const QString &t : tabs) {
        auto *page = new QWidget(ssTab);
        ssTab->addTab(page, t);
        pages << page;
    }
    buildTabNormal(pages[0]);
    buildTabPersonal(pages[1]);
    buildTabAbout(pages[2]);
    buildTabOther(pages[3]);
    buildTabKnowledge(pages[4]);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(ssTab, 1);
    buildButtons();
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdOK, cmdCancel, cmdSet, cmdUpdate})
        buttons->addWidget(b);
    layout->addLayout(buttons);

    tmrFocus = new QTimer(this);
    tmrFocus->setObjectName(QStringLiteral("tmrFocus"));
    tmrFocus->setInterval(1);
    tmrFocus->setSingleShot(true);
    connect(tmrFocus, &QTimer::timeout, this, &frmSetUserData::tmrFocus_Timer);

    // Algorithm of creation: the fixed lists.
    // Filled quietly: adding to an empty list selects its first entry,
    // which is no choice of the member's.
    {
        const QSignalBlocker blockAge(cmbAge);
        const QSignalBlocker blockYear(cmbBirthYear);
        cmbAge->clear();
        for (const char *age : kAges)
            cmbAge->addItem(QLatin1String(age));
        cmbAge->setCurrentIndex(-1);
        for (int y = QDate::currentDate().year(); y >= kFirstBirthYear; --y)
            cmbBirthYear->addItem(QString::number(y));
        cmbBirthYear->setCurrentIndex(-1);
    }

    trackChanges();
    cmdSet->setEnabled(false);

    // Enter in a one-line box commits.
    for (QLineEdit *e : findChildren<QLineEdit *>())
        e->installEventFilter(this);
}

frmSetUserData::~frmSetUserData() = default;

frmSetUserData *frmSetUserData::instance()
{
    return theInstance().data();
}

frmSetUserData *frmSetUserData::openEditor(QWidget *mainWindow, const ProfileLink &link, const QString &tag)
{
    return raiseOrOpen(theInstance(), mainWindow, [&] {
        auto *editor = new frmSetUserData(mainWindow, link);
        editor->setTag(tag);
        return editor;
    });
}

int frmSetUserData::tabForTag(const QString &tag)
{
    const QStringList words = {QStringLiteral("normal"), QStringLiteral("personal"), QStringLiteral("about"),
                               QStringLiteral("other"), QStringLiteral("knowledge")};
    const qsizetype i = words.indexOf(tag);
    return i < 0 ? 0 : static_cast<int>(i);
}

// ---- Building --------------------------------------------------------------

void frmSetUserData::buildTabNormal(QWidget *page)
{
    auto *g = new QGridLayout(page);
    txtFirstName = lineEdit(page, "txtFirstName", QStringLiteral("Vad du heter i förnamn"));
    txtLastName = lineEdit(page, "txtLastName", QStringLiteral("Vad du heter i efternamn"));
    txtAlias = lineEdit(page, "txtAlias", QStringLiteral("Vad du vill kalla dig på Sandlund"));
    txtEMail = lineEdit(page, "txtEMail");
    txtChatfras = lineEdit(page, "txtChatfras");
    chkAnonym = new QCheckBox(QStringLiteral("Jag vill vara anonym"), page);
    chkAnonym->setObjectName(QStringLiteral("chkAnonym"));
    auto *sexBox = new QWidget(page);
    sexBox->setObjectName(QStringLiteral("pctSex"));
    optMale = new QRadioButton(QStringLiteral("Kille"), sexBox);
    optMale->setObjectName(QStringLiteral("optMale"));
    optFemale = new QRadioButton(QStringLiteral("Tjej"), sexBox);
    optFemale->setObjectName(QStringLiteral("optFemale"));
    auto *sexLayout = new QVBoxLayout(sexBox);
    sexLayout->setContentsMargins(0, 0, 0, 0);
    sexLayout->addWidget(optMale);
    sexLayout->addWidget(optFemale);
    txtHomepage = lineEdit(page, "txtHomepage");
    txtICQ = lineEdit(page, "txtICQ");

    const QList<QPair<QString, QWidget *>> rows = {
        {QStringLiteral("Förnamn:"), txtFirstName},   {QStringLiteral("Efternamn:"), txtLastName},
        {QStringLiteral("Alias:"), txtAlias},         {QStringLiteral("E-Mail:"), txtEMail},
        {QStringLiteral("Chatfras:"), txtChatfras},   {QStringLiteral("Anonymitet:"), chkAnonym},
        {QStringLiteral("Kön:"), sexBox},             {QStringLiteral("Hemsida:"), txtHomepage},
        {QStringLiteral("ICQ:"), txtICQ}};
    int r = 0;
    for (const auto &[text, w] : rows) {
        g->addWidget(caption(page, text, w == sexBox ? static_cast<QWidget *>(optMale) : w), r, 0,
                     w == sexBox ? Qt::AlignTop : Qt::Alignment());
        g->addWidget(w, r, 1);
        ++r;
    }
    g->setRowStretch(r, 1);
    g->setColumnStretch(1, 1);
}

void frmSetUserData::buildTabPersonal(QWidget *page)
{
    auto *g = new QGridLayout(page);
    cmbTown = new SimpleCombo(page);
    cmbTown->setObjectName(QStringLiteral("cmbTown"));
    txtStreet = lineEdit(page, "txtStreet");
    txtPostal = lineEdit(page, "txtPostal");
    txtTelephone = lineEdit(page, "txtTelephone");
    txtCompany = lineEdit(page, "txtCompany");
    cmdPersonalInfo = new QPushButton(QStringLiteral("?"), page);
    cmdPersonalInfo->setObjectName(QStringLiteral("cmdPersonalInfo"));
    cmdPersonalInfo->setFixedWidth(30);
    cmdPersonalInfo->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);

    g->addWidget(caption(page, QStringLiteral("Stad:"), cmbTown), 0, 0, Qt::AlignTop);
    nameForScreenReader(cmbTown->lineEdit(), QStringLiteral("Stad"));
    nameForScreenReader(cmbTown->listWidget(), QStringLiteral("Städer"));
    helpButton(cmdPersonalInfo, QStringLiteral("gatuadress, postnummer och telefonnummer"));
    g->addWidget(cmbTown, 0, 1, 1, 2);
    g->addWidget(caption(page, QStringLiteral("Gatuadress:"), txtStreet), 1, 0);
    g->addWidget(txtStreet, 1, 1);
    g->addWidget(caption(page, QStringLiteral("Postnummer:"), txtPostal), 2, 0);
    g->addWidget(txtPostal, 2, 1);
    g->addWidget(caption(page, QStringLiteral("Telefonnummer:"), txtTelephone), 3, 0);
    g->addWidget(txtTelephone, 3, 1);
    // The tall "?" beside street, postal code and telephone.
    g->addWidget(cmdPersonalInfo, 1, 2, 3, 1);
    g->addWidget(caption(page, QStringLiteral("Företag:"), txtCompany), 4, 0);
    g->addWidget(txtCompany, 4, 1);
    g->setRowStretch(0, 1);
    g->setColumnStretch(1, 1);
    setTabOrder(txtTelephone, cmdPersonalInfo);
    setTabOrder(cmdPersonalInfo, txtCompany);
    connect(cmdPersonalInfo, &QPushButton::clicked, this, &frmSetUserData::cmdPersonalInfo_Click);
}

void frmSetUserData::buildTabAbout(QWidget *page)
{
    auto *g = new QGridLayout(page);
    txtInterests = lineEdit(page, "txtInterests");
    txtPresentation = new QPlainTextEdit(page);
    txtPresentation->setObjectName(QStringLiteral("txtPresentation"));
    txtPresentation->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtPresentation->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtPresentation->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtPresentation->setTabChangesFocus(true);
    g->addWidget(caption(page, QStringLiteral("Intressen:"), txtInterests), 0, 0);
    g->addWidget(txtInterests, 0, 1);
    g->addWidget(caption(page, QStringLiteral("Presentation:"), txtPresentation), 1, 0, Qt::AlignTop);
    g->addWidget(txtPresentation, 1, 1);
    g->setRowStretch(1, 1);
    g->setColumnStretch(1, 1);
}

void frmSetUserData::buildTabOther(QWidget *page)
{
    auto *g = new QGridLayout(page);
    txtFoundThis = lineEdit(page, "txtFoundThis");
    cmbAge = new QComboBox(page);
    cmbAge->setObjectName(QStringLiteral("cmbAge"));
    const auto check = [page](const char *name, const QString &text) {
        auto *c = new QCheckBox(text, page);
        c->setObjectName(QLatin1String(name));
        return c;
    };
    chkProfessional = check("chkProfessional", QStringLiteral("Jag arbetar med datorer"));
    chkNewsLetter = check("chkNewsLetter", QStringLiteral("Jag vill ha nyhetsbrev"));
    chkMailForum = check("chkMailForum", QStringLiteral("Maila mig om någon svarar på min fråga"));
    chkMailHTML = check("chkMailHTML", QStringLiteral("Skicka E-mailen som HTML"));
    chkOtherMail = check("chkOtherMail", QStringLiteral("Andra företag får skicka information till mig"));

    auto *birth = new QWidget(page);
    birth->setObjectName(QStringLiteral("pctBirth"));
    auto *h = new QHBoxLayout(birth);
    h->setContentsMargins(0, 0, 0, 0);
    cmbBirthYear = new QComboBox(birth);
    cmbBirthYear->setObjectName(QStringLiteral("cmbBirthYear"));
    cmbBirthMonth = new QComboBox(birth);
    cmbBirthMonth->setObjectName(QStringLiteral("cmbBirthMonth"));
    cmbBirthDay = new QComboBox(birth);
    cmbBirthDay->setObjectName(QStringLiteral("cmbBirthDay"));
    cmbBirthYear->setMinimumContentsLength(4);
    cmbBirthMonth->setMinimumContentsLength(2);
    cmbBirthDay->setMinimumContentsLength(2);
    cmdBirthInfo = new QPushButton(QStringLiteral("?"), birth);
    cmdBirthInfo->setObjectName(QStringLiteral("cmdBirthInfo"));
    cmdBirthInfo->setFixedWidth(30);
    const auto dash = [birth]() {
        auto *line = new QFrame(birth);
        line->setFrameShape(QFrame::HLine);
        line->setFixedWidth(8);
        return line;
    };
    h->addWidget(cmbBirthYear);
    h->addWidget(dash());
    h->addWidget(cmbBirthMonth);
    h->addWidget(dash());
    h->addWidget(cmbBirthDay);
    h->addWidget(cmdBirthInfo);
    h->addStretch(1);
    nameForScreenReader(cmbBirthYear, QStringLiteral("Födelseår"));
    nameForScreenReader(cmbBirthMonth, QStringLiteral("Födelsemånad"));
    nameForScreenReader(cmbBirthDay, QStringLiteral("Födelsedag"));
    helpButton(cmdBirthInfo, QStringLiteral("födelsedatum"));

    const QList<QPair<QString, QWidget *>> rows = {
        {QStringLiteral("Hittat hit från:"), txtFoundThis}, {QStringLiteral("Ålder:"), cmbAge},
        {QStringLiteral("Typ:"), chkProfessional},          {QStringLiteral("Nyhetsbrev:"), chkNewsLetter},
        {QStringLiteral("Mail i forum:"), chkMailForum},    {QStringLiteral("Mail format:"), chkMailHTML},
        {QStringLiteral("Information:"), chkOtherMail},     {QStringLiteral("Födelsedatum:"), birth}};
    int r = 0;
    for (const auto &[text, w] : rows) {
        g->addWidget(caption(page, text, w == birth ? static_cast<QWidget *>(cmbBirthYear) : w), r, 0);
        g->addWidget(w, r, 1, w == cmbAge ? Qt::AlignLeft : Qt::Alignment());
        ++r;
    }
    g->setRowStretch(r, 1);
    g->setColumnStretch(1, 1);

    connect(cmbBirthYear, &QComboBox::currentIndexChanged, this, &frmSetUserData::cmbBirthYear_Click);
    connect(cmbBirthMonth, &QComboBox::currentIndexChanged, this, &frmSetUserData::cmbBirthMonth_Click);
    connect(cmbBirthDay, &QComboBox::currentIndexChanged, this, &frmSetUserData::cmbBirthDay_Click);
    connect(cmdBirthInfo, &QPushButton::clicked, this, &frmSetUserData::cmdBirthInfo_Click);
}

void frmSetUserData::buildTabKnowledge(QWidget *page)
{
    constexpr int kCell = 28;
    auto *g = new QGridLayout(page);
    g->setVerticalSpacing(2);
    auto *header = new QWidget(page);
    auto *hl = new QGridLayout(header);
    hl->setContentsMargins(0, 0, 0, 0);
    hl->setHorizontalSpacing(0);
    for (int k = 0; k < kKnowledgeLevels; ++k) {
        hl->setColumnMinimumWidth(k, kCell);
        hl->addWidget(new QLabel(QString::number(k + 1), header), 0, k, Qt::AlignHCenter);
    }
    g->addWidget(header, 0, 1);

    for (int i = 0; i < kKnowledgeCount; ++i) {
        auto *row = new QWidget(page);
        row->setObjectName(QStringLiteral("pctKnowledge"));
        row->setProperty("index", i);
        auto *rl = new QGridLayout(row);
        rl->setContentsMargins(0, 0, 0, 0);
        rl->setHorizontalSpacing(0);
        auto *group = new QButtonGroup(row);
        for (int k = 0; k < kKnowledgeLevels; ++k) {
            auto *opt = new QRadioButton(row);
            opt->setObjectName(QStringLiteral("optKnowledge") + QString::number(k + 1));
            opt->setProperty("index", i);
            opt->setAccessibleName(QString::fromUtf8(kSubjects[i]).chopped(1) + u' ' + QString::number(k + 1));
            rl->setColumnMinimumWidth(k, kCell);
            rl->addWidget(opt, 0, k, Qt::AlignHCenter);
            group->addButton(opt, k);
            optKnowledge[static_cast<size_t>(k)][static_cast<size_t>(i)] = opt;
        }
        auto *bar = new KnowledgeBar(page);
        bar->setObjectName(QStringLiteral("pctKnowledgePic"));
        bar->setProperty("index", i);
        pctKnowledgePic[static_cast<size_t>(i)] = bar;
        g->addWidget(caption(page, QString::fromUtf8(kSubjects[i]), optKnowledge[0][static_cast<size_t>(i)]),
                     i + 1, 0);
        g->addWidget(row, i + 1, 1);
        g->addWidget(bar, i + 1, 2, Qt::AlignVCenter);
    }
    g->setRowStretch(kKnowledgeCount + 1, 1);
    g->setColumnStretch(3, 1);
}

void frmSetUserData::buildButtons()
{
    const auto button = [this](const char *name, const QString &text, const QString &tip) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(tip);
        // Enter belongs to Validate, not to a default button.
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };
    cmdOK = button("cmdOK", QStringLiteral("OK"),
                   QStringLiteral("Ändrar alla inställningar på servern och stänger fönstret"));
    cmdCancel = button("cmdCancel", QStringLiteral("Avbryt"), QStringLiteral("Stänger fönstret"));
    cmdSet = button("cmdSet", QStringLiteral("Verkställ"), QStringLiteral("Ändrar alla inställningar på servern"));
    cmdUpdate = button("cmdUpdate", QStringLiteral("Uppdatera"), QStringLiteral("Läser alla inställningar från servern"));
    connect(cmdOK, &QPushButton::clicked, this, &frmSetUserData::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSetUserData::reject);
    connect(cmdSet, &QPushButton::clicked, this, &frmSetUserData::cmdSet_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &frmSetUserData::cmdUpdate_Click);
}

void frmSetUserData::trackChanges()
{
    for (QLineEdit *e : {txtFirstName, txtLastName, txtAlias, txtEMail, txtChatfras, txtStreet, txtPostal,
                         txtTelephone, txtCompany, txtInterests, txtHomepage, txtFoundThis, txtICQ})
        connect(e, &QLineEdit::textChanged, this, &frmSetUserData::markChanged);
    connect(txtPresentation, &QPlainTextEdit::textChanged, this, &frmSetUserData::markChanged);
    connect(cmbTown, &SimpleCombo::textChanged, this, &frmSetUserData::markChanged);
    connect(cmbTown, &SimpleCombo::rowSelected, this, &frmSetUserData::markChanged);
    connect(cmbAge, &QComboBox::currentIndexChanged, this, &frmSetUserData::markChanged);
    for (QAbstractButton *b : std::initializer_list<QAbstractButton *>{
             chkAnonym, chkNewsLetter, chkProfessional, chkMailForum, chkMailHTML, chkOtherMail, optMale, optFemale})
        connect(b, &QAbstractButton::clicked, this, &frmSetUserData::markChanged);
    for (const auto &column : optKnowledge) {
        for (QRadioButton *opt : column) {
            connect(opt, &QRadioButton::toggled, this, [this](bool on) {
                if (!on)
                    return;
                drawKnowledgeBars();
                markChanged();
            });
        }
    }
}

void frmSetUserData::markChanged()
{
    cmdSet->setEnabled(true);
}

// ---- Opening and filling ---------------------------------------------------

void frmSetUserData::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        tmrFocus->start();
    }
}

void frmSetUserData::tmrFocus_Timer()
{
    tmrFocus->stop();
    ssTab->setCurrentIndex(tabForTag(m_tag));
    QPointer<frmSetUserData> self(this);
    updateFromServer();
    if (self)
        emit opened();
}

void frmSetUserData::updateFromServer()
{
    const bool wasPending = cmdSet->isEnabled();
    cmdSet->setEnabled(false);
    QPointer<frmSetUserData> self(this);
    const bool ok = runTransfer(nullptr);
    if (!self)
        return;
    if (!ok) {
        tell(QStringLiteral("Kunde inte hämta"),
             QStringLiteral("Dina inställningar kunde inte hämtas från servern.\r\n"
                            "Kontrollera att du är inloggad och att servern går att nå."));
        if (!self)
            return;
        // Edits in the form stay; the last values read are shown otherwise.
        if (wasPending) {
            cmdSet->setEnabled(true);
            return;
        }
    }
    if (m_link.record)
        fillControls(*m_link.record);
    cmdSet->setEnabled(false);
}

void frmSetUserData::fillControls(const ProfileRecord &r)
{
    const ProfileForm f = profileFormFor(r);
    setUpdatesEnabled(false);
    txtFirstName->setText(f.firstName);
    txtLastName->setText(f.lastName);
    txtAlias->setText(f.alias);
    txtEMail->setText(f.email);
    txtChatfras->setText(f.chatfras);
    txtStreet->setText(f.street);
    txtPostal->setText(f.postal);
    txtTelephone->setText(f.telephone);
    txtCompany->setText(f.company);
    txtInterests->setText(f.interests);
    txtPresentation->setPlainText(toShownText(f.presentation));
    txtHomepage->setText(f.homepage);
    txtFoundThis->setText(f.foundThis);

    txtChatfras->setEnabled(f.chatfrasEnabled);
    chkNewsLetter->setChecked(f.newsLetter);
    chkMailForum->setChecked(f.mailForum);
    chkMailHTML->setChecked(f.mailHTML);
    chkOtherMail->setChecked(f.otherMail);

    chkProfessional->setChecked(f.professional);
    cmbAge->setCurrentIndex(f.agePosition);
    txtICQ->setText(f.icq);
    (f.male ? optMale : optFemale)->setChecked(true);

    cmbTown->clear();
    for (const QString &town : r.towns) {
        if (!town.isEmpty())
            cmbTown->addItem(town);
    }
    cmbTown->setText(f.town);

    m_loading = true;
    fillBirthDate(r.strBirthday);
    m_loading = false;

    chkAnonym->setChecked(f.anonym);
    for (int i = 0; i < kKnowledgeCount; ++i)
        optKnowledge[static_cast<size_t>(f.knowledge[static_cast<size_t>(i)])][static_cast<size_t>(i)]->setChecked(true);
    drawKnowledgeBars();
    setUpdatesEnabled(true);
    update();

    m_filled = currentForm();
}

ProfileForm frmSetUserData::currentForm() const
{
    ProfileForm f;
    f.firstName = txtFirstName->text();
    f.lastName = txtLastName->text();
    f.alias = txtAlias->text();
    f.email = txtEMail->text();
    f.chatfras = txtChatfras->text();
    f.chatfrasEnabled = txtChatfras->isEnabled();
    f.anonym = chkAnonym->isChecked();
    f.male = optMale->isChecked();
    f.homepage = txtHomepage->text();
    f.icq = txtICQ->text();
    f.town = cmbTown->text();
    f.street = txtStreet->text();
    f.postal = txtPostal->text();
    f.telephone = txtTelephone->text();
    f.company = txtCompany->text();
    f.interests = txtInterests->text();
    f.presentation = toSiteText(txtPresentation->toPlainText());
    f.foundThis = txtFoundThis->text();
    f.agePosition = cmbAge->currentIndex();
    f.professional = chkProfessional->isChecked();
    f.newsLetter = chkNewsLetter->isChecked();
    f.mailForum = chkMailForum->isChecked();
    f.mailHTML = chkMailHTML->isChecked();
    f.otherMail = chkOtherMail->isChecked();
    f.birthYear = cmbBirthYear->currentText();
    f.birthMonth = cmbBirthMonth->currentText();
    f.birthDay = cmbBirthDay->currentText();
    for (int i = 0; i < kKnowledgeCount; ++i) {
        for (int k = 0; k < kKnowledgeLevels; ++k) {
            if (optKnowledge[static_cast<size_t>(k)][static_cast<size_t>(i)]->isChecked())
                f.knowledge[static_cast<size_t>(i)] = k;
        }
    }
    return f;
}

// ---- Birth date pickers ----------------------------------------------------

int frmSetUserData::selectedYear() const
{
    bool ok = false;
    const int y = cmbBirthYear->currentText().toInt(&ok);
    // No year yet: a leap year, so that no day is ruled out too early.
    return ok ? y : 2000;
}

void frmSetUserData::fillBirthDate(const QString &stored)
{
    m_storedDate = parseBirthDate(stored);
    if (m_storedDate.valid) {
        const int index = cmbBirthYear->findText(QString::number(m_storedDate.year));
        if (index >= 0)
            selectAndReact(cmbBirthYear, index, [this] { cmbBirthYear_Click(); });
        return;
    }
    const QSignalBlocker blockMonth(cmbBirthMonth);
    const QSignalBlocker blockDay(cmbBirthDay);
    cmbBirthMonth->clear();
    cmbBirthDay->clear();
}

void frmSetUserData::fillMonths()
{
    const QSignalBlocker block(cmbBirthMonth);
    cmbBirthMonth->clear();
    for (int m = 1; m <= 12; ++m)
        cmbBirthMonth->addItem(twoDigits(m));
    cmbBirthMonth->setCurrentIndex(-1);
}

void frmSetUserData::fillDays(int n, int select)
{
    {
        const QSignalBlocker block(cmbBirthDay);
        cmbBirthDay->clear();
        for (int d = 1; d <= n; ++d)
            cmbBirthDay->addItem(twoDigits(d));
        cmbBirthDay->setCurrentIndex(-1);
    }
    // The selection runs the day's own reaction.
    cmbBirthDay->setCurrentIndex(select);
}

void frmSetUserData::cmbBirthYear_Click()
{
    const bool wasUpdating = updatesEnabled();
    setUpdatesEnabled(false);
    if (m_loading) {
        {
            const QSignalBlocker block(cmbBirthDay);
            cmbBirthDay->clear();
        }
        fillMonths();
        cmbBirthMonth->setCurrentIndex(m_storedDate.month - 1);
    } else if (cmbBirthMonth->count() == 0) {
        // No date stored yet: the first year chosen opens the months.
        fillMonths();
        const QSignalBlocker block(cmbBirthDay);
        cmbBirthDay->clear();
    } else if (cmbBirthMonth->currentIndex() >= 0) {
        cmbBirthMonth_Click();
    }
    setUpdatesEnabled(wasUpdating);
    if (notePickerPosition(m_lastDate, 2, cmbBirthYear->currentIndex(), m_loading))
        markChanged();
}

void frmSetUserData::cmbBirthMonth_Click()
{
    const bool wasUpdating = updatesEnabled();
    setUpdatesEnabled(false);
    if (m_loading) {
        fillDays(daysInMonth(m_storedDate.month, m_storedDate.year), m_storedDate.day - 1);
    } else {
        const int previous = cmbBirthDay->currentIndex();
        const int n = daysInMonth(cmbBirthMonth->currentIndex() + 1, selectedYear());
        fillDays(n, dayIndexAfterRebuild(previous, n));
    }
    setUpdatesEnabled(wasUpdating);
    if (notePickerPosition(m_lastDate, 1, cmbBirthMonth->currentIndex(), m_loading))
        markChanged();
}

void frmSetUserData::cmbBirthDay_Click()
{
    if (notePickerPosition(m_lastDate, 0, cmbBirthDay->currentIndex(), m_loading))
        markChanged();
}

// ---- Knowledge -------------------------------------------------------------

QList<QRadioButton *> frmSetUserData::knowledgeOptions(int level) const
{
    if (level < 0 || level >= kKnowledgeLevels)
        return {};
    const auto &column = optKnowledge[static_cast<size_t>(level)];
    return QList<QRadioButton *>(column.begin(), column.end());
}

KnowledgeBar *frmSetUserData::knowledgeBar(int subject) const
{
    if (subject < 0 || subject >= kKnowledgeCount)
        return nullptr;
    return pctKnowledgePic[static_cast<size_t>(subject)];
}

void frmSetUserData::drawKnowledgeBars()
{
    for (int i = 0; i < kKnowledgeCount; ++i) {
        int level = 0;
        for (int k = 1; k < kKnowledgeLevels; ++k) {
            if (optKnowledge[static_cast<size_t>(k)][static_cast<size_t>(i)]->isChecked())
                level = k;
        }
        pctKnowledgePic[static_cast<size_t>(i)]->draw(level);
    }
}

// ---- Commit ----------------------------------------------------------------

bool frmSetUserData::runTransfer(const ProfileRecord *edited)
{
    const bool send = edited != nullptr;
    std::function<bool()> transfer = m_link.fetch;
    if (send)
        transfer = [post = m_link.post, record = *edited] { return post && post(record); };
    frmWaitUserData *dialog = send ? new frmWaitUserDataSet(this, transfer) : new frmWaitUserData(this, transfer);
    m_busy = true;
    QPointer<frmSetUserData> self(this);
    QPointer<frmWaitUserData> guard(dialog);
    const bool ok = frmWaitUserData::run(dialog);
    if (self)
        m_busy = false;
    delete guard.data();  // gone already when the editor went
    return ok;
}

bool frmSetUserData::ValidateInfo()
{
    if (!m_link.record)
        return false;
    const ProfileRecord &record = *m_link.record;
    const ProfileForm form = currentForm();
    switch (checkProfileForm(form, m_filled, record)) {
    case CommitCheck::BadTown:
        tell(QStringLiteral("Ogiltigt stad!"), QStringLiteral("Ogiltigt stad!"));
        ssTab->setCurrentIndex(1);
        cmbTown->setFocus();
        return false;
    case CommitCheck::BadBirthDate:
        tell(QStringLiteral("Ogiltigt födelsedatum!"),
             QStringLiteral("Välj år, månad och dag för ditt födelsedatum."));
        ssTab->setCurrentIndex(3);
        (cmbBirthYear->currentIndex() < 0    ? cmbBirthYear
         : cmbBirthMonth->currentIndex() < 0 ? cmbBirthMonth
                                             : cmbBirthDay)
            ->setFocus();
        return false;
    case CommitCheck::Ok:
        break;
    }

    ProfileRecord committed = record;
    commitProfileForm(form, m_filled, committed);
    cmdSet->setEnabled(false);

    QPointer<frmSetUserData> self(this);
    const bool ok = runTransfer(&committed);
    if (!self)
        return ok;
    if (ok) {
        m_filled = form;
        return true;
    }
    // The record still holds what the site last said.
    cmdSet->setEnabled(true);
    tell(QStringLiteral("Kunde inte spara"),
         QStringLiteral("Dina ändringar kunde inte skickas till servern.\r\n"
                        "Kontrollera att du är inloggad och att servern går att nå."));
    return false;
}

void frmSetUserData::Validate(int &keyCode)
{
    if (keyCode != 13)
        return;
    keyCode = 0;
    ValidateInfo();
}

// ---- Buttons and keys ------------------------------------------------------

void frmSetUserData::cmdOK_Click()
{
    if (cmdSet->isEnabled()) {
        QPointer<frmSetUserData> self(this);
        const bool ok = ValidateInfo();
        if (!self || !ok)
            return;
    }
    accept();
}

void frmSetUserData::cmdSet_Click()
{
    ValidateInfo();
}

void frmSetUserData::cmdUpdate_Click()
{
    updateFromServer();
}

void frmSetUserData::tell(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("msgBox"));
    box.setWindowModality(Qt::WindowModal);
    box.exec();
}

void frmSetUserData::cmdPersonalInfo_Click()
{
    tell(QStringLiteral("Skyddat"), QStringLiteral("Gatuadress, postnummer och telefonnummer\r\n"
                                                   "kommer aldrig att lämnas ut, de används till\r\n")
                                        + kPartnerShop + QStringLiteral(", tröjor etc."));
}

void frmSetUserData::cmdBirthInfo_Click()
{
    tell(QStringLiteral("Födelsedatum"), QStringLiteral("Om du fyller i ditt födelsedatum så kommer du att\r\n"
                                                        "få ett gratulations iMail skickat till dig när du fyller år."));
}

bool frmSetUserData::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && qobject_cast<QLineEdit *>(watched)) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            int code = 13;
            Validate(code);
            return code == 0;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmSetUserData::closeEvent(QCloseEvent *event)
{
    // A transfer in flight finishes first; its dialog is up meanwhile.
    if (m_busy) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmSetUserData::reject()
{
    if (m_busy)
        return;
    QDialog::reject();
}
