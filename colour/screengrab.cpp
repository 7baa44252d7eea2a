#include "colour/screengrab.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace pictaron {

namespace {

class RealScreen : public ScreenSource {
public:
    std::optional<QImage> Grab(const QRect& area) override
    {
        const QString platform = QGuiApplication::platformName();
        if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
            return std::nullopt;
        QScreen* screen = QGuiApplication::screenAt(area.center());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (!screen)
            return std::nullopt;
        const QPoint origin = screen->geometry().topLeft();
        const QPixmap shot = screen->grabWindow(0, area.x() - origin.x(), area.y() - origin.y(), area.width(),
                                                area.height());
        if (shot.isNull() || shot.width() <= 0 || shot.height() <= 0)
            return std::nullopt;
        QImage image = shot.toImage().convertToFormat(QImage::Format_RGB32);
        // On scaled screens the grab comes in device pixels; the callers work
        // in the coordinates they asked for.
        if (image.size() != area.size())
            image = image.scaled(area.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
        return image;
    }

    QRect ScreenAt(QPoint point) override
    {
        QScreen* screen = QGuiApplication::screenAt(point);
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        return screen ? screen->geometry() : QRect(0, 0, 1, 1);
    }
};

RealScreen gRealScreen;
ScreenSource* gSource = nullptr;

} // namespace

ScreenSource& Screen()
{
    return gSource ? *gSource : gRealScreen;
}

void SetScreenSource(ScreenSource* source)
{
    gSource = source;
}

std::optional<TColor> ScreenPixel(QPoint point)
{
    const std::optional<QImage> shot = Screen().Grab(QRect(point, QSize(1, 1)));
    if (!shot || shot->isNull())
        return std::nullopt;
    const QRgb rgb = shot->pixel(0, 0);
    return static_cast<TColor>(qRed(rgb)) | static_cast<TColor>(qGreen(rgb)) << 8
        | static_cast<TColor>(qBlue(rgb)) << 16;
}

QString ScreenRefusedText()
{
    return QStringLiteral("This desktop does not let programs read the screen, so colours cannot be taken from it.");
}

} // namespace pictaron
