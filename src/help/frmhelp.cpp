#include "help/frmhelp.h"

#include "help/docsfolder.h"
#include "help/helploader.h"
#include "version.h"

#include <QEvent>
#include <QKeyEvent>
#include <QTextEdit>
#include <QTreeWidget>

#include <algorithm>

namespace {
constexpr int kKeyRole = Qt::UserRole;
// The view's margins and the gap beside the tree, from the design in twips.
constexpr int kHeightMargin = 240 / 15;
constexpr int kWidthMargin = 360 / 15;
} // namespace

frmHelp::frmHelp(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Kortvik - Hjälp"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    // Closing the window discards it; the next OpenHelp builds it anew.
    setAttribute(Qt::WA_DeleteOnClose);

    trvHelp = new QTreeWidget(this);
    trvHelp->setObjectName(QStringLiteral("trvHelp"));
    trvHelp->setHeaderHidden(true);
    trvHelp->setColumnCount(1);
    trvHelp->setGeometry(120 / 15, 120 / 15, 2895 / 15, 7335 / 15);
    trvHelp->setAccessibleName(QStringLiteral("Hjälpavsnitt"));

    txtHelp = new QTextEdit(this);
    txtHelp->setObjectName(QStringLiteral("txtHelp"));
    txtHelp->setReadOnly(true);
    txtHelp->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtHelp->setGeometry(3120 / 15, 120 / 15, 6855 / 15, 7335 / 15);
    txtHelp->setAccessibleName(QStringLiteral("Hjälptext"));

    resize(designClientSize());

    m_loader = std::make_unique<HelpLoader>(txtHelp->document());
    txtHelp->installEventFilter(this);
    m_loader->setReplacement(QByteArrayLiteral("VERSION_KORTVIK"), QByteArrayLiteral(KORTVIK_VERSION_TEXT));
    connect(m_loader.get(), &HelpLoader::finished, this, &frmHelp::loaded);

    // Form_Load: the two fixed nodes, then the root's document.
    auto *root = new QTreeWidgetItem(trvHelp, QStringList{QStringLiteral("Rot")});
    root->setData(0, kKeyRole, QStringLiteral("Root"));
    auto *child = new QTreeWidgetItem(root, QStringList{QStringLiteral("Vanligt")});
    child->setData(0, kKeyRole, QStringLiteral("Vanligt"));

    trvHelp->setCurrentItem(root);
    m_currentNode = trvHelp->currentItem();
    handleTree(nodePath(m_currentNode));

    // Double click (and Enter, which a keyboard user expects to do the same).
    connect(trvHelp, &QTreeWidget::itemActivated, this, &frmHelp::trvHelp_DblClick);
    trvHelp->setFocus();
}

QString frmHelp::nodePath(const QTreeWidgetItem *node)
{
    QStringList parts;
    for (; node; node = node->parent())
        parts.prepend(node->text(0));
    return parts.join(QLatin1Char('/'));
}

QTreeWidgetItem *frmHelp::node(const QString &key) const
{
    QTreeWidgetItemIterator it(trvHelp);
    for (; *it; ++it) {
        if ((*it)->data(0, kKeyRole).toString() == key)
            return *it;
    }
    return nullptr;
}

void frmHelp::trvHelp_DblClick()
{
    QTreeWidgetItem *selected = trvHelp->currentItem();
    if (!selected || selected == m_currentNode)
        return;
    m_currentNode = selected;
    handleTree(nodePath(selected));
}

frmHelp::~frmHelp() = default;

void frmHelp::handleTree(const QString &path)
{
    // A small document is shown before this returns, a large one in steps.
    m_loader->load(modGlobal::helpDocument(path), shownColours());
    txtHelp->moveCursor(QTextCursor::Start);
}

bool frmHelp::isLoading() const
{
    return m_loader->isLoading();
}

rtf::ShownColours frmHelp::shownColours() const
{
    return {txtHelp->palette().color(QPalette::Base)};
}

void frmHelp::keyPressEvent(QKeyEvent *event)
{
    // Escape closes the window, as it does a dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool frmHelp::eventFilter(QObject *watched, QEvent *event)
{
    // The document's colours were chosen against the view's old background.
    if (watched == txtHelp && event->type() == QEvent::PaletteChange && m_loader)
        m_loader->recolour(shownColours());
    return QWidget::eventFilter(watched, event);
}

void frmHelp::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int h = std::max(0, height() - kHeightMargin);
    const int w = std::max(0, width() - kWidthMargin - trvHelp->width());
    trvHelp->resize(trvHelp->width(), h);
    txtHelp->resize(w, h);
}
