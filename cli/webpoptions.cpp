// --effort.
#include "cli/optiongroups.h"

namespace pictaron {

namespace {

const QString kEffort = QStringLiteral("effort");

QString Usage()
{
    return QStringLiteral(
        "WebP:\n"
        "  Keeps the source's transparency.\n"
        "  --effort N              0..6 (default 4): the encoder's method; higher is\n"
        "                          slower and gives smaller files\n");
}

QList<QCommandLineOption> Options()
{
    return {{kEffort, QString(), QStringLiteral("n")}};
}

bool Read(const QCommandLineParser& parser, ConversionSettings& s, QString& error)
{
    return CheckFormatOption(parser, kEffort, s.format, {OutputFormat::Webp}, error)
        && ReadIntOption(parser, kEffort, s.webpEffort, error, 0, 6);
}

} // namespace

OptionGroup WebpOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
