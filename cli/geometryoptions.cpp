// --crop, --flip, --mirror, --rotate, --rotate-left, --corner-colour, --resize, --filter.
#include "cli/optiongroups.h"

#include "effects/resample.h"

#include <QRegularExpression>

namespace pictaron {

namespace {

QString Usage()
{
    return QStringLiteral(
        "Geometry:\n"
        "  --crop L,T,R,B          keep the source pixels from L,T to R,B (right and bottom\n"
        "                          excluded; clamped to the picture as the crop frame is)\n"
        "  --flip                  flip top to bottom\n"
        "  --mirror                mirror left to right\n"
        "  --rotate DEG            rotate clockwise by 0..359 degrees\n"
        "  --rotate-left           rotate counter-clockwise instead\n"
        "  --corner-colour RRGGBB  colour of the corners a rotation uncovers\n"
        "                          (default: the button face colour)\n"
        "  --resize WxH            resize to W by H pixels\n"
        "  --filter NAME           box, triangle, hermite, bell, b-spline, lanczos3 (default)\n"
        "                          or mitchell\n");
}

QList<QCommandLineOption> Options()
{
    return {
        {QStringLiteral("crop"), QString(), QStringLiteral("l,t,r,b")},
        {QStringLiteral("flip"), QString()},
        {QStringLiteral("mirror"), QString()},
        {QStringLiteral("rotate"), QString(), QStringLiteral("deg")},
        {QStringLiteral("rotate-left"), QString()},
        {QStringLiteral("corner-colour"), QString(), QStringLiteral("colour")},
        {QStringLiteral("resize"), QString(), QStringLiteral("wxh")},
        {QStringLiteral("filter"), QString(), QStringLiteral("name")},
    };
}

bool ReadCrop(const QCommandLineParser& parser, ConversionSettings& s, QString& error)
{
    const QString text = parser.value(QStringLiteral("crop"));
    const QStringList parts = text.split(QLatin1Char(','));
    int values[4] = {};
    bool ok = parts.size() == 4;
    for (int i = 0; ok && i < 4; ++i)
        values[i] = parts[i].trimmed().toInt(&ok);
    if (!ok) {
        error = QStringLiteral("--crop needs four whole numbers L,T,R,B, not \"%1\".").arg(text);
        return false;
    }
    s.crop = true;
    s.cropTopLeft = QPoint(values[0], values[1]);
    s.cropBottomRight = QPoint(values[2], values[3]);
    return true;
}

bool ReadResize(const QCommandLineParser& parser, ConversionSettings& s, QString& error)
{
    // Digits only, as the size fields take them; a size of 0 is the run's to refuse.
    static const QRegularExpression size(QStringLiteral("^(\\d{1,9})[xX](\\d{1,9})$"));
    const QString text = parser.value(QStringLiteral("resize"));
    const QRegularExpressionMatch match = size.match(text);
    if (!match.hasMatch()) {
        error = QStringLiteral("--resize needs a size as WIDTHxHEIGHT in pixels, not \"%1\".").arg(text);
        return false;
    }
    s.resize = true;
    s.resizeWidth = match.captured(1).toInt();
    s.resizeHeight = match.captured(2).toInt();
    return true;
}

bool Read(const QCommandLineParser& parser, ConversionSettings& s, QString& error)
{
    if (parser.isSet(QStringLiteral("crop")) && !ReadCrop(parser, s, error))
        return false;
    s.flip = parser.isSet(QStringLiteral("flip"));
    s.mirror = parser.isSet(QStringLiteral("mirror"));
    if (parser.isSet(QStringLiteral("rotate"))) {
        if (!ReadIntOption(parser, QStringLiteral("rotate"), s.rotateAngle, error, 0, 359))
            return false;
        s.rotate = true;
    }
    s.rotateRight = !parser.isSet(QStringLiteral("rotate-left"));
    if (!ReadColourOption(parser, QStringLiteral("corner-colour"), s.cornerColour, error))
        return false;
    if (parser.isSet(QStringLiteral("resize")) && !ReadResize(parser, s, error))
        return false;

    QStringList filters;
    for (const ResampleFilter& filter : ResampleFilterTable())
        filters << QString::fromLatin1(filter.name).toLower();
    int method = static_cast<int>(s.resizeMethod);
    if (!ReadChoiceOption(parser, QStringLiteral("filter"), filters, method, error))
        return false;
    s.resizeMethod = static_cast<ResizeFilter>(method);
    return true;
}

} // namespace

OptionGroup GeometryOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
