// Helpers for groups of controls.
#pragma once

class QWidget;

namespace pictaron {

// Gives every control inside container, and recursively inside each contained
// container, the enabled state; the container itself keeps its own.
void EnableChildren(QWidget* container, bool enabled);

enum class Centre { Both = 0, Horizontally = 1, Vertically = 2 };

// left = max(0, parent width div 2 - width div 2), top likewise.
void CentreInParent(QWidget* control, Centre mode);

} // namespace pictaron
