// --max-bytes, --min-ssim: targets the encoder meets by choosing the quality
// or the colour count itself, with real encodes.
#include "cli/optiongroups.h"

#include <QRegularExpression>

#include <cmath>

namespace pictaron {

namespace {

const QString kMaxBytes = QStringLiteral("max-bytes");
const QString kMinSsim = QStringLiteral("min-ssim");

QString Usage()
{
    return QStringLiteral(
        "Targets (JPEG, WebP, AVIF, GIF, indexed PNG):\n"
        "  The quality or colour count is chosen by trial encodes; --quality, --colours\n"
        "  and --png-colours are then left out (--palette optimized makes a PNG\n"
        "  indexed). A format with nothing to choose (truecolour PNG, --lossless) is\n"
        "  encoded once and must meet the target. A picture that cannot is an error:\n"
        "  the message says the smallest size or best score reached, and nothing is\n"
        "  written for it.\n"
        "  --max-bytes SIZE        the highest quality (most colours) whose file takes at\n"
        "                          most SIZE bytes: 2000, 150k, 1.5M (k = 1024 bytes,\n"
        "                          M = 1024 k)\n"
        "  --min-ssim X            the lowest quality (fewest colours) whose structural\n"
        "                          similarity (SSIM) to the finished picture reaches X,\n"
        "                          0 < X <= 1; with --max-bytes it must fit that too\n");
}

QList<QCommandLineOption> Options()
{
    return {
        {kMaxBytes, QString(), QStringLiteral("size")},
        {kMinSsim, QString(), QStringLiteral("x")},
    };
}

// Whole bytes, rounded down so that a budget is never exceeded: "1.5k" is 1536.
bool ReadSize(const QCommandLineParser& parser, qint64& bytes, QString& error)
{
    if (!parser.isSet(kMaxBytes))
        return true;
    static const QRegularExpression size(QStringLiteral("^([0-9]*\\.?[0-9]+)([km]?)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QString text = parser.value(kMaxBytes);
    const QRegularExpressionMatch match = size.match(text);
    const QString unit = match.captured(2).toLower();
    const double scale = unit == QLatin1String("m") ? 1024.0 * 1024.0 : unit == QLatin1String("k") ? 1024.0 : 1.0;
    const double value = std::floor(match.captured(1).toDouble() * scale);
    // Beyond 2^53 bytes a double no longer holds whole numbers; no file is that large.
    if (!match.hasMatch() || !(value >= 1 && value <= 9007199254740992.0)) {
        error = QStringLiteral("--max-bytes needs a size of at least one byte, such as 2000, 150k or 1.5M, not "
                               "\"%1\".")
                    .arg(text);
        return false;
    }
    bytes = static_cast<qint64>(value);
    return true;
}

bool ReadScore(const QCommandLineParser& parser, double& score, QString& error)
{
    if (!parser.isSet(kMinSsim))
        return true;
    bool ok = false;
    const double value = parser.value(kMinSsim).toDouble(&ok);
    if (!ok || !(value > 0 && value <= 1)) {
        error = QStringLiteral("--min-ssim needs a number above 0 and at most 1, not \"%1\".")
                    .arg(parser.value(kMinSsim));
        return false;
    }
    score = value;
    return true;
}

bool Read(const QCommandLineParser& parser, ConversionSettings& s, QString& error)
{
    if (!ReadSize(parser, s.maxBytes, error) || !ReadScore(parser, s.minSimilarity, error))
        return false;
    const QString target = parser.isSet(kMaxBytes) ? kMaxBytes : kMinSsim;
    if (!parser.isSet(target))
        return true;
    // The target chooses this setting; a value given as well would be dropped.
    for (const QString& chosen : {QStringLiteral("quality"), QStringLiteral("colours"), QStringLiteral("png-colours")}) {
        if (parser.isSet(chosen)) {
            error = QStringLiteral("--%1 chooses the %2 itself; leave out --%3.")
                        .arg(target, chosen == QLatin1String("quality") ? chosen : QStringLiteral("colour count"),
                             chosen);
            return false;
        }
    }
    return true;
}

} // namespace

OptionGroup TargetOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
