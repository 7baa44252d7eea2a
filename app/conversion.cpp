#include "app/conversion.h"

#include "components/errors.h"
#include "effects/pixels.h"
#include "formats/gifresult.h"
#include "formats/jpegresult.h"

namespace pictaron {

EncodedResult RunConversion(QImage original, const ConversionSettings& settings, RunContext& context)
{
    if (original.isNull())
        throw PictaronError(QStringLiteral("There is no picture to convert."));

    // Shared, not copied: a step that writes into the working bitmap detaches it
    // from the caller's picture first, so the original survives untouched.
    QImage working = ToWorkingBitmap(original);
    original = QImage();

    switch (settings.format) {
    case OutputFormat::Jpeg:
        return EncodeJpegResult(working, settings, context);
    case OutputFormat::Gif:
        break;
    }
    return ConvertForGif(working, settings, context);
}

} // namespace pictaron
