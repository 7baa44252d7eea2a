#include "cli/variantrun.h"

#include "app/conversion.h"
#include "app/outputformat.h"
#include "cli/variants.h"
#include "components/errors.h"
#include "components/pathutils.h"

#include <algorithm>
#include <array>


namespace pictaron {

namespace {

std::string Shown(const std::string& input)
{
    return input == "-" ? "standard input" : input;
}

std::string WidthList(const std::vector<int>& widths)
{
    Texts words;
    for (const int width : widths)
        words.push_back(NumberText(width));
    return JoinTexts(words, ", ");
}

bool Contains(const std::vector<int>& list, int value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

} // namespace

std::vector<MadeVariant> MakeVariants(const CliJob& job, const std::vector<PlannedOutput>& outputs,
                                      const Bitmap& original, const Bitmap& alpha, RunContext& context,
                                      const PublishVariant& publish, Texts& notes)
{
    const std::string input = Shown(outputs.front().input);
    const Size source = SizeBeforeResize(original, job.settings, context);
    // A JPEG decoded shrunk has the proportions of its whole size, which the
    // shrunk one only rounds, so each variant's height is what a whole
    // decoding would give.
    const Size whole = SourceTagsOf(original).wholeSize;
    const Size proportions = whole.isEmpty() ? source : whole;
    std::vector<int> widths;
    std::vector<int> dropped;
    for (const PlannedOutput& planned : outputs) {
        std::vector<int>& list = planned.width > proportions.width() ? dropped : widths;
        if (!Contains(list, planned.width))
            list.push_back(planned.width);
    }
    if (widths.empty())
        throw PictaronError(Substitute("%1 is %2 pixels wide, narrower than every width of --widths; nothing "
                                       "written for it.",
                                       input, proportions.width()));
    if (!dropped.empty())
        notes.push_back(Substitute("%1 is %2 pixels wide; the wider variants (%3) are left out.", input,
                                   proportions.width(), WidthList(dropped)));

    std::vector<std::optional<MadeVariant>> made(outputs.size());
    for (const int width : widths) {
        ConversionSettings sized = job.settings;
        if (width > 0 && width != source.width()) {
            const Size size = VariantSize(proportions, width);
            sized.resize = true;
            sized.resizeWidth = size.width();
            sized.resizeHeight = size.height();
        }
        const Size expected = sized.resize ? Size(sized.resizeWidth, sized.resizeHeight) : source;
        // The picture resized and changed once for the formats that keep
        // transparency, once for those made from the flattened picture.
        std::array<std::optional<ChangedPicture>, 2> changed;
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            const PlannedOutput& planned = outputs[i];
            if (planned.width != width)
                continue;
            MadeVariant variant;
            variant.file = planned.output;
            variant.format = planned.format;
            variant.dimensions = expected;
            variant.kept = planned.keepExisting;
            sized.format = planned.format;
            if (!variant.kept) {
                std::optional<ChangedPicture>& picture = changed[KeepsAlpha(sized) ? 1 : 0];
                if (!picture)
                    picture = ApplyChanges(original, sized, context, alpha);
                const EncodedResult result = EncodeChanged(*picture, sized, context);
                context.cancel.ThrowIfCancelled();
                // A resize that failed leaves a picture that is not the variant asked for.
                if (!result.warnings.empty())
                    throw PictaronError(Substitute("%1: %2  %3 was not written.", input,
                                                   JoinTexts(result.warnings, " "), planned.output));
                variant.kept = !publish(planned, result.bytes.view());
                if (!variant.kept) {
                    variant.dimensions = result.dimensions;
                    variant.bytes = static_cast<std::int64_t>(result.bytes.size());
                    variant.similarity = result.similarity;
                }
            }
            if (variant.kept)
                variant.bytes = FileSize(planned.output);
            made[i] = variant;
        }
    }
    std::vector<MadeVariant> inOrder;
    for (const std::optional<MadeVariant>& variant : made)
        if (variant)
            inOrder.push_back(*variant);
    return inOrder;
}

} // namespace pictaron
