// Colour profiles for tests, made with the colour library itself.
#pragma once

#include <QByteArray>

#include <lcms2.h>

#include <string>

namespace pictaron::testpictures {

// A Display P3 profile (P3 primaries, D65, the sRGB curve), made with the
// colour library; extraCopyright makes it as large as a profile must be to
// take several JPEG segments.
inline QByteArray DisplayP3Profile(int extraCopyright = 0)
{
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.680, 0.320, 1.0}, {0.265, 0.690, 1.0}, {0.150, 0.060, 1.0}};
    const cmsFloat64Number srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    cmsMLU* description = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(description, "en", "US", "Display P3");
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, description);
    cmsMLUfree(description);
    if (extraCopyright > 0) {
        cmsMLU* copyright = cmsMLUalloc(nullptr, 1);
        cmsMLUsetASCII(copyright, "en", "US", std::string(extraCopyright, 'c').c_str());
        cmsWriteTag(profile, cmsSigCopyrightTag, copyright);
        cmsMLUfree(copyright);
    }
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    QByteArray bytes(static_cast<qsizetype>(size), '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

} // namespace pictaron::testpictures
