#include "formats/avifsource.h"

#include "formats/alphaplane.h"
#include "formats/avifcodec.h"
#include "formats/avifmodule.h"
#include "formats/pictureloader.h"

namespace pictaron {

namespace {

// The EXIF Orientation that makes the same picture as quarterTurns
// anticlockwise and then the mirror (-1 none, 0 top and bottom, 1 left and
// right).
int OrientationOf(int quarterTurns, int mirror)
{
    static constexpr int kOrientations[4][3] = {{1, 4, 2}, {8, 5, 7}, {3, 2, 4}, {6, 7, 5}};
    return kOrientations[quarterTurns & 3][mirror + 1];
}

} // namespace

Bitmap DecodeAvifSource(std::string_view bytes, const DecodeGuard& guard, RawTags& raw)
{
    AvifSource source;
    AvifModule().Required<PictaronReadAvifSourceFn>(kReadAvifSource, "The AVIF reader")(
        &bytes, PictureLoader::kMaxPixels, &guard, &source);
    raw.icc = std::move(source.icc);
    raw.exif = std::move(source.exif);
    raw.xmp = std::move(source.xmp);

    raw.containerOrientation = OrientationOf(source.quarterTurns, source.mirror);
    raw.containerOrientationFirst = true;
    if (source.pixels.format() != Bitmap::Format_RGBA8888)
        return std::move(source.pixels);
    OpenedPicture opened = OpenRgba(source.pixels, source.pixels.height());
    raw.alpha = std::move(opened.alpha);
    return std::move(opened.picture);
}

} // namespace pictaron
