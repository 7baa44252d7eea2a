#include "app/conversion.h"

#include "components/errors.h"
#include "effects/pixels.h"
#include "formats/jpegresult.h"

namespace pictaron {

EncodedResult RunConversion(const QImage& original, const ConversionSettings& settings, RunContext& context)
{
    if (original.isNull())
        throw PictaronError(QStringLiteral("There is no picture to convert."));

    // A deep copy: the steps below work in place and the original must survive.
    QImage working = original.format() == QImage::Format_BGR888 ? original.copy() : ToWorkingBitmap(original);

    switch (settings.format) {
    case OutputFormat::Jpeg:
        return EncodeJpegResult(working, settings, context);
    case OutputFormat::Gif:
        break;
    }
    throw PictaronError(QStringLiteral("GIF output is not available in this build."));
}

} // namespace pictaron
