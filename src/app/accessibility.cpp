#include "app/accessibility.h"

#include <QAccessibleObject>
#include <QCoreApplication>
#include <QWidget>

namespace {

const char *const kHidden = "kortvikHiddenFromAssistiveTechnology";

bool hidden(const QAccessibleInterface *iface)
{
    return iface && iface->object() && iface->object()->property(kHidden).toBool();
}

// The application's windows, as the usual interface lists them, without
// the hidden ones.
class ApplicationAccessible : public QAccessibleApplication
{
public:
    int childCount() const override { return int(windows().size()); }

    QAccessibleInterface *child(int index) const override { return windows().value(index); }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return int(windows().indexOf(const_cast<QAccessibleInterface *>(child)));
    }

private:
    QList<QAccessibleInterface *> windows() const
    {
        QList<QAccessibleInterface *> shown;
        const int all = QAccessibleApplication::childCount();
        for (int i = 0; i < all; ++i) {
            QAccessibleInterface *window = QAccessibleApplication::child(i);
            if (window && !hidden(window))
                shown.append(window);
        }
        return shown;
    }
};

QAccessibleInterface *applicationFactory(const QString &, QObject *object)
{
    if (object && object == QCoreApplication::instance())
        return new ApplicationAccessible;
    return nullptr;
}

} // namespace

void installAccessibility()
{
    QAccessible::installFactory(&applicationFactory);
}

void hideFromAssistiveTechnology(QWidget *window)
{
    window->setProperty(kHidden, true);
}
