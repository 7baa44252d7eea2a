#include "components/qimagebridge.h"

#include "components/qtbridge.h"

namespace pictaron {

namespace {

QImage::Format ImageFormat(Bitmap::Format format)
{
    switch (format) {
    case Bitmap::Format_BGR888: return QImage::Format_BGR888;
    case Bitmap::Format_RGB888: return QImage::Format_RGB888;
    case Bitmap::Format_RGBA8888: return QImage::Format_RGBA8888;
    case Bitmap::Format_Grayscale8: return QImage::Format_Grayscale8;
    case Bitmap::Format_Indexed8: return QImage::Format_Indexed8;
    case Bitmap::Format_Invalid: break;
    }
    return QImage::Format_Invalid;
}

Bitmap::Format BitmapFormat(QImage::Format format)
{
    switch (format) {
    case QImage::Format_BGR888: return Bitmap::Format_BGR888;
    case QImage::Format_RGB888: return Bitmap::Format_RGB888;
    case QImage::Format_RGBA8888: return Bitmap::Format_RGBA8888;
    case QImage::Format_Grayscale8: return Bitmap::Format_Grayscale8;
    case QImage::Format_Indexed8: return Bitmap::Format_Indexed8;
    default: return Bitmap::Format_Invalid;
    }
}

void ReleaseBitmap(void* held)
{
    delete static_cast<Bitmap*>(held);
}

} // namespace

QImage ImageView(const Bitmap& bitmap)
{
    if (bitmap.isNull())
        return {};
    auto* held = new Bitmap(bitmap);
    QImage view(held->constBits(), held->width(), held->height(), held->bytesPerLine(),
                ImageFormat(held->format()), ReleaseBitmap, held);
    if (bitmap.format() == Bitmap::Format_Indexed8)
        view.setColorTable(QList<QRgb>(bitmap.colorTable().begin(), bitmap.colorTable().end()));
    return view;
}

QImage PaintableView(Bitmap& bitmap)
{
    if (bitmap.isNull())
        return {};
    QImage view(bitmap.bits(), bitmap.width(), bitmap.height(), bitmap.bytesPerLine(), ImageFormat(bitmap.format()));
    if (bitmap.format() == Bitmap::Format_Indexed8)
        view.setColorTable(QList<QRgb>(bitmap.colorTable().begin(), bitmap.colorTable().end()));
    return view;
}

Bitmap ToBitmap(const QImage& picture)
{
    if (picture.isNull())
        return {};
    Bitmap::Format format = BitmapFormat(picture.format());
    QImage shared = picture;
    if (format == Bitmap::Format_Invalid) {
        shared = picture.convertToFormat(QImage::Format_BGR888);
        if (shared.isNull())
            ThrowOutOfMemory(picture.width(), picture.height());
        format = Bitmap::Format_BGR888;
    }
    const uchar* rows = shared.constBits();
    Bitmap bitmap = Bitmap::WrapReadOnly(rows, shared.width(), shared.height(), shared.bytesPerLine(), format,
                                         [shared] {});
    if (format == Bitmap::Format_Indexed8) {
        const QList<QRgb> table = shared.colorTable();
        bitmap.setColorTable(std::vector<Argb>(table.begin(), table.end()));
    }
    for (const QString& key : picture.textKeys())
        bitmap.setText(ToUtf8(key), ToUtf8(picture.text(key)));
    return bitmap;
}

} // namespace pictaron
