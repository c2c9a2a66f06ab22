#include "desktop/traymenu.h"

#include <QAction>
#include <QMenu>

QMultiHash<TrayState::MenuEntry::Kind, QAction *> fillTrayMenu(QMenu *menu, const TrayState &state)
{
    using Kind = TrayState::MenuEntry::Kind;
    QMultiHash<Kind, QAction *> commands;
    menu->clear();
    for (const TrayState::MenuEntry &e : state.menuEntries()) {
        if (e.kind == Kind::Separator) {
            menu->addSeparator();
            continue;
        }
        // Sender and subject are the site's text: an "&" there is no access key.
        const QString text = e.kind == Kind::IMail ? QString(e.text).replace(QLatin1Char('&'), QStringLiteral("&&"))
                                                   : e.text;
        QAction *a = menu->addAction(text);
        a->setEnabled(e.enabled);
        commands.insert(e.kind, a);
    }
    return commands;
}
