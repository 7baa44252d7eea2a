// --quality, --lossless: what a result may give up of the picture, in each
// format that offers the choice.
#include "cli/optiongroups.h"

namespace pictaron {

namespace {

const QString kQuality = QStringLiteral("quality");
const QString kLossless = QStringLiteral("lossless");

QString Usage()
{
    return QStringLiteral(
        "Quality (JPEG, WebP, AVIF):\n"
        "  --quality N             the quality of the chosen format: JPEG 1..100\n"
        "                          (default 80; values outside are clamped), WebP 0..100\n"
        "                          (default 80), AVIF 0..100 (default 60)\n"
        "  --lossless              a WebP or AVIF that keeps every pixel exactly (an\n"
        "                          AVIF then holds RGB, 4:4:4); not with --quality\n");
}

QList<QCommandLineOption> Options()
{
    return {
        {kQuality, QString(), QStringLiteral("n")},
        {kLossless, QString()},
    };
}

bool Read(const QCommandLineParser& parser, ConversionSettings& s, QString& error)
{
    if (!CheckFormatOption(parser, kQuality, s.format, {OutputFormat::Jpeg, OutputFormat::Webp, OutputFormat::Avif},
                           error)
        || !CheckFormatOption(parser, kLossless, s.format, {OutputFormat::Webp, OutputFormat::Avif}, error))
        return false;
    if (parser.isSet(kQuality) && parser.isSet(kLossless)) {
        error = QStringLiteral("Choose either --quality or --lossless.");
        return false;
    }
    switch (s.format) {
    case OutputFormat::Jpeg:
        // As the window's slider does.
        if (!ReadIntOption(parser, kQuality, s.jpegQuality, error))
            return false;
        s.jpegQuality = ClampJpegQuality(s.jpegQuality);
        return true;
    case OutputFormat::Webp:
        s.webpLossless = parser.isSet(kLossless);
        return ReadIntOption(parser, kQuality, s.webpQuality, error, 0, 100);
    case OutputFormat::Avif:
        s.avifLossless = parser.isSet(kLossless);
        return ReadIntOption(parser, kQuality, s.avifQuality, error, 0, 100);
    case OutputFormat::Gif:
    case OutputFormat::Png:
        break;
    }
    return true;
}

} // namespace

OptionGroup QualityOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
