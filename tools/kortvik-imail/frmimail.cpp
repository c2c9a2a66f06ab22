#include "frmimail.h"

#include "imailplacement.h"
#include "mainserverclient.h"
#include "sitetime.h"
#include "text/textutil.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

frmIMail::frmIMail(MainServerClient *client, QWidget *parent)
    : QWidget(parent)
    , m_client(client)
    , m_status(new QLabel(this))
    , m_list(new QTreeWidget(this))
    , m_update(new QPushButton(QStringLiteral("&Uppdatera"), this))
    , m_close(new QPushButton(QStringLiteral("&Stäng"), this))
{
    setObjectName(QStringLiteral("frmIMail"));
    setWindowTitle(QStringLiteral("Kortvik - iMails"));
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_list->setObjectName(QStringLiteral("lstIMails"));
    m_update->setObjectName(QStringLiteral("cmdUpdate"));
    m_close->setObjectName(QStringLiteral("cmdClose"));

    m_list->setColumnCount(3);
    m_list->setHeaderLabels({QStringLiteral("Från"), QStringLiteral("Rubrik"), QStringLiteral("Datum")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_list->setColumnWidth(0, 160);
    // Bold dates are wider; the column follows its contents.
    m_list->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    // Plain text: an alias may hold "&", which a buddy label would take as a mnemonic.
    m_status->setTextFormat(Qt::PlainText);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_update);
    buttons->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    resize(560, 360);
    setTabOrder(m_list, m_update);
    setTabOrder(m_update, m_close);
    m_list->setFocus();

    auto *refresh = new QShortcut(QKeySequence(Qt::Key_F5), this);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(refresh, &QShortcut::activated, m_update, &QPushButton::click);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    connect(m_update, &QPushButton::clicked, m_client, &MainServerClient::checkIMails);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_client, &MainServerClient::stateChanged, this, &frmIMail::showState);
    connect(m_client, &MainServerClient::rowsChanged, this, &frmIMail::showRows);
    connect(m_client, &MainServerClient::checkStarted, this, [this] {
        m_checkError.clear();
        showState();
    });
    connect(m_client, &MainServerClient::checkFinished, this, [this](const QString &error) {
        m_checkError = error;
        showState();
    });
    showState();
    showRows();
}

QStringList frmIMail::rowTexts(const IMailRow &row)
{
    // One line per row; the full subject is in the tooltip.
    QString subject = row.subject;
    subject.replace(QStringLiteral("\r\n"), QStringLiteral(" / "));
    return {row.senderName, subject,
            siteTime::fromSecsSinceEpoch(row.sentAt).toString(QStringLiteral("yyyy-MM-dd HH:mm"))};
}

QString frmIMail::statusText(const MainServerClient &client)
{
    const MainServerClient::State &s = client.state();
    if (!s.running)
        return QStringLiteral("Kortvik körs inte");
    if (s.loggingIn)
        return QStringLiteral("Loggar in...");
    if (!s.loggedIn)
        return QStringLiteral("Inte inloggad");
    if (s.guest)
        return QStringLiteral("Inloggad som gäst");
    QString text = s.alias + QStringLiteral(": ") + QString::number(s.imailCount) + QStringLiteral(" iMails (")
        + QString::number(s.newIMailCount) + QStringLiteral(" nya)");
    if (client.checking())
        text += QStringLiteral(" - uppdaterar...");
    return text;
}

void frmIMail::showState()
{
    QString text = statusText(*m_client);
    if (!m_checkError.isEmpty())
        text += QStringLiteral(" - kunde inte uppdatera: ") + m_checkError;
    m_status->setText(text);
    const MainServerClient::State &s = m_client->state();
    m_update->setEnabled(s.running && s.loggedIn && !s.guest && !m_client->checking());
}

void frmIMail::showRows()
{
    const IMailRow *current = nullptr;
    const qint32 currentMid = m_list->currentItem() ? m_list->currentItem()->data(0, Qt::UserRole).toInt() : 0;
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(m_client->rows().size());
    QTreeWidgetItem *select = nullptr;
    for (const IMailRow &row : m_client->rows()) {
        auto *item = new QTreeWidgetItem(rowTexts(row));
        item->setData(0, Qt::UserRole, row.mid);
        // The site's text, never its markup.
        item->setToolTip(1, modGlobal::plainToolTip(row.subject));
        if (row.isNew) {
            for (int c = 0; c < 3; ++c) {
                QFont f = item->font(c);
                f.setBold(true);
                item->setFont(c, f);
            }
        }
        if (row.mid == currentMid && !current) {
            current = &row;
            select = item;
        }
        items.append(item);
    }
    m_list->addTopLevelItems(items);
    if (select)
        m_list->setCurrentItem(select);
    else if (!items.isEmpty())
        m_list->setCurrentItem(items.first());
    m_list->setUpdatesEnabled(true);
}

void frmIMail::bringUp()
{
    if (!m_placed) {
        imailPlacement::restore(this);
        m_placed = true;
    }
    show();
    raise();
    activateWindow();
    m_list->setFocus();
}

void frmIMail::closeEvent(QCloseEvent *event)
{
    imailPlacement::save(this);
    event->accept();
    emit closed();
}
