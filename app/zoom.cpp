#include "app/zoom.h"

#include "effects/bitmapmemory.h"
#include "effects/pixels.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace pictaron {

QStringList ZoomItems()
{
    QStringList items;
    for (int percent = 10; percent < 100; percent += 10)
        items << QString::number(percent) + QLatin1Char('%');
    for (int percent = 100; percent <= 1000; percent += 100)
        items << QString::number(percent) + QLatin1Char('%');
    return items;
}

float ZoomScaleFromText(const QString& text)
{
    QString number = text.trimmed();
    number.remove(QLatin1Char('%'));
    bool ok = false;
    const double percent = number.toDouble(&ok);
    if (!ok || percent <= 0)
        return 1.0f;
    return static_cast<float>(percent * 0.01);
}

QString ZoomText(float scale)
{
    return QStringLiteral("%1%").arg(qRound(scale * 100.0f));
}

Bitmap ZoomPicture(const Bitmap& shown, float scale)
{
    // Whole bytes per pixel from here on; results are 8, 24 or 32 bits deep.
    const Bitmap picture = shown.depth() < 8 ? ToWorkingBitmap(shown) : shown;
    const int width = std::max(1, static_cast<int>(Round(static_cast<double>(picture.width()) * scale)));
    const int height = std::max(1, static_cast<int>(Round(static_cast<double>(picture.height()) * scale)));
    if (width == picture.width() && height == picture.height())
        return picture;

    // Works on any pixel size: indexed GIF results keep their colour table.
    const int bytesPerPixel = picture.depth() / 8;
    // Beyond this the view would take gigabytes, which the system may promise
    // and then not keep: refused before anything is allocated.
    if (!FitsBitmapMemory(width, height, bytesPerPixel))
        ThrowOutOfMemory(width, height);
    Bitmap zoomed(width, height, picture.format());
    if (zoomed.isNull())
        ThrowOutOfMemory(width, height);
    zoomed.setColorTable(picture.colorTable());
    std::vector<int> sourceX(width);
    for (int x = 0; x < width; ++x)
        sourceX[x] = static_cast<int>(static_cast<long long>(x) * picture.width() / width);
    for (int y = 0; y < height; ++y) {
        const uchar* source = picture.constScanLine(static_cast<int>(static_cast<long long>(y) * picture.height() / height));
        uchar* target = zoomed.scanLine(y);
        for (int x = 0; x < width; ++x)
            std::memcpy(target + x * bytesPerPixel, source + sourceX[x] * bytesPerPixel, bytesPerPixel);
    }
    return zoomed;
}

} // namespace pictaron
