// --colours, --palette, --dither, --transparent.
#include "cli/optiongroups.h"

namespace pictaron {

namespace {

QString Usage()
{
    return QStringLiteral(
        "GIF:\n"
        "  --colours N             2..256 colours (default 256; 0 gives 1, above 256 gives 256)\n"
        "  --palette P             optimized (default), websafe, or a .pal, .act or .gif file\n"
        "                          whose colours the picture is first reduced to\n"
        "  --dither                dithered instead of flat mapping\n"
        "  --transparent RRGGBB    make this colour transparent\n");
}

QList<QCommandLineOption> Options()
{
    return {
        {QStringLiteral("colours"), QString(), QStringLiteral("n")},
        {QStringLiteral("palette"), QString(), QStringLiteral("palette")},
        {QStringLiteral("dither"), QString()},
        {QStringLiteral("transparent"), QString(), QStringLiteral("colour")},
    };
}

bool Read(const QCommandLineParser& parser, ConversionSettings& s, QString& error)
{
    if (!ReadIntOption(parser, QStringLiteral("colours"), s.maxColours, error))
        return false;
    if (parser.isSet(QStringLiteral("palette"))) {
        const QString palette = parser.value(QStringLiteral("palette"));
        if (palette.compare(QLatin1String("optimized"), Qt::CaseInsensitive) == 0
            || palette.compare(QLatin1String("optimised"), Qt::CaseInsensitive) == 0)
            s.palette = kOptimizedPalette;
        else if (palette.compare(QLatin1String("websafe"), Qt::CaseInsensitive) == 0)
            s.palette = kWebsafePalette;
        else
            s.palette = palette;
    }
    s.dither = parser.isSet(QStringLiteral("dither"));
    if (parser.isSet(QStringLiteral("transparent"))) {
        TColor colour = 0;
        if (!ReadColourOption(parser, QStringLiteral("transparent"), colour, error))
            return false;
        s.transparentColour = colour;
    }
    return true;
}

} // namespace

OptionGroup GifOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
