// --progressive, --greyscale.
#include "cli/optiongroups.h"

namespace pictaron {

namespace {

const QString kProgressive = QStringLiteral("progressive");
const QString kGreyscale = QStringLiteral("greyscale");

QString Usage()
{
    return QStringLiteral(
        "JPEG:\n"
        "  --progressive           progressive encoding\n"
        "  --greyscale             greyscale picture\n");
}

QList<QCommandLineOption> Options()
{
    return {
        {kProgressive, QString()},
        {kGreyscale, QString()},
    };
}

bool Read(const QCommandLineParser& parser, ConversionSettings& s, QString& error)
{
    for (const QString& name : {kProgressive, kGreyscale}) {
        if (!CheckFormatOption(parser, name, s.format, {OutputFormat::Jpeg}, error))
            return false;
    }
    s.progressive = parser.isSet(kProgressive);
    s.greyscale = parser.isSet(kGreyscale);
    return true;
}

} // namespace

OptionGroup JpegOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
