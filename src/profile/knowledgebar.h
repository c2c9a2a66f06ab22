#pragma once
#include <QColor>
#include <QImage>
#include <QWidget>

// One picture of the knowledge grid: an empty field in the theme's base
// colour with the level's coloured bar drawn from the left.
class KnowledgeBar : public QWidget
{
    Q_OBJECT
public:
    explicit KnowledgeBar(QWidget *parent = nullptr);

    // Clears the picture and draws the bar of a level index (0 draws none).
    void draw(int level);
    const QImage &picture() const { return m_picture; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void render();

    QImage m_picture;
    int m_level = 0;
};
