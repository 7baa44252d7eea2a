#include "formats/magickdecoder.h"

#include "components/moduleloader.h"

namespace pictaron {

namespace {

const LazyModule module({PICTARON_MAGICK_MODULE_NAME, PICTARON_MAGICK_MODULE_INSTALLED, PICTARON_MAGICK_MODULE_BUILT},
                        {"PictaronDecodeWithMagick"});

} // namespace

Bitmap DecodeWithMagick(std::string_view bytes, const MagickRequest& request, const DecodeGuard& guard,
                        RawTags* tags)
{
    const auto decode = module.Entry<PictaronDecodeWithMagickFn>(0);
    if (!decode)
        guard.Fail(Substitute("The picture library could not be loaded: %1", module.Problem()));
    Bitmap picture;
    RawTags ignored;
    decode(&bytes, &request, &guard, &picture, tags ? tags : &ignored);
    return picture;
}

} // namespace pictaron
