#include "cli/variantrun.h"

#include "app/conversion.h"
#include "app/outputformat.h"
#include "cli/variants.h"
#include "components/errors.h"
#include "components/qtbridge.h"

#include <QDir>
#include <QFileInfo>

#include <array>

namespace pictaron {

namespace {

QString Shown(const QString& input)
{
    return input == QLatin1String("-") ? QStringLiteral("standard input") : QDir::toNativeSeparators(input);
}

QString WidthList(const QList<int>& widths)
{
    QStringList words;
    for (const int width : widths)
        words << QString::number(width);
    return words.join(QStringLiteral(", "));
}

} // namespace

QList<MadeVariant> MakeVariants(const CliJob& job, const QList<PlannedOutput>& outputs, const Bitmap& original,
                                const Bitmap& alpha, RunContext& context, const PublishVariant& publish,
                                QStringList& notes)
{
    const QString input = Shown(outputs.front().input);
    const QSize source = SizeBeforeResize(original, job.settings, context);
    // A JPEG decoded shrunk has the proportions of its whole size, which the
    // shrunk one only rounds, so each variant's height is what a whole
    // decoding would give.
    const QSize whole = ToQSize(SourceTagsOf(original).wholeSize);
    const QSize proportions = whole.isEmpty() ? source : whole;
    QList<int> widths;
    QList<int> dropped;
    for (const PlannedOutput& planned : outputs) {
        QList<int>& list = planned.width > proportions.width() ? dropped : widths;
        if (!list.contains(planned.width))
            list << planned.width;
    }
    if (widths.isEmpty())
        throw PictaronError(QStringLiteral("%1 is %2 pixels wide, narrower than every width of --widths; nothing "
                                           "written for it.")
                                .arg(input)
                                .arg(proportions.width()));
    if (!dropped.isEmpty())
        notes << QStringLiteral("%1 is %2 pixels wide; the wider variants (%3) are left out.")
                     .arg(input)
                     .arg(proportions.width())
                     .arg(WidthList(dropped));

    QList<std::optional<MadeVariant>> made(outputs.size());
    for (const int width : widths) {
        ConversionSettings sized = job.settings;
        if (width > 0 && width != source.width()) {
            const QSize size = VariantSize(proportions, width);
            sized.resize = true;
            sized.resizeWidth = size.width();
            sized.resizeHeight = size.height();
        }
        const QSize expected = sized.resize ? QSize(sized.resizeWidth, sized.resizeHeight) : source;
        // The picture resized and changed once for the formats that keep
        // transparency, once for those made from the flattened picture.
        std::array<std::optional<ChangedPicture>, 2> changed;
        for (qsizetype i = 0; i < outputs.size(); ++i) {
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
                if (!result.warnings.isEmpty())
                    throw PictaronError(QStringLiteral("%1: %2  %3 was not written.")
                                            .arg(input, result.warnings.join(QLatin1Char(' ')),
                                                 QDir::toNativeSeparators(planned.output)));
                variant.kept = !publish(planned, result.bytes);
                if (!variant.kept) {
                    variant.dimensions = result.dimensions;
                    variant.bytes = result.bytes.size();
                    variant.similarity = result.similarity;
                }
            }
            if (variant.kept)
                variant.bytes = QFileInfo(planned.output).size();
            made[i] = variant;
        }
    }
    QList<MadeVariant> inOrder;
    for (const std::optional<MadeVariant>& variant : made)
        if (variant)
            inOrder << *variant;
    return inOrder;
}

} // namespace pictaron
