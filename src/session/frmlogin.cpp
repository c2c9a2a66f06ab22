#include "session/frmlogin.h"

#include "net/site.h"
#include "session/passwordlength.h"
#include "session/passwordvalidator.h"
#include "session/usablepassword.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace {

QPointer<frmLogin> &theInstance()
{
    static QPointer<frmLogin> dialog;
    return dialog;
}

const QString kGuestPassword = QStringLiteral("bvolk");

} // namespace

frmLogin::frmLogin(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Kortvik - Logga in"));

    lblReason = new QLabel(this);
    lblReason->setObjectName(QStringLiteral("lblReason"));
    lblReason->setTextFormat(Qt::PlainText);
    QFont bold = lblReason->font();
    bold.setBold(true);
    lblReason->setFont(bold);
    lblReason->hide();
    lblPassword = new QLabel(QStringLiteral("1. Fyll i ditt lösenord:"), this);
    lblPassword->setObjectName(QStringLiteral("lblPassword"));
    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    // A screen reader names the box by its label.
    lblPassword->setBuddy(txtPassword);
    // Masked characters are drawn as "*" rather than the style's bullet.
    txtPassword->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    txtPassword->setEchoMode(QLineEdit::Password);
    // Characters the site could not be sent unchanged are never typed.
    txtPassword->setValidator(new PasswordValidator(txtPassword));
    txtPassword->setToolTip(QStringLiteral("Ditt lösenord på ") + modData::site().baseUrl() + QLatin1Char('/'));
    lblOK = new QLabel(QStringLiteral("2. Tryck OK"), this);
    lblOK->setObjectName(QStringLiteral("lblOK"));
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    lblCancel = new QLabel(QStringLiteral("1. Eller tryck Avbryt"), this);
    lblCancel->setObjectName(QStringLiteral("lblCancel"));
    cmdCancel = new QPushButton(QStringLiteral("Avbryt"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    // Top to bottom in the order the member goes through them.
    auto *grid = new QGridLayout(this);
    grid->addWidget(lblReason, 0, 0, 1, 2);
    grid->addWidget(lblPassword, 1, 0, 1, 2);
    grid->addWidget(txtPassword, 2, 0, 1, 2);
    grid->addWidget(lblOK, 3, 0);
    grid->addWidget(cmdOK, 3, 1);
    grid->addWidget(lblCancel, 4, 0);
    grid->addWidget(cmdCancel, 4, 1);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(txtPassword, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    // Key preview: the dialog sees Escape and Enter before its controls.
    for (QWidget *w : {static_cast<QWidget *>(txtPassword), static_cast<QWidget *>(cmdOK),
                       static_cast<QWidget *>(cmdCancel)})
        w->installEventFilter(this);

    connect(cmdOK, &QPushButton::clicked, this, &frmLogin::TestLogin);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::reject);
    connect(txtPassword, &QLineEdit::textChanged, this, &frmLogin::updateMask);
}

frmLogin *frmLogin::instance()
{
    return theInstance().data();
}

QString frmLogin::askPassword(QWidget *mainWindow, const QString &reason)
{
    QPointer<frmLogin> &slot = theInstance();
    if (!slot) {
        slot = new frmLogin(mainWindow);
    } else if (slot->m_waiting) {
        // One prompt at a time: a second caller while the box is up gets a cancel.
        return QString();
    } else if (slot->parentWidget() != mainWindow) {
        slot->setParent(mainWindow, slot->windowFlags());
    }

    QPointer<frmLogin> dialog = slot;
    dialog->showReason(reason);
    dialog->m_tag.clear();
    dialog->m_waiting = true;
    dialog->setWindowModality(mainWindow ? Qt::WindowModal : Qt::ApplicationModal);

    QEventLoop loop;
    connect(dialog, &frmLogin::hidden, &loop, &QEventLoop::quit);
    // The main window, and with it the dialog, may go away while we wait.
    connect(dialog, &QObject::destroyed, &loop, &QEventLoop::quit);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    if (dialog && dialog->isVisible())
        loop.exec();

    if (!dialog)
        return QString();
    dialog->m_waiting = false;
    return dialog->m_tag;
}

QString frmLogin::resultText() const
{
    return m_tag;
}

void frmLogin::TestLogin()
{
    const QString text = txtPassword->text();
    const int n = modGlobal::passwordLength(text);
    if (n == 0) {
        tellUser(QStringLiteral("Fyll i lösenord!"), QStringLiteral("Du måste fylla i ett lösenord!"));
        return;
    }
    if (n != 5) {
        const QString how = n < 5 ? QStringLiteral("Du har bara angett ") : QStringLiteral("Du har angett hela ");
        tellUser(QStringLiteral("Felaktigt antal tecken!"),
                 QStringLiteral("Det skall vara 5 tecken i lösenordet!\r\n") + how + QString::number(n)
                     + QStringLiteral(" tecken."));
        return;
    }
    // Only text put in by the program itself gets past the validator.
    if (!modGlobal::isUsablePassword(text)) {
        txtPassword->setFocus();
        return;
    }
    m_tag = text;
    hide();
    QCoreApplication::processEvents();
}

void frmLogin::showReason(const QString &reason)
{
    lblReason->setText(reason);
    lblReason->setVisible(!reason.isEmpty());
    // Read out with the box, where the focus lands.
    txtPassword->setAccessibleDescription(reason);
}

void frmLogin::tellUser(const QString &title, const QString &text)
{
    QPointer<frmLogin> self(this);
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, this);
    box.setWindowModality(Qt::WindowModal);
    box.exec();
    if (self && txtPassword->isVisible())
        txtPassword->setFocus();
}

void frmLogin::reject()
{
    m_tag.clear();
    hide();
}

void frmLogin::updateMask(const QString &text)
{
    // The guest password is no secret, so it is shown as typed.
    txtPassword->setEchoMode(text.toLower() == kGuestPassword ? QLineEdit::Normal : QLineEdit::Password);
}

bool frmLogin::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape) {
            reject();
            return true;
        }
        if (watched == txtPassword && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            TestLogin();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmLogin::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    txtPassword->clear();
    updateMask(QString());
    txtPassword->setFocus();
}

void frmLogin::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    // The accepted text lives on in the tag only.
    txtPassword->clear();
    emit hidden();
}
