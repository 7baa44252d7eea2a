#include "app/cropframe.h"

#include "effects/pixels.h"

#include <algorithm>
#include <cstdlib>

namespace pictaron {

namespace {

void InvertPixel(Bitmap& picture, int x, int y)
{
    if (x < 0 || y < 0 || x >= picture.width() || y >= picture.height())
        return;
    uchar* pixel = picture.scanLine(y) + 3 * x;
    pixel[0] = static_cast<uchar>(~pixel[0]);
    pixel[1] = static_cast<uchar>(~pixel[1]);
    pixel[2] = static_cast<uchar>(~pixel[2]);
}

void InvertFill(Bitmap& picture, const QRect& square)
{
    for (int y = square.top(); y <= square.bottom(); ++y)
        for (int x = square.left(); x <= square.right(); ++x)
            InvertPixel(picture, x, y);
}

// Each pixel of the outline once, also where the sides meet or coincide.
void InvertOutline(Bitmap& picture, int left, int top, int right, int bottom)
{
    if (right <= left || bottom <= top)
        return;
    for (int y = top; y < bottom; ++y) {
        const bool edgeRow = y == top || y == bottom - 1;
        for (int x = left; x < right; ++x)
            if (edgeRow || x == left || x == right - 1)
                InvertPixel(picture, x, y);
    }
}

// Right and bottom exclusive, as the squares are given.
QRect Square(int left, int top, int right, int bottom)
{
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

bool Contains(const QRect& square, QPoint at)
{
    return at.x() >= square.left() && at.x() <= square.right() && at.y() >= square.top() && at.y() <= square.bottom();
}

} // namespace

void NormaliseRect(QPoint& a, QPoint& b)
{
    if (b.x() < a.x()) {
        const int x = a.x();
        a.setX(b.x());
        b.setX(x);
    }
    if (b.y() < a.y()) {
        const int y = a.y();
        a.setY(b.y());
        b.setY(y);
    }
}

void ClampCropPoints(QPoint& a, QPoint& b, QSize picture)
{
    // Both corners into the picture, each on both sides: a corner left beyond
    // a small picture would be swapped in by the normalising and clamped
    // again at the next toggle, which then inverts another frame than the one
    // drawn and leaves pixels behind.
    const auto inside = [picture](QPoint p) {
        return QPoint(std::clamp(p.x(), 0, std::max(0, picture.width() - 1)),
                      std::clamp(p.y(), 0, std::max(0, picture.height() - 1)));
    };
    a = inside(a);
    b = inside(b);
    NormaliseRect(a, b);
}

QRect HandleSquare(DragMode handle, QPoint topLeft, QPoint bottomRight)
{
    const int l = topLeft.x(), t = topLeft.y(), r = bottomRight.x(), b = bottomRight.y();
    const int mx = l + (r - l) / 2, my = t + (b - t) / 2;
    switch (handle) {
    case DragMode::TopLeft: return Square(l, t, l + 6, t + 6);
    case DragMode::TopMiddle: return Square(mx - 3, t, mx + 3, t + 6);
    case DragMode::TopRight: return Square(r - 6, t, r, t + 6);
    case DragMode::RightMiddle: return Square(r - 6, my - 3, r, my + 3);
    case DragMode::BottomRight: return Square(r - 6, b - 6, r, b);
    case DragMode::BottomMiddle: return Square(mx - 3, b - 6, mx + 3, b);
    case DragMode::BottomLeft: return Square(l, b - 6, l + 6, b);
    case DragMode::LeftMiddle: return Square(l, my - 3, l + 6, my + 3);
    case DragMode::NewRectangle:
    case DragMode::Move:
        break;
    }
    return {};
}

void ToggleCropFrame(Bitmap& picture, QPoint a, QPoint b)
{
    InvertOutline(picture, a.x(), a.y(), b.x(), b.y());
    for (int handle = 1; handle <= 8; ++handle)
        InvertFill(picture, HandleSquare(static_cast<DragMode>(handle), a, b));
}

DragMode HitTestCrop(QPoint at, QPoint topLeft, QPoint bottomRight)
{
    if (!Contains(Square(topLeft.x(), topLeft.y(), bottomRight.x(), bottomRight.y()), at))
        return DragMode::NewRectangle;
    for (int handle = 1; handle <= 8; ++handle)
        if (Contains(HandleSquare(static_cast<DragMode>(handle), topLeft, bottomRight), at))
            return static_cast<DragMode>(handle);
    return DragMode::Move;
}

Qt::CursorShape CursorFor(DragMode mode)
{
    switch (mode) {
    case DragMode::TopLeft:
    case DragMode::BottomRight: return Qt::SizeFDiagCursor;
    case DragMode::TopRight:
    case DragMode::BottomLeft: return Qt::SizeBDiagCursor;
    case DragMode::TopMiddle:
    case DragMode::BottomMiddle: return Qt::SizeVerCursor;
    case DragMode::RightMiddle:
    case DragMode::LeftMiddle: return Qt::SizeHorCursor;
    case DragMode::Move: return Qt::PointingHandCursor;
    case DragMode::NewRectangle: break;
    }
    return Qt::ArrowCursor;
}

std::pair<QPoint, QPoint> RubberBand(DragMode mode, QPoint dragStart, QPoint pointer, QPoint topLeft,
                                     QPoint bottomRight, QPoint moveOrigin)
{
    const int x = pointer.x(), y = pointer.y();
    const int l = topLeft.x(), t = topLeft.y(), r = bottomRight.x(), b = bottomRight.y();
    switch (mode) {
    case DragMode::NewRectangle: return {dragStart, pointer};
    case DragMode::TopLeft: return {pointer, bottomRight};
    case DragMode::TopMiddle: return {{l, y}, bottomRight};
    case DragMode::TopRight: return {{l, y}, {x, b}};
    case DragMode::RightMiddle: return {topLeft, {x, b}};
    case DragMode::BottomRight: return {topLeft, pointer};
    case DragMode::BottomMiddle: return {topLeft, {r, y}};
    case DragMode::BottomLeft: return {{x, t}, {r, y}};
    case DragMode::LeftMiddle: return {{x, t}, bottomRight};
    case DragMode::Move: {
        const int dx = moveOrigin.x() - x, dy = moveOrigin.y() - y;
        return {{l - dx, t - dy}, {r - dx, b - dy}};
    }
    }
    return {topLeft, bottomRight};
}

std::pair<QString, QString> CropLabels(QPoint topLeft, QPoint bottomRight)
{
    return {QStringLiteral("%1,%2 to %3,%4").arg(topLeft.x()).arg(topLeft.y()).arg(bottomRight.x()).arg(bottomRight.y()),
            QStringLiteral("W:%1 H:%2").arg(bottomRight.x() - topLeft.x()).arg(bottomRight.y() - topLeft.y())};
}

std::optional<float> KeepRatio(bool cropChecked, QPoint topLeft, QPoint bottomRight, QSize picture)
{
    const int width = cropChecked ? std::abs(bottomRight.x() - topLeft.x()) : picture.width();
    const int height = cropChecked ? std::abs(bottomRight.y() - topLeft.y()) : picture.height();
    if (width == 0 || height == 0)
        return std::nullopt;
    return static_cast<float>(width) / static_cast<float>(height);
}

int KeepRatioValue(int typed, float ratio, bool typedHeight)
{
    // The products are formed at extended precision from the single ratio.
    if (typedHeight)
        return static_cast<int>(Round(static_cast<long double>(typed) * ratio));
    return static_cast<int>(Round(static_cast<long double>(typed) * (1.0L / ratio)));
}

} // namespace pictaron
