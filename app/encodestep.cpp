#include "app/encodestep.h"

#include "app/outputformat.h"
#include "app/report.h"
#include "app/settingsearch.h"
#include "components/errors.h"
#include "effects/alpha.h"
#include "effects/similarity.h"
#include "formats/avifresult.h"
#include "formats/gifresult.h"
#include "formats/jpegresult.h"
#include "formats/pngresult.h"
#include "formats/webpresult.h"

namespace pictaron {

namespace {

EncodedResult EncodeOnce(const Bitmap& working, const Bitmap& alpha, const ConversionSettings& settings,
                         RunContext& context, const SourceTags& source)
{
    EncodedResult result;
    switch (settings.format) {
    case OutputFormat::Jpeg:
        result = EncodeJpegResult(working, settings, context, source);
        break;
    case OutputFormat::Gif:
        result = ConvertForGif(ToWorkingBitmap(working), settings, context);
        break;
    case OutputFormat::Png:
        result = EncodePngResult(working, alpha, settings, context, source);
        break;
    case OutputFormat::Webp:
        result = EncodeWebpResult(working, alpha, settings, context, source);
        break;
    case OutputFormat::Avif:
        result = EncodeAvifResult(working, alpha, settings, context, source);
        break;
    }
    // Both sides as a page shows them: over white.
    if (context.ShowsResult() && !result.picture.isNull())
        result.similarity = StructuralSimilarity(alpha.isNull() ? working : FlattenOntoWhite(working, alpha),
                                                 result.picture);
    return result;
}

bool IsIndexed(const ConversionSettings& s)
{
    return s.format == OutputFormat::Gif || (s.format == OutputFormat::Png && s.pngIndexed);
}

struct SettingRange {
    int low, high;
};

SettingRange RangeOf(const ConversionSettings& s)
{
    if (IsIndexed(s))
        return {2, 256};
    return s.format == OutputFormat::Jpeg ? SettingRange{1, 100} : SettingRange{0, 100};
}

ConversionSettings WithSetting(ConversionSettings s, int setting)
{
    if (IsIndexed(s))
        s.maxColours = setting;
    else if (s.format == OutputFormat::Jpeg)
        s.jpegQuality = setting;
    else if (s.format == OutputFormat::Webp)
        s.webpQuality = setting;
    else
        s.avifQuality = setting;
    return s;
}

QString Kilobytes(qint64 bytes) { return FormatKilobytes(bytes, 1) + QStringLiteral(" KB"); }

QString Score(double similarity) { return FormatFixed(similarity, 3); }

} // namespace

bool HasSearchableSetting(const ConversionSettings& s)
{
    switch (s.format) {
    case OutputFormat::Jpeg:
    case OutputFormat::Gif:
        return true;
    case OutputFormat::Png:
        return s.pngIndexed;
    case OutputFormat::Webp:
        return !s.webpLossless;
    case OutputFormat::Avif:
        return !s.avifLossless;
    }
    return false;
}

EncodedResult EncodeStep(const Bitmap& working, const Bitmap& alpha, const ConversionSettings& settings,
                         RunContext& context, const SourceTags& source)
{
    const bool budget = settings.maxBytes > 0, floor = settings.minSimilarity > 0;
    if (!budget && !floor)
        return EncodeOnce(working, alpha, settings, context, source);

    const QString aim = floor ? QStringLiteral("an SSIM of %1").arg(Score(settings.minSimilarity))
                              : QStringLiteral("%1").arg(Kilobytes(settings.maxBytes));
    if (!HasSearchableSetting(settings)) {
        RunContext scored{context.progress, context.cancel, context.workFile, context.score || floor};
        EncodedResult result = EncodeOnce(working, alpha, settings, scored, source);
        result.trials = 1;
        if (budget && result.size > settings.maxBytes)
            throw PictaronError(QStringLiteral("The picture does not fit in %1: this format has no setting to "
                                               "lower, and it takes %2.")
                                    .arg(Kilobytes(settings.maxBytes), Kilobytes(result.size)).toStdString());
        if (floor && result.similarity.value_or(0) < settings.minSimilarity)
            throw PictaronError(QStringLiteral("The picture does not reach %1: it scores %2.")
                                    .arg(aim, Score(result.similarity.value_or(0))).toStdString());
        return result;
    }

    // Trials in memory, decoded and scored only when a floor needs it.
    RunContext trials{context.progress, context.cancel, std::string(), floor};
    const SettingRange range = RangeOf(settings);
    const std::function<EncodedResult(int)> trial = [&](int setting) {
        context.cancel.ThrowIfCancelled();
        return EncodeOnce(working, alpha, WithSetting(settings, setting), trials, source);
    };
    const auto fits = [&](const EncodedResult& r) { return !budget || r.size <= settings.maxBytes; };
    SearchOutcome<EncodedResult> outcome;
    if (floor) {
        outcome = LowestPassing<EncodedResult>(range.low, range.high, trial, [&](const EncodedResult& r) {
            return r.similarity.value_or(0) >= settings.minSimilarity;
        });
        if (!outcome.chosen)
            throw PictaronError(QStringLiteral("No setting reaches %1; the best scores %2.")
                                    .arg(aim, Score(outcome.lastFailure.similarity.value_or(0))).toStdString());
        if (!fits(*outcome.chosen))
            throw PictaronError(QStringLiteral("Reaching %1 takes %2, more than %3.")
                                    .arg(aim, Kilobytes(outcome.chosen->size), Kilobytes(settings.maxBytes)).toStdString());
    } else {
        outcome = HighestPassing<EncodedResult>(range.low, range.high, trial, fits);
        if (!outcome.chosen)
            throw PictaronError(QStringLiteral("The picture does not fit in %1; the smallest it became is %2.")
                                    .arg(aim, Kilobytes(outcome.lastFailure.size)).toStdString());
    }

    EncodedResult result = std::move(*outcome.chosen);
    // A run that shows its result gets it as every run does: a JPEG from the
    // work file, each lossy result decoded again and scored.
    if (!context.workFile.empty() || (context.ShowsResult() && !floor))
        result = EncodeOnce(working, alpha, WithSetting(settings, outcome.setting), context, source);
    result.settingChosen = true;
    result.chosenSetting = outcome.setting;
    result.trials = outcome.trials;
    return result;
}

} // namespace pictaron
