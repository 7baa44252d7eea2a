#include "components/controlhelpers.h"

#include <QWidget>

#include <algorithm>

namespace pictaron {

void EnableChildren(QWidget* container, bool enabled)
{
    for (QWidget* child : container->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        child->setEnabled(enabled);
        EnableChildren(child, enabled);
    }
}

void CentreInParent(QWidget* control, Centre mode)
{
    const QWidget* parent = control->parentWidget();
    if (!parent)
        return;
    QPoint position = control->pos();
    if (mode != Centre::Vertically)
        position.setX(std::max(0, parent->width() / 2 - control->width() / 2));
    if (mode != Centre::Horizontally)
        position.setY(std::max(0, parent->height() / 2 - control->height() / 2));
    control->move(position);
}

} // namespace pictaron
