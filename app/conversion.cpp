#include "app/conversion.h"

#include "app/encodestep.h"
#include "app/outputformat.h"
#include "components/errors.h"
#include "effects/alpha.h"
#include "effects/blend.h"
#include "effects/buttonize.h"
#include "effects/caption.h"
#include "effects/convolve.h"
#include "effects/geometry.h"
#include "effects/pixels.h"
#include "effects/resample.h"
#include "effects/tone.h"

namespace pictaron {

namespace {

// The changes between the copy and the encoder, each when enabled, in their
// fixed order. Every step returns a new bitmap, so the caller's picture is
// never written to. Cancellation is honoured between steps and, inside the
// resize step, every tenth row or column. Steps take working bitmaps: a picture
// in another layout (a PPM read in place) becomes one for the first step that
// needs it, and one that no step changes comes back as it is. Resize and the
// 3×3 filters read RGB rows themselves, which spares a converted copy.
//
// First the steps that move pixels.
Bitmap MovePixels(Bitmap working, const ConversionSettings& s, RGBTriple cornerColour, RunContext& context)
{
    const auto bitmap = [&working]() -> const Bitmap& { return working = ToWorkingBitmap(working); };
    if (s.crop)
        working = CropToSelection(bitmap(), s.cropTopLeft, s.cropBottomRight);
    if (s.flip)
        working = FlipBitmap(bitmap());
    if (s.mirror)
        working = MirrorBitmap(bitmap());
    if (s.rotate)
        working = RotateBitmap(bitmap(), s.rotateAngle, cornerColour, s.rotateRight);
    context.cancel.ThrowIfCancelled();
    return working;
}

const ResampleFilter& ResizeMethod(const ConversionSettings& s)
{
    const auto& table = ResampleFilterTable();
    return table[static_cast<size_t>(Clamp(static_cast<int>(s.resizeMethod), 0, static_cast<int>(table.size()) - 1))];
}

// The resize's progress, through which a cancel ends it.
ResampleProgress ResizeProgress(RunContext& context)
{
    context.progress.SetStatus("Resizing");
    return [&context](const std::string& text, int done, int total) {
        context.progress.ReportProgress(text, done, total);
        context.cancel.ThrowIfCancelled();
    };
}

// A picture's transparency goes through the same steps (see effects/alpha.h):
// its colours premultiplied and its alpha as a grey bitmap, rotated corners
// transparent whatever colour they were given, and resized with the alpha as
// the colours' weight.
Bitmap MovePixelsWithAlpha(const Bitmap& working, Bitmap& alpha, const ConversionSettings& s, RunContext& context,
                           Texts& warnings)
{
    PremultipliedPicture moved{MovePixels(PremultipliedOverBlack(working, alpha), s, RGBTriple{}, context),
                               MovePixels(AlphaAsBitmap(alpha), s, RGBTriple{}, context)};
    if (s.resize) {
        CheckResizeSize(s.resizeWidth, s.resizeHeight);
        try {
            moved = ResamplePremultiplied(moved, Size(s.resizeWidth, s.resizeHeight), ResizeMethod(s),
                                          ResizeProgress(context));
        } catch (const RunCancelled&) {
            throw;
        } catch (const NotEnoughMemory&) {
            throw;
        } catch (const std::exception&) {
            warnings.push_back(kResizeFailedMessage);
        }
    }
    alpha = AlphaPlaneOf(moved.alpha);
    return StraightColours(moved.colours, moved.alpha);
}

// Then the steps that change colours only.
Bitmap ChangeColours(Bitmap working, const ConversionSettings& s, RunContext& context)
{
    const auto bitmap = [&working]() -> const Bitmap& { return working = ToWorkingBitmap(working); };
    RunProgress& progress = context.progress;
    const CancelFlag& cancel = context.cancel;
    if (s.blend)
        working = BlendStep(bitmap(), s.blendFile, s.blendBias, s.blendStretch);
    cancel.ThrowIfCancelled();
    if (s.contrast)
        working = AdjustContrast(bitmap(), s.contrastAmount);
    if (s.brightness)
        working = AdjustBrightness(bitmap(), s.brightnessAmount);
    // The two filters take track bar positions, 0..20.
    if (s.sharpen) {
        progress.SetStatus("Sharpening");
        working = Convolve3x3(working, ConvolveKind::Sharpen, Clamp(s.sharpenAmount, 0, 20) + 5);
    }
    cancel.ThrowIfCancelled();
    if (s.blur) {
        progress.SetStatus("Blurring");
        working = Convolve3x3(working, ConvolveKind::Blur, 20 - Clamp(s.blurAmount, 0, 20));
    }
    cancel.ThrowIfCancelled();
    if (s.buttonize)
        working = ButtonizeBitmap(bitmap(), {s.buttonWidth, s.buttonLine, s.lighting, s.fade, s.invert});
    if (s.caption)
        working = AddCaption(bitmap(), s.captionText, s.captionFont, s.captionLocation);
    return working;
}

} // namespace

ChangedPicture ApplyChanges(Bitmap original, const ConversionSettings& settings, RunContext& context, Bitmap alpha)
{
    if (original.isNull())
        throw PictaronError(std::string("There is no picture to convert."));

    // Shared, not copied: a step that writes into the working bitmap detaches it
    // from the caller's picture first, so the original survives untouched.
    // The source's profile and metadata, for an encoder that keeps them.
    ChangedPicture changed;
    changed.source = SourceTagsOf(original);
    Bitmap working = std::move(original);

    if (alpha.isNull() || alpha.size() != working.size() || !KeepsAlpha(settings)) {
        alpha = Bitmap();
        working = MovePixels(std::move(working), settings, ColorToTriple(settings.cornerColour), context);
        if (settings.resize) {
            working = ResizeStep(working, settings.resizeWidth, settings.resizeHeight, ResizeMethod(settings),
                                 ResizeProgress(context), changed.warnings);
        }
    } else {
        working = MovePixelsWithAlpha(working, alpha, settings, context, changed.warnings);
    }
    changed.picture = ChangeColours(std::move(working), settings, context);
    changed.alpha = std::move(alpha);
    return changed;
}

EncodedResult EncodeChanged(const ChangedPicture& changed, const ConversionSettings& settings, RunContext& context)
{
    EncodedResult result = EncodeStep(changed.picture, changed.alpha, settings, context, changed.source);
    result.format = settings.format;
    result.warnings = changed.warnings;
    return result;
}

EncodedResult RunConversion(Bitmap original, const ConversionSettings& settings, RunContext& context, Bitmap alpha)
{
    return EncodeChanged(ApplyChanges(std::move(original), settings, context, std::move(alpha)), settings, context);
}

Size SizeBeforeResize(const Bitmap& original, const ConversionSettings& settings, RunContext& context)
{
    // Flipping and mirroring keep the size.
    if (!settings.crop && !settings.rotate)
        return original.size();
    return MovePixels(original, settings, ColorToTriple(settings.cornerColour), context).size();
}

} // namespace pictaron
