// Embedded ICC colour profiles, through Little CMS 2: what a profile is, and
// the conversion of a picture's pixels from it to sRGB (perceptual intent
// with black-point compensation), as web browsers take untagged pictures.
//
// Built into the engine and into the picture module alike: the module
// converts CMYK pixels itself, since only it sees them.
#pragma once

#include <QByteArray>
#include "effects/bitmap.h"
#include <QString>

#include <memory>

namespace pictaron {

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

// Rows of CMYK samples (0 = no ink) to BGR rows in sRGB.
class CmykConverter {
public:
    explicit CmykConverter(const QByteArray& icc);
    ~CmykConverter();
    CmykConverter(const CmykConverter&) = delete;
    CmykConverter& operator=(const CmykConverter&) = delete;
    bool IsReady() const { return transform_ != nullptr; }
    void ConvertRow(const unsigned char* cmyk, unsigned char* bgr, int width) const;

private:
    void* transform_ = nullptr;
};

} // namespace pictaron
