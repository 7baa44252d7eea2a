// Little CMS's side of the embedded colour profiles (colourprofile.h), in a
// module of its own, so that a run on an untagged picture never loads it.
// The picture module compiles its own copy for its CMYK pixels, which only it
// sees.
#pragma once

#include "effects/bitmap.h"
#include "formats/colourprofile.h"

#include <string>
#include <string_view>

namespace pictaron {

// What InspectProfile and ConvertToSrgb answer, through Little CMS.
ProfileFacts ReadProfile(std::string_view icc);
bool TransformToSrgb(Bitmap& picture, std::string_view icc, std::string& problem);

// Rows of CMYK samples (0 = no ink) to BGR rows in sRGB.
class CmykConverter {
public:
    explicit CmykConverter(std::string_view icc);
    ~CmykConverter();
    CmykConverter(const CmykConverter&) = delete;
    CmykConverter& operator=(const CmykConverter&) = delete;
    bool IsReady() const { return transform_ != nullptr; }
    void ConvertRow(const unsigned char* cmyk, unsigned char* bgr, int width) const;

private:
    void* transform_ = nullptr;
};

} // namespace pictaron

// The module's entry points.
extern "C" {
using PictaronReadProfileFn = void (*)(const std::string_view* icc, pictaron::ProfileFacts* facts);
using PictaronTransformToSrgbFn = bool (*)(pictaron::Bitmap* picture, const std::string_view* icc,
                                           std::string* problem);
}
