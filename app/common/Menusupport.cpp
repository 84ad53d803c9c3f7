#include "app/common/Menusupport.h"

#include <QAction>
#include <QMenu>

void InsertActionAfter(QAction* after, QAction* action)
{
    QMenu* menu = nullptr;
    if (after)
        for (QObject* o : after->associatedObjects())
            if ((menu = qobject_cast<QMenu*>(o)))
                break;
    if (!menu)
        return;
    const QList<QAction*> items = menu->actions();
    const qsizetype at = items.indexOf(after);
    menu->insertAction(at + 1 < items.size() ? items[at + 1] : nullptr, action);
}
