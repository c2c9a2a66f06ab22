#pragma once
#include <QWidget>

#include <memory>

#include "help/rtfreader.h"

class HelpLoader;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

// The help window: the document tree on the left, the document on the right.
class frmHelp : public QWidget
{
    Q_OBJECT
public:
    explicit frmHelp(QWidget *parent = nullptr);
    ~frmHelp() override;

    // Client area at design, in pixels (10095 x 7575 twips).
    static QSize designClientSize() { return {673, 505}; }
    // The tree path of a node: the node texts from the top, joined by "/".
    static QString nodePath(const QTreeWidgetItem *node);

    QTreeWidget *tree() const { return trvHelp; }
    QTextEdit *view() const { return txtHelp; }
    QTreeWidgetItem *currentNode() const { return m_currentNode; }
    // The node with this key ("Root", "Vanligt"), or null.
    QTreeWidgetItem *node(const QString &key) const;

    // Shows the document of a tree path, with the version tag replaced.
    // A large document is shown in steps; loaded() tells when it is all there.
    void handleTree(const QString &path);
    bool isLoading() const;

signals:
    void loaded();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void trvHelp_DblClick();
    rtf::ShownColours shownColours() const;

    QTreeWidget *trvHelp = nullptr;
    QTextEdit *txtHelp = nullptr;
    QTreeWidgetItem *m_currentNode = nullptr;
    // Declared last: it goes first, before the view whose document it writes.
    std::unique_ptr<HelpLoader> m_loader;
};
