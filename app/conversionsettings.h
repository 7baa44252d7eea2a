// Every input of a conversion run, as one value.
//
// The main window copies its controls into this when a run starts; the command
// line builds it from its arguments. The engine never reads controls, so every
// behaviour of a run can be tested from a ConversionSettings alone. Defaults are
// those of the window at start-up.
#pragma once

#include "effects/buttonize.h"
#include "effects/caption.h"
#include "effects/pixels.h"
#include "formats/sourcetags.h"

#include "components/sizes.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pictaron {

// The order of the resize method list (ResampleFilterTable()).
enum class ResizeFilter { Box, Triangle, Hermite, Bell, BSpline, Lanczos3, Mitchell };

// The kinds of result; app/outputformat.h holds what each is called and how
// its files are named.
enum class OutputFormat { Jpeg, Gif, Png, Webp, Avif };

// AVIF chroma subsampling: 4:2:0 halves colour both ways, 4:4:4 keeps it.
enum class AvifChroma { Yuv420, Yuv444 };

// The metadata a JPEG, PNG, WebP or AVIF result keeps of its source's EXIF
// and XMP (a GIF keeps none).
enum class KeepMetadata { None, Copyright, All };

inline const std::string kOptimizedPalette = "[Optimized]";
inline const std::string kWebsafePalette = "[Websafe]";

struct ConversionSettings {
    // Geometry. The crop corners are source pixels, right and bottom exclusive;
    // (-1,-1) until a crop frame is first drawn.
    bool crop = false;
    Point cropTopLeft{-1, -1};
    Point cropBottomRight{-1, -1};
    bool flip = false;
    bool mirror = false;
    bool rotate = false;
    int rotateAngle = 0;  // degrees, 0..359
    bool rotateRight = true;
    TColor cornerColour = clBtnFace;  // an untouched colour entry shows button face

    bool resize = false;
    int resizeWidth = 0;
    int resizeHeight = 0;
    ResizeFilter resizeMethod = ResizeFilter::Lanczos3;

    bool blend = false;
    std::string blendFile;
    int blendBias = 0;  // -100..100
    bool blendStretch = true;  // false: tile

    bool contrast = false;
    int contrastAmount = 0;  // -255..255
    bool brightness = false;
    int brightnessAmount = 0;  // -255..255
    bool sharpen = false;
    int sharpenAmount = 0;  // track bar 0..20
    bool blur = false;
    int blurAmount = 0;  // track bar 0..20

    bool buttonize = false;
    int buttonWidth = 5;  // percent, 0..100
    RGBTriple buttonLine{};  // an empty colour entry gives black
    Lighting lighting = Lighting::NotSelected;
    bool fade = false;
    bool invert = false;

    bool caption = false;
    std::string captionText;
    CaptionFont captionFont;
    CaptionLocation captionLocation = CaptionLocation::NotSelected;

    OutputFormat format = OutputFormat::Jpeg;
    int jpegQuality = 80;  // 1..100
    bool progressive = false;
    bool greyscale = false;

    std::string palette = kOptimizedPalette;  // or the path of a palette file
    int maxColours = 256;  // 2..256
    bool dither = false;
    // The transparent colour of a GIF result; empty unless "Transparent" is on
    // and the colour entry holds a valid colour.
    std::optional<TColor> transparentColour;

    // PNG: truecolour (with the source's transparency, when it has any), or
    // indexed through the GIF's palette path above, giving exactly the GIF's
    // pixels and transparent colour. Interlace is Adam7.
    bool pngIndexed = false;
    bool interlace = false;

    // WebP: quality 0..100, or lossless; effort is the encoder's method, 0..6
    // (slower is smaller).
    int webpQuality = 80;
    bool webpLossless = false;
    int webpEffort = 4;

    // AVIF, 8 bits a sample: quality 0..100, or lossless (4:4:4 in RGB);
    // speed 0..10 (faster is larger).
    int avifQuality = 60;
    bool avifLossless = false;
    int avifSpeed = 6;
    AvifChroma avifChroma = AvifChroma::Yuv420;

    // The source's own tags. The first two decide how the picture is loaded
    // (LoadOptionsFor): keepOrientation leaves it as stored rather than
    // upright, keepProfile leaves its colours unconverted and writes its
    // profile into the result. keepMetadata says what of its EXIF and XMP the
    // result carries; by default none. A GIF carries neither.
    // Targets for the encoder, each 0 when not set: the highest quality (JPEG,
    // WebP, AVIF) or most colours (GIF, indexed PNG) whose file takes at most
    // maxBytes, or the lowest whose similarity score reaches minSimilarity
    // (within the budget, when both are set). A format without such a
    // setting (truecolour PNG, lossless) is encoded once and must fit.
    std::int64_t maxBytes = 0;
    double minSimilarity = 0;

    bool keepOrientation = false;
    bool keepProfile = false;
    KeepMetadata keepMetadata = KeepMetadata::None;
};

inline LoadOptions LoadOptionsFor(const ConversionSettings& settings)
{
    LoadOptions options;
    options.applyOrientation = !settings.keepOrientation;
    options.convertToSrgb = !settings.keepProfile;
    return options;
}

// The slider clamps whatever the quality box holds into 1..100.
inline int ClampJpegQuality(int quality) { return Clamp(quality, 1, 100); }

// The ranges the WebP and AVIF encoders take their settings in.
inline int ClampWebpQuality(int quality) { return Clamp(quality, 0, 100); }
inline int ClampWebpEffort(int effort) { return Clamp(effort, 0, 6); }
inline int ClampAvifQuality(int quality) { return Clamp(quality, 0, 100); }
inline int ClampAvifSpeed(int speed) { return Clamp(speed, 0, 10); }

} // namespace pictaron
