#pragma once
#include <QStatusBar>

#include <array>

class QLabel;

// The main window's status bar: five panels counted from 1 (QLabel
// children "panel1".."panel5"). Panel 5 is the slot over which the main
// window keeps its progress bar.
class sttMain : public QStatusBar
{
    Q_OBJECT
public:
    static constexpr int kPanels = 5;

    explicit sttMain(QWidget *parent = nullptr);

    QLabel *panel(int index) const;  // null outside 1..5
    QString panelText(int index) const;
    void setPanelText(int index, const QString &text);
    QString panelToolTip(int index) const;
    void setPanelToolTip(int index, const QString &tip);
    bool panelEnabled(int index) const;
    void setPanelEnabled(int index, bool enabled);
    // Visible within the status bar, whether or not the window is shown.
    bool panelVisible(int index) const;
    void setPanelVisible(int index, bool visible);
    // Geometry in the status bar's coordinates.
    QRect panelGeometry(int index) const;
    // The panel under pos (status bar coordinates), 0 when none.
    int panelAt(const QPoint &pos) const;

signals:
    void PanelDblClick(int panel);
    // Any mouse button released over the status bar; x and y in its coordinates.
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    std::array<QLabel *, kPanels> m_panels{};
};
