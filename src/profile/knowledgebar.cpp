#include "profile/knowledgebar.h"

#include "profile/knowledgebars.h"

#include <QEvent>
#include <QPainter>

namespace {
const QSize kPictureSize(120, 17);
} // namespace

KnowledgeBar::KnowledgeBar(QWidget *parent)
    : QWidget(parent), m_picture(kPictureSize, QImage::Format_RGB32)
{
    setFixedSize(kPictureSize);
    render();
}

QSize KnowledgeBar::sizeHint() const
{
    return kPictureSize;
}

void KnowledgeBar::draw(int level)
{
    m_level = level;
    render();
}

void KnowledgeBar::render()
{
    m_picture.fill(palette().color(QPalette::Base));
    const QRect bar = modGlobal::knowledgeBarRect(m_picture.size(), m_level);
    if (!bar.isEmpty()) {
        const modGlobal::BarColour c = modGlobal::knowledgeBarColour(m_level);
        QPainter p(&m_picture);
        p.fillRect(bar, QColor(c.red, c.green, c.blue));
    }
    update();
}

void KnowledgeBar::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        render();
}

void KnowledgeBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, m_picture);
    // A thin frame so that an empty bar still reads as a field.
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
