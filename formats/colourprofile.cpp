#include "formats/colourprofile.h"

#include "components/moduleloader.h"
#include "formats/profilecodec.h"

namespace pictaron {

namespace {

const LazyModule module({PICTARON_PROFILE_MODULE_NAME, PICTARON_PROFILE_MODULE_INSTALLED,
                         PICTARON_PROFILE_MODULE_BUILT},
                        {"PictaronReadProfile", "PictaronTransformToSrgb"});

constexpr char kWhat[] = "The colour profile module";

} // namespace

ProfileFacts InspectProfile(std::string_view icc)
{
    ProfileFacts facts;
    module.Required<PictaronReadProfileFn>(0, kWhat)(&icc, &facts);
    return facts;
}

bool ConvertToSrgb(Bitmap& picture, std::string_view icc, std::string& problem)
{
    return module.Required<PictaronTransformToSrgbFn>(1, kWhat)(&picture, &icc, &problem);
}

} // namespace pictaron
