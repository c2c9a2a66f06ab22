#include "app/frmdesktop.h"

#include "session/storedpassword.h"
#include "session/usablepassword.h"
#include "settings/autostart.h"
#include "settings/keyringstore.h"
#include "settings/modsettings.h"
#include "text/singledialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QPointer<frmDesktop> &theInstance()
{
    static QPointer<frmDesktop> dialog;
    return dialog;
}

const QString kSection = QStringLiteral("Kortvik");
const QString kNotify = QStringLiteral("notify");

bool notifyOn()
{
    return modSettings::readSetting(kSection, kNotify, QString()).trimmed() != QLatin1String("0");
}

// The stored password back into Config.ini when the member no longer wants
// the keyring: it is taken out of the keyring only once Config.ini holds it.
void moveOutOfKeyring()
{
    keyringStore::read(qApp, [](keyringStore::Outcome outcome, const QString &password) {
        if (outcome != keyringStore::Outcome::Done)
            return;
        const QString section = QStringLiteral("autologin");
        const QString key = QStringLiteral("lastlogin");
        if (modSettings::readSetting(section, key, QString()).isEmpty() && modGlobal::isUsablePassword(password)) {
            const QString sealed = modGlobal::sealPassword(password);
            modSettings::writeSetting(section, key, sealed);
            if (modSettings::tryReadSetting(section, key, QString()) != sealed)
                return;
        }
        keyringStore::remove(qApp, [](keyringStore::Outcome) {});
    });
}

// And into the keyring when the member wants it again.
void moveIntoKeyring()
{
    const QString stored = modSettings::readSetting(QStringLiteral("autologin"), QStringLiteral("lastlogin"), QString());
    const QString password = stored.isEmpty() ? QString() : modGlobal::unsealPassword(stored);
    if (modGlobal::isUsablePassword(password))
        keyringStore::moveFromSettings(password, stored);
}

} // namespace

frmDesktop::frmDesktop(const QStringList &command, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_command(command)
{
    setObjectName(QStringLiteral("frmDesktop"));
    setWindowTitle(QStringLiteral("Skrivbord"));
    if (parent)
        setWindowIcon(parent->windowIcon());

    // As "Lokala inställningar": one tab, and the buttons below it.
    ssTab = new QTabWidget(this);
    ssTab->setObjectName(QStringLiteral("ssTab"));
    auto *page = new QWidget(ssTab);
    ssTab->addTab(page, QStringLiteral("Skrivbord"));
    auto *column = new QVBoxLayout(page);
    const auto check = [page, column](const char *name, const QString &text) {
        auto *c = new QCheckBox(text, page);
        c->setObjectName(QLatin1String(name));
        column->addWidget(c);
        return c;
    };
    chkAutostart = check("chkAutostart", QStringLiteral("Starta Kortvik när jag loggar in på datorn"));
    chkNotify = check("chkNotify", QStringLiteral("Visa aviseringar"));
    chkKeyring = check("chkKeyring", QStringLiteral("Spara lösenordet i skrivbordets nyckelring"));
    lblKeyring = new QLabel(page);
    lblKeyring->setObjectName(QStringLiteral("lblKeyring"));
    lblKeyring->setTextFormat(Qt::PlainText);
    lblKeyring->setWordWrap(true);
    lblKeyring->setIndent(20);
    column->addWidget(lblKeyring);
    column->addStretch(1);

    const auto button = [this](const char *name, const QString &text) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        b->setMinimumWidth(1935 / 15);
        return b;
    };
    cmdOK = button("cmdOK", QStringLiteral("OK"));
    cmdCancel = button("cmdCancel", QStringLiteral("Avbryt"));
    cmdOK->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addStretch(1);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->addWidget(ssTab, 1);
    outer->addLayout(buttons);
    setFixedSize(425, 230);

    connect(cmdOK, &QPushButton::clicked, this, &frmDesktop::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDesktop::reject);
    connect(chkKeyring, &QCheckBox::toggled, this, &frmDesktop::showKeyringStatus);
    setTabOrder(cmdOK, cmdCancel);
    setTabOrder(cmdCancel, chkAutostart);
    setTabOrder(chkAutostart, chkNotify);
    setTabOrder(chkNotify, chkKeyring);
}

frmDesktop *frmDesktop::instance()
{
    return theInstance().data();
}

frmDesktop *frmDesktop::openDialog(QWidget *mainWindow, const QStringList &command)
{
    return raiseOrOpen(theInstance(), mainWindow, [&] { return new frmDesktop(command, mainWindow); });
}

QString frmDesktop::unreachableText()
{
    return QStringLiteral("Nyckelringen kan inte nås: lösenordet sparas i Config.ini");
}

QString frmDesktop::keyringStatus() const
{
    return lblKeyring->text();
}

void frmDesktop::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // Read once the dialog is on screen.
        QTimer::singleShot(1, this, &frmDesktop::load);
    }
}

void frmDesktop::load()
{
    m_autostart = autostart::isOn();
    m_notify = notifyOn();
    m_keyring = keyringStore::wanted();
    chkAutostart->setChecked(m_autostart);
    chkNotify->setChecked(m_notify);
    chkKeyring->setChecked(m_keyring);
    showKeyringStatus();
    cmdOK->setFocus();
    emit settingsLoaded();
}

void frmDesktop::showKeyringStatus()
{
    const bool unreachable = chkKeyring->isChecked() && (!keyringStore::offered() || keyringStore::lastUnreachable());
    lblKeyring->setText(unreachable ? unreachableText() : QString());
}

void frmDesktop::cmdOK_Click()
{
    if (save())
        accept();
}

bool frmDesktop::save()
{
    bool saved = true;
    if (chkAutostart->isChecked() != m_autostart) {
        QString why;
        if (chkAutostart->isChecked() ? autostart::turnOn(m_command, &why) : autostart::turnOff(&why)) {
            m_autostart = chkAutostart->isChecked();
        } else {
            chkAutostart->setChecked(m_autostart);
            tell(why);
            saved = false;
        }
    }
    if (chkNotify->isChecked() != m_notify) {
        const QString value = chkNotify->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
        modSettings::writeSetting(kSection, kNotify, value);
        if (modSettings::tryReadSetting(kSection, kNotify, QString()) == value) {
            m_notify = chkNotify->isChecked();
        } else {
            tell(QStringLiteral("Inställningen kunde inte sparas i filen\r\n") + modSettings::settingsFilePath());
            saved = false;
        }
    }
    if (chkKeyring->isChecked() != m_keyring) {
        if (keyringStore::setWanted(chkKeyring->isChecked())) {
            m_keyring = chkKeyring->isChecked();
            if (m_keyring)
                moveIntoKeyring();
            else
                moveOutOfKeyring();
        } else {
            tell(QStringLiteral("Inställningen kunde inte sparas i filen\r\n") + modSettings::settingsFilePath());
            saved = false;
        }
    }
    return saved;
}

void frmDesktop::tell(const QString &text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("Kunde inte spara"), text, QMessageBox::Ok, this);
    box.setWindowModality(Qt::WindowModal);
    box.exec();
}
