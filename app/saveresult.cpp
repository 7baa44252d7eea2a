#include "app/saveresult.h"

#include "components/atomicfile.h"
#include "components/errors.h"
#include "formats/gifresult.h"

namespace pictaron {

std::int64_t SaveResult(const std::string& path, const Bitmap& shownPicture, const SharedBytes& encodedBytes,
                        const ConversionSettings& settings)
{
    switch (settings.format) {
    case OutputFormat::Gif:
        break;
    case OutputFormat::Jpeg:
        try {
            WriteFileAtomically(path, encodedBytes.view());
        } catch (const PictaronError& error) {
            throw PictaronError("Copy of file failed\n\n" + error.message());
        }
        return static_cast<std::int64_t>(encodedBytes.size());
    case OutputFormat::Png:
    case OutputFormat::Webp:
    case OutputFormat::Avif:
        WriteFileAtomically(path, encodedBytes.view());
        return static_cast<std::int64_t>(encodedBytes.size());
    }
    const std::string gif = EncodeGif(shownPicture, settings.transparentColour);
    WriteFileAtomically(path, gif);
    return static_cast<std::int64_t>(gif.size());
}

} // namespace pictaron
