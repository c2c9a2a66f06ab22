#include "app/sttmain.h"

#include <QLabel>
#include <QMouseEvent>

namespace {
const QString kLoggedOut = QStringLiteral("Utloggad");
} // namespace

sttMain::sttMain(QWidget *parent) : QStatusBar(parent)
{
    setObjectName(QStringLiteral("sttMain"));
    setSizeGripEnabled(false);
    // 19 pixels at design; more only when the font needs it.
    setFixedHeight(qMax(19, fontMetrics().height() + 6));

    const std::array<QString, kPanels> texts{kLoggedOut, kLoggedOut, kLoggedOut, kLoggedOut, QString()};
    const std::array<QString, kPanels> tips{
        QStringLiteral("Dubbelklicka för att logga in"), QStringLiteral("Ditt namn på Sandlund"),
        QStringLiteral("Ditt alias på Sandlund"), QStringLiteral("Ditt ID på Sandlund"),
        QStringLiteral("Status för inloggningen")};
    for (int i = 0; i < kPanels; ++i) {
        auto *label = new QLabel(texts[size_t(i)], this);
        label->setObjectName(QStringLiteral("panel%1").arg(i + 1));
        label->setToolTip(tips[size_t(i)]);
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        m_panels[size_t(i)] = label;
    }
    // Permanent widgets, so that a status tip never hides the panels.
    m_panels[0]->setMinimumWidth(90);
    addPermanentWidget(m_panels[0], 0);
    addPermanentWidget(m_panels[1], 2);
    addPermanentWidget(m_panels[2], 1);
    addPermanentWidget(m_panels[3], 1);
    // Room for the 64-pixel progress bar plus 2 pixels on its left.
    m_panels[4]->setFixedWidth(72);
    addPermanentWidget(m_panels[4], 0);
}

QLabel *sttMain::panel(int index) const
{
    return index >= 1 && index <= kPanels ? m_panels[size_t(index - 1)] : nullptr;
}

QString sttMain::panelText(int index) const
{
    QLabel *p = panel(index);
    return p ? p->text() : QString();
}

void sttMain::setPanelText(int index, const QString &text)
{
    if (QLabel *p = panel(index))
        p->setText(text);
}

QString sttMain::panelToolTip(int index) const
{
    QLabel *p = panel(index);
    return p ? p->toolTip() : QString();
}

void sttMain::setPanelToolTip(int index, const QString &tip)
{
    if (QLabel *p = panel(index))
        p->setToolTip(tip);
}

bool sttMain::panelEnabled(int index) const
{
    QLabel *p = panel(index);
    return p && p->isEnabled();
}

void sttMain::setPanelEnabled(int index, bool enabled)
{
    if (QLabel *p = panel(index))
        p->setEnabled(enabled);
}

bool sttMain::panelVisible(int index) const
{
    QLabel *p = panel(index);
    return p && !p->isHidden();
}

void sttMain::setPanelVisible(int index, bool visible)
{
    if (QLabel *p = panel(index))
        p->setVisible(visible);
}

QRect sttMain::panelGeometry(int index) const
{
    QLabel *p = panel(index);
    return p ? p->geometry() : QRect();
}

int sttMain::panelAt(const QPoint &pos) const
{
    for (int i = 1; i <= kPanels; ++i) {
        if (panelVisible(i) && panelGeometry(i).contains(pos))
            return i;
    }
    return 0;
}

void sttMain::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        if (const int index = panelAt(event->position().toPoint())) {
            emit PanelDblClick(index);
            event->accept();
            return;
        }
    }
    QStatusBar::mouseDoubleClickEvent(event);
}

void sttMain::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    emit MouseUp(event->button(), event->modifiers(), p.x(), p.y());
    QStatusBar::mouseReleaseEvent(event);
}
