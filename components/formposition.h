// Window positions remembered in the settings group "Form Positions/<name>":
// "Top", "Left", "Width", "Height" as decimal text and "Window State" as
// "Normal", "Max" or "Min".
#pragma once

#include <QSettings>
#include <QString>

class QWidget;

namespace pictaron {

// Restores the stored state and, for a normal window, each stored coordinate,
// brought onto a screen when the stored place is off every screen.
// Returns whether a position was restored; with nothing stored the window stays
// where it is.
bool LoadFormPosition(QSettings& settings, QWidget* window, const QString& name);
// Returns false when the settings could not be written.
bool SaveFormPosition(QSettings& settings, const QWidget* window, const QString& name);

} // namespace pictaron
