// The small pictures of the file buttons, drawn rather than shipped so they
// stay sharp at any scale: an opening folder and a floppy disk.
#pragma once

#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include <initializer_list>

namespace pictaron {

// A glyph drawn on a 16-unit grid by draw(QPainter&), rendered at each size.
template <typename Draw>
QIcon DrawnIcon(Draw draw, std::initializer_list<int> sizes = {16, 32})
{
    QIcon icon;
    for (int size : sizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        draw(painter);
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon OpenFileGlyph();
QIcon SaveFileGlyph();

} // namespace pictaron
