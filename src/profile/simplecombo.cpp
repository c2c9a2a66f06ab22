#include "profile/simplecombo.h"

#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

SimpleCombo::SimpleCombo(QWidget *parent) : QWidget(parent)
{
    m_line = new QLineEdit(this);
    m_list = new QListWidget(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_line);
    layout->addWidget(m_list, 1);
    setFocusProxy(m_line);

    connect(m_line, &QLineEdit::textChanged, this, &SimpleCombo::textChanged);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0)
            return;
        m_line->setText(m_list->item(row)->text());
        emit rowSelected(row);
    });
    // A click on the entry already current still puts its name in the line.
    connect(m_list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { m_line->setText(item->text()); });
}

QString SimpleCombo::text() const
{
    return m_line->text();
}

void SimpleCombo::setText(const QString &text)
{
    m_line->setText(text);
    // The list shows the entry of that name, without a selection of its own.
    const QList<QListWidgetItem *> same = m_list->findItems(text, Qt::MatchExactly);
    const QSignalBlocker block(m_list);
    m_list->setCurrentItem(same.isEmpty() ? nullptr : same.first());
    if (!same.isEmpty())
        m_list->scrollToItem(same.first(), QAbstractItemView::PositionAtCenter);
}

void SimpleCombo::clear()
{
    const QSignalBlocker block(m_list);
    m_list->clear();
}

void SimpleCombo::addItem(const QString &item)
{
    const QSignalBlocker block(m_list);
    auto *entry = new QListWidgetItem(item, m_list);
    // Room above the letters, so that the dots of "Ö" are not cut off.
    const QFontMetrics metrics = m_list->fontMetrics();
    entry->setSizeHint(QSize(metrics.horizontalAdvance(item) + 8, metrics.height() + 4));
    m_list->setCurrentRow(-1);
}

int SimpleCombo::count() const
{
    return m_list->count();
}

QString SimpleCombo::itemText(int row) const
{
    QListWidgetItem *item = m_list->item(row);
    return item ? item->text() : QString();
}

void SimpleCombo::selectRow(int row)
{
    m_list->setCurrentRow(row);
}

int SimpleCombo::currentRow() const
{
    return m_list->currentRow();
}
