// Shortening a line of text to a width by putting dots in its middle.
#pragma once

#include <QFontMetrics>
#include <QString>

#include <functional>

namespace pictaron {

using MeasureText = std::function<int(const QString&)>;

// Text no wider than width comes back unchanged. Wider text keeps as much of
// its start and end as fits, with "..." for the characters taken from its
// middle: "/home/me/pictures/2026/beach.jpg" may become "/home/me/...beach.jpg".
// When not even "..." fits, the dots are cut down too, to nothing at worst.
QString FitTextToWidth(const QString& text, int width, const MeasureText& measure);
QString FitTextToWidth(const QString& text, int width, const QFontMetrics& metrics);

} // namespace pictaron
