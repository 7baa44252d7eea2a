// --colours, --palette, --dither, --transparent: the palette of a GIF, and of
// a PNG, which any of them makes indexed.
#include "cli/optiongroups.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pictaron {

namespace {

// A palette file must be there to be read: a name that is none would give a
// picture of 256 blacks, as would a file whose kind the name does not tell.
bool IsPaletteFile(const QString& path, QString& error)
{
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("--palette must be optimized, websafe or a palette file that can be read; %1 is "
                               "none of them.")
                    .arg(QDir::toNativeSeparators(path));
        return false;
    }
    const QString suffix = info.suffix().toLower();
    if (suffix != QLatin1String("pal") && suffix != QLatin1String("act") && suffix != QLatin1String("gif")) {
        error = QStringLiteral("--palette %1: a palette file is a .pal, .act or .gif file.")
                    .arg(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

QString Usage()
{
    return QStringLiteral(
        "GIF and indexed PNG:\n"
        "  Any of these makes a PNG indexed, with the pixels the GIF would have.\n"
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
    const QStringList names{QStringLiteral("colours"), QStringLiteral("palette"), QStringLiteral("dither"),
                            QStringLiteral("transparent")};
    for (const QString& name : names) {
        if (!CheckFormatOption(parser, name, s.format, {OutputFormat::Gif, OutputFormat::Png}, error))
            return false;
    }
    if (s.format == OutputFormat::Png && AnySet(parser, names))
        s.pngIndexed = true;
    if (!ReadIntOption(parser, QStringLiteral("colours"), s.maxColours, error))
        return false;
    if (parser.isSet(QStringLiteral("palette"))) {
        const QString palette = parser.value(QStringLiteral("palette"));
        if (palette.compare(QLatin1String("optimized"), Qt::CaseInsensitive) == 0
            || palette.compare(QLatin1String("optimised"), Qt::CaseInsensitive) == 0)
            s.palette = kOptimizedPalette;
        else if (palette.compare(QLatin1String("websafe"), Qt::CaseInsensitive) == 0)
            s.palette = kWebsafePalette;
        else if (!IsPaletteFile(palette, error))
            return false;
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
