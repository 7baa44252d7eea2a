#include "formats/pngrescue.h"

#include "components/moduleloader.h"
#include "formats/alphaplane.h"
#include "formats/pngcodec.h"

namespace pictaron {

namespace {

const LazyModule module({PICTARON_PNG_MODULE_NAME, PICTARON_PNG_MODULE_INSTALLED, PICTARON_PNG_MODULE_BUILT},
                        {"PictaronReadPngRows"});

} // namespace

std::optional<RescuedPng> RescueCutPng(std::string_view bytes)
{
    Bitmap rgba;
    const int read = module.Required<PictaronReadPngRowsFn>(0, "The PNG reader")(&bytes, &rgba);
    if (read <= 0)
        return std::nullopt;
    OpenedPicture opened = OpenRgba(rgba, read);
    return RescuedPng{std::move(opened.picture), std::move(opened.alpha), read == rgba.height()};
}

} // namespace pictaron
