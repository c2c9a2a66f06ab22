#include "settings/frmlocaloptions.h"

#include "settings/keyringstore.h"
#include "settings/logintypeoption.h"
#include "settings/modsettings.h"
#include "text/singledialog.h"

#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

using modSettings::LoginOption;

namespace {

const QString kSection = QStringLiteral("autologin");
const QString kLoginType = QStringLiteral("logintype");
const QString kLastLogin = QStringLiteral("lastlogin");
const QString kButtonTip = QStringLiteral("Ändrar alla inställningar på servern och stänger fönstret");

QPointer<frmLocalOptions> &theInstance()
{
    static QPointer<frmLocalOptions> dialog;
    return dialog;
}

// Positions are given in twips, 15 to the pixel.
QRect twips(int left, int top, int width, int height)
{
    return {left / 15, top / 15, width / 15, height / 15};
}

} // namespace

frmLocalOptions::frmLocalOptions(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmLocalOptions"));
    setWindowTitle(QStringLiteral("Lokala inställningar"));
    setFixedSize(425, 425);
    if (parent)
        setWindowIcon(parent->windowIcon());

    const auto button = [](QWidget *owner, const char *name, const QString &text) {
        auto *b = new QPushButton(text, owner);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    // Created in tab order: the three buttons first, then the tab's controls.
    cmdOK = button(this, "cmdOK", QStringLiteral("OK"));
    cmdCancel = button(this, "cmdCancel", QStringLiteral("Avbryt"));
    cmdSet = button(this, "cmdSet", QStringLiteral("Verkställ"));
    for (QPushButton *b : {cmdOK, cmdCancel, cmdSet})
        b->setToolTip(kButtonTip);
    cmdOK->setGeometry(twips(120, 5880, 1935, 375));
    cmdCancel->setGeometry(twips(2160, 5880, 2055, 375));
    cmdSet->setGeometry(twips(4320, 5880, 1935, 375));

    ssTab = new QTabWidget(this);
    ssTab->setObjectName(QStringLiteral("ssTab"));
    ssTab->setGeometry(twips(120, 120, 6135, 5655));
    auto *page = new QWidget(ssTab);
    ssTab->addTab(page, QStringLiteral("Inloggning"));

    pctAuto = new QWidget(page);
    pctAuto->setObjectName(QStringLiteral("pctAuto"));
    // The tab's own header takes the place of the design's top margin.
    pctAuto->setGeometry(twips(120, 360, 3255, 855).translated(0, -16));
    // Design positions, with room made where the font in use needs more.
    int nextTop = twips(0, 120, 0, 0).top();
    const auto option = [this, &nextTop](const char *name, const QString &text) {
        auto *o = new QRadioButton(text, pctAuto);
        o->setObjectName(QLatin1String(name));
        const QSize hint = o->sizeHint();
        const QRect design = twips(120, 120, 2895, 255);
        const QRect r(design.left(), nextTop, qMax(design.width(), hint.width()), qMax(design.height(), hint.height()));
        o->setGeometry(r);
        nextTop = r.bottom() + 1 + qMax(0, twips(0, 240, 0, 0).top() - r.height());
        connect(o, &QRadioButton::clicked, this, [this] { cmdSet->setEnabled(true); });
        return o;
    };
    optNoAuto = option("optNoAuto", QStringLiteral("Ingen automatisk inloggning"));
    optIEAuto = option("optIEAuto", QStringLiteral("Logga in med IE's cookie"));
    optLastAuto = option("optLastAuto", QStringLiteral("Logga in automatiskt"));
    int optionsRight = 0;
    for (QRadioButton *o : {optNoAuto, optIEAuto, optLastAuto})
        optionsRight = qMax(optionsRight, o->geometry().right());
    pctAuto->resize(qMax(pctAuto->width(), optionsRight + 8),
                    qMax(pctAuto->height(), optLastAuto->geometry().bottom() + 8));

    cmdDeletePassword = button(page, "cmdDeletePassword", QStringLiteral("Ta bort lösenordet"));
    // Beside the last option, clear of its caption, tall enough for its own.
    const QSize hint = cmdDeletePassword->sizeHint();
    const QRect design = twips(2520, 960, 1695, 255);
    QRect del(design.left(), 0, qMax(design.width(), hint.width()), qMax(design.height(), hint.height()));
    del.moveCenter(QPoint(del.center().x(), pctAuto->y() + optLastAuto->geometry().center().y()));
    const int clear = pctAuto->x() + optLastAuto->x() + optLastAuto->sizeHint().width() + 12;
    if (del.left() < clear)
        del.moveLeft(clear);
    cmdDeletePassword->setGeometry(del);
    cmdDeletePassword->raise();

    tmrFocus = new QTimer(this);
    tmrFocus->setObjectName(QStringLiteral("tmrFocus"));
    tmrFocus->setInterval(1);
    tmrFocus->setSingleShot(true);

    connect(tmrFocus, &QTimer::timeout, this, &frmLocalOptions::tmrFocus_Timer);
    connect(cmdOK, &QPushButton::clicked, this, &frmLocalOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLocalOptions::reject);
    connect(cmdSet, &QPushButton::clicked, this, &frmLocalOptions::ValidateInfo);
    connect(cmdDeletePassword, &QPushButton::clicked, this, &frmLocalOptions::cmdDeletePassword_Click);

    setTabOrder(cmdOK, cmdCancel);
    setTabOrder(cmdCancel, cmdSet);
    setTabOrder(cmdSet, ssTab);
    setTabOrder(ssTab, optNoAuto);
    setTabOrder(optNoAuto, optIEAuto);
    setTabOrder(optIEAuto, optLastAuto);
    setTabOrder(optLastAuto, cmdDeletePassword);
    cmdSet->setEnabled(false);
}

frmLocalOptions *frmLocalOptions::instance()
{
    return theInstance().data();
}

frmLocalOptions *frmLocalOptions::openDialog(QWidget *mainWindow, const QString &tag)
{
    return raiseOrOpen(theInstance(), mainWindow, [&] {
        auto *dialog = new frmLocalOptions(mainWindow);
        dialog->setTag(tag);
        return dialog;
    });
}

void frmLocalOptions::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        tmrFocus->start();
    }
}

