// Embedded ICC colour profiles, through Little CMS 2: what a profile is, and
// the conversion of a picture's pixels from it to sRGB (perceptual intent
// with black-point compensation), as web browsers take untagged pictures.
// Little CMS itself is loaded by the first picture with a profile
// (profilecodec.h).
#pragma once

#include <QByteArray>
#include "effects/bitmap.h"
#include <QString>

namespace pictaron {

// Both functions below throw PictaronError "The colour profile module could
// not be loaded: <reason>." when Little CMS cannot be had.

enum class ProfileSpace { Rgb, Grey, Cmyk, Other };

struct ProfileFacts {
    bool readable = false;
    QString problem;   // why not, when not readable
    QString name;      // the description tag, or empty
    ProfileSpace space = ProfileSpace::Other;
    // The profile maps every colour to itself in sRGB: converting would
    // change nothing, and the picture is left as decoded.
    bool actsAsSrgb = false;
};

ProfileFacts InspectProfile(const QByteArray& icc);

// Converts a working bitmap (BGR) in place from the RGB or grey profile to
// sRGB; a grey profile reads the first channel of each pixel. False with
// problem set when the profile cannot be used; the picture is then untouched.
bool ConvertToSrgb(Bitmap& picture, const QByteArray& icc, QString& problem);

} // namespace pictaron
