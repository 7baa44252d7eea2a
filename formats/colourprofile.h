// Embedded ICC colour profiles, through Little CMS 2: what a profile is, and
// the conversion of a picture's pixels from it to sRGB (perceptual intent
// with black-point compensation), as web browsers take untagged pictures.
// Little CMS itself is loaded by the first picture with a profile
// (profilecodec.h).
#pragma once

#include "effects/bitmap.h"

#include <string>
#include <string_view>

namespace pictaron {

// Both functions below throw PictaronError "The colour profile module could
// not be loaded: <reason>." when Little CMS cannot be had.

enum class ProfileSpace { Rgb, Grey, Cmyk, Other };

struct ProfileFacts {
    bool readable = false;
    std::string problem;  // why not, when not readable
    std::string name;     // the description tag, or empty
    ProfileSpace space = ProfileSpace::Other;
    // The profile maps every colour to itself in sRGB: converting would
    // change nothing, and the picture is left as decoded.
    bool actsAsSrgb = false;
};

ProfileFacts InspectProfile(std::string_view icc);

// Converts a working bitmap (BGR) in place from the RGB or grey profile to
// sRGB; a grey profile reads the first channel of each pixel. False with
// problem set when the profile cannot be used; the picture is then untouched.
bool ConvertToSrgb(Bitmap& picture, std::string_view icc, std::string& problem);

} // namespace pictaron
