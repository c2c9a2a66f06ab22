#include "profile/frmwaituserdata.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

frmWaitUserData::frmWaitUserData(QWidget *parent, Transfer transfer)
    : frmWaitUserData(parent, std::move(transfer), QStringLiteral("frmWaitUserData"),
                      QStringLiteral("Var vänlig att vänta medan datorn hämtar information om dig från servern..."))
{
}

frmWaitUserData::frmWaitUserData(QWidget *parent, Transfer transfer, const QString &name, const QString &label)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_transfer(std::move(transfer))
{
    setObjectName(name);
    setWindowTitle(QStringLiteral("Vänta..."));

    lblWait = new QLabel(label, this);
    lblWait->setObjectName(QStringLiteral("lblWait"));
    lblWait->setWordWrap(true);
    lblWait->setMinimumWidth(300);
    prgWait = new QProgressBar(this);
    prgWait->setObjectName(QStringLiteral("prgWait"));
    prgWait->setRange(0, 20);
    prgWait->setValue(0);
    prgWait->setTextVisible(false);
    prgWait->setProperty("Tag", m_bounce.direction);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblWait);
    layout->addWidget(prgWait);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    tmrGet = new QTimer(this);
    tmrGet->setObjectName(QStringLiteral("tmrGet"));
    tmrGet->setInterval(5);
    tmrGet->setSingleShot(true);
    tmrWait = new QTimer(this);
    tmrWait->setObjectName(QStringLiteral("tmrWait"));
    tmrWait->setInterval(200);
    connect(tmrGet, &QTimer::timeout, this, &frmWaitUserData::tmrGet_Timer);
    connect(tmrWait, &QTimer::timeout, this, &frmWaitUserData::tmrWait_Timer);
}

frmWaitUserData::~frmWaitUserData() = default;

bool frmWaitUserData::run(frmWaitUserData *dialog)
{
    QPointer<frmWaitUserData> d(dialog);
    d->setWindowModality(d->parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    QEventLoop loop;
    connect(d, &frmWaitUserData::transferFinished, &loop, &QEventLoop::quit);
    connect(d, &QObject::destroyed, &loop, &QEventLoop::quit);
    // Form_Load: the animation first, the transfer once the dialog is up.
    d->tmrWait->start();
    d->tmrGet->start();
    d->show();
    if (!d->m_done)
        loop.exec();
    return d && d->m_result;
}

void frmWaitUserData::tmrGet_Timer()
{
    // Stopped before the transfer starts, so it never runs twice.
    tmrGet->stop();
    if (m_done || m_running)
        return;
    m_running = true;
    QPointer<frmWaitUserData> self(this);
    const bool ok = m_transfer ? m_transfer() : false;
    if (!self)
        return;
    m_running = false;
    m_done = true;
    m_result = ok;
    tmrWait->stop();
    hide();
    emit transferFinished(ok);
}

void frmWaitUserData::tmrWait_Timer()
{
    m_bounce.tick();
    showBounce();
}

void frmWaitUserData::showBounce()
{
    // The bar shows whole steps; 0.0001 is drawn as empty.
    prgWait->setValue(static_cast<int>(m_bounce.value));
    prgWait->setProperty("Tag", m_bounce.direction);
}

void frmWaitUserData::closeEvent(QCloseEvent *event)
{
    if (!m_done) {
        // The transfer is under way (or about to start): out of sight,
        // but it ends as it would have.
        event->ignore();
        hide();
        return;
    }
    tmrWait->stop();
    tmrGet->stop();
    QDialog::closeEvent(event);
}

void frmWaitUserData::reject()
{
    if (!m_done) {
        hide();
        return;
    }
    QDialog::reject();
}
