// --blend, --blend-bias, --blend-tile, --contrast, --brightness, --sharpen, --blur.
#include "cli/optiongroups.h"

namespace pictaron {

namespace {

QString Usage()
{
    return QStringLiteral(
        "Blend, tone and filters:\n"
        "  --blend FILE            mix in a second picture (skipped when FILE does not exist)\n"
        "  --blend-bias N          -100..100: weight of the second picture (default 0, half)\n"
        "  --blend-tile            tile the second picture instead of stretching it\n"
        "  --contrast N            -255..255 (values outside are clamped)\n"
        "  --brightness N          -255..255 (values outside are clamped)\n"
        "  --sharpen N             sharpen, 0..20 as the slider (0 strongest)\n"
        "  --blur N                blur, 0..20 as the slider (20 strongest)\n");
}

QList<QCommandLineOption> Options()
{
    return {
        {QStringLiteral("blend"), QString(), QStringLiteral("file")},
        {QStringLiteral("blend-bias"), QString(), QStringLiteral("n")},
        {QStringLiteral("blend-tile"), QString()},
        {QStringLiteral("contrast"), QString(), QStringLiteral("n")},
        {QStringLiteral("brightness"), QString(), QStringLiteral("n")},
        {QStringLiteral("sharpen"), QString(), QStringLiteral("n")},
        {QStringLiteral("blur"), QString(), QStringLiteral("n")},
    };
}

bool Read(const QCommandLineParser& parser, ConversionSettings& s, QString& error)
{
    if (parser.isSet(QStringLiteral("blend"))) {
        s.blend = true;
        s.blendFile = parser.value(QStringLiteral("blend"));
    }
    if (!ReadIntOption(parser, QStringLiteral("blend-bias"), s.blendBias, error, -100, 100))
        return false;
    s.blendStretch = !parser.isSet(QStringLiteral("blend-tile"));

    // Values typed outside the sliders' range are clamped by the run, as the
    // window's edit boxes would pass them.
    s.contrast = parser.isSet(QStringLiteral("contrast"));
    if (!ReadIntOption(parser, QStringLiteral("contrast"), s.contrastAmount, error))
        return false;
    s.brightness = parser.isSet(QStringLiteral("brightness"));
    if (!ReadIntOption(parser, QStringLiteral("brightness"), s.brightnessAmount, error))
        return false;

    s.sharpen = parser.isSet(QStringLiteral("sharpen"));
    if (!ReadIntOption(parser, QStringLiteral("sharpen"), s.sharpenAmount, error, 0, 20))
        return false;
    s.blur = parser.isSet(QStringLiteral("blur"));
    return ReadIntOption(parser, QStringLiteral("blur"), s.blurAmount, error, 0, 20);
}

} // namespace

OptionGroup ToneOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
