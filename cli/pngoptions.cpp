// --interlace, --png-colours.
#include "cli/optiongroups.h"

namespace pictaron {

namespace {

const QString kInterlace = QStringLiteral("interlace");
const QString kPngColours = QStringLiteral("png-colours");

QString Usage()
{
    return QStringLiteral(
        "PNG:\n"
        "  Truecolour, keeping the source's transparency, unless indexed.\n"
        "  --interlace             Adam7 interlacing: a browser shows the whole picture\n"
        "                          coarse first\n"
        "  --png-colours N         indexed PNG of 2..256 colours, as --colours N gives\n");
}

QList<QCommandLineOption> Options()
{
    return {
        {kInterlace, QString()},
        {kPngColours, QString(), QStringLiteral("n")},
    };
}

bool Read(const QCommandLineParser& parser, ConversionSettings& s, QString& error)
{
    for (const QString& name : {kInterlace, kPngColours}) {
        if (!CheckFormatOption(parser, name, s.format, {OutputFormat::Png}, error))
            return false;
    }
    s.interlace = parser.isSet(kInterlace);
    if (!parser.isSet(kPngColours))
        return true;
    if (parser.isSet(QStringLiteral("colours"))) {
        error = QStringLiteral("Choose either --png-colours or --colours.");
        return false;
    }
    s.pngIndexed = true;
    return ReadIntOption(parser, kPngColours, s.maxColours, error, 2, 256);
}

} // namespace

OptionGroup PngOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