void frmLocalOptions::tmrFocus_Timer()
{
    tmrFocus->stop();
    ssTab->setCurrentIndex(0);
    switch (modSettings::loginOptionFor(modSettings::readSetting(kSection, kLoginType, QString()))) {
    case LoginOption::NoAuto:
        optNoAuto->setChecked(true);
        break;
    case LoginOption::IECookie:
        optIEAuto->setChecked(true);
        break;
    case LoginOption::LastLogin:
        optLastAuto->setChecked(true);
        break;
    }
    cmdDeletePassword->setEnabled(!modSettings::readSetting(kSection, kLastLogin, QString()).isEmpty());
    cmdSet->setEnabled(false);
    // A password in the keyring counts as stored too; its answer may come later.
    if (!cmdDeletePassword->isEnabled() && keyringStore::offered()) {
        keyringStore::read(this, [this](keyringStore::Outcome outcome, const QString &) {
            if (outcome == keyringStore::Outcome::Done && !m_passwordDeleted)
                cmdDeletePassword->setEnabled(true);
        });
    }
    emit settingsLoaded();
}

void frmLocalOptions::ValidateInfo()
{
    const LoginOption chosen = optNoAuto->isChecked()     ? LoginOption::NoAuto
                               : optLastAuto->isChecked() ? LoginOption::LastLogin
                                                          : LoginOption::IECookie;
    if (store(kLoginType, modSettings::loginTypeFor(chosen)))
        cmdSet->setEnabled(false);
}

void frmLocalOptions::cmdOK_Click()
{
    if (cmdSet->isEnabled()) {
        ValidateInfo();
        // Not saved: stay, so that the choice is not lost unseen.
        if (cmdSet->isEnabled())
            return;
    }
    accept();
}

void frmLocalOptions::cmdDeletePassword_Click()
{
    cmdDeletePassword->setEnabled(false);
    m_passwordDeleted = true;
    // From both places; the keyring's item goes even if the file cannot be written.
    if (keyringStore::offered())
        keyringStore::remove(this, [](keyringStore::Outcome) {});
    if (!store(kLastLogin, QString()))
        cmdDeletePassword->setEnabled(true);
}

bool frmLocalOptions::store(const QString &key, const QString &value)
{
    modSettings::writeSetting(kSection, key, value);
    // Read back: a file that cannot be written must not pass for saved.
    if (modSettings::tryReadSetting(kSection, key, QStringLiteral("\x01")) == value)
        return true;
    QMessageBox box(QMessageBox::Information, QStringLiteral("Kunde inte spara"),
                    QStringLiteral("Inställningen kunde inte sparas i filen\r\n") + modSettings::settingsFilePath(),
                    QMessageBox::Ok, this);
    box.setWindowModality(Qt::WindowModal);
    box.exec();
    return false;
}
