#pragma once
#include <QColor>
#include <QImage>
#include <QWidget>

// One picture of the knowledge grid: an empty field with the level's
// coloured bar drawn from the left.
class KnowledgeBar : public QWidget
{
    Q_OBJECT
public:
    explicit KnowledgeBar(QWidget *parent = nullptr);

    // Clears the picture and draws the bar of a level index (0 draws none).
    void draw(int level);
    const QImage &picture() const { return m_picture; }
    static QColor backgroundColour() { return Qt::white; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
};
