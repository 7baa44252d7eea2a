#include "formats/avifmodule.h"

namespace pictaron {

const LazyModule& AvifModule()
{
    static const LazyModule module(
        {PICTARON_AVIF_MODULE_NAME, PICTARON_AVIF_MODULE_INSTALLED, PICTARON_AVIF_MODULE_BUILT},
        {"PictaronEncodeAvif", "PictaronDecodeAvif", "PictaronReadAvifSource"});
    return module;
}

} // namespace pictaron
