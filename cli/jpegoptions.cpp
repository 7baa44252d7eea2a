// --quality, --progressive, --greyscale.
#include "cli/optiongroups.h"

namespace pictaron {

namespace {

QString Usage()
{
    return QStringLiteral(
        "JPEG:\n"
        "  --quality N             1..100 (default 80; values outside are clamped)\n"
        "  --progressive           progressive encoding\n"
        "  --greyscale             greyscale picture\n");
}

QList<QCommandLineOption> Options()
{
    return {
        {QStringLiteral("quality"), QString(), QStringLiteral("n")},
        {QStringLiteral("progressive"), QString()},
        {QStringLiteral("greyscale"), QString()},
    };
}

bool Read(const QCommandLineParser& parser, ConversionSettings& s, QString& error)
{
    if (!ReadIntOption(parser, QStringLiteral("quality"), s.jpegQuality, error))
        return false;
    s.jpegQuality = ClampJpegQuality(s.jpegQuality);
    s.progressive = parser.isSet(QStringLiteral("progressive"));
    s.greyscale = parser.isSet(QStringLiteral("greyscale"));
    return true;
}

} // namespace

OptionGroup JpegOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
