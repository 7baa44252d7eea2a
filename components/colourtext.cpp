#include "components/colourtext.h"

#include "components/errors.h"

#include <QStringList>

namespace pictaron {

namespace {

TColor FromChannels(int red, int green, int blue)
{
    return static_cast<TColor>(red) | static_cast<TColor>(green) << 8 | static_cast<TColor>(blue) << 16;
}

int HexPair(const QString& text, qsizetype at)
{
    bool ok = false;
    const int value = text.mid(at, 2).toInt(&ok, 16);
    if (!ok || text.mid(at, 2).startsWith(QLatin1Char('-')) || text.mid(at, 2).startsWith(QLatin1Char('+')))
        throw PictaronError(QStringLiteral("'%1' is not a valid hexadecimal colour.").arg(text).toStdString());
    return value;
}

} // namespace

QString ColorToHexText(TColor colour)
{
    const RGBTriple triple = ColorToTriple(ResolveSystemColour(colour));
    return QStringLiteral("%1%2%3")
        .arg(triple.red, 2, 16, QLatin1Char('0'))
        .arg(triple.green, 2, 16, QLatin1Char('0'))
        .arg(triple.blue, 2, 16, QLatin1Char('0'))
        .toUpper();
}

TColor HexTextToColor(const QString& text)
{
    if (text.size() < 6)
        throw PictaronError(QStringLiteral("'%1' is not a valid hexadecimal colour.").arg(text).toStdString());
    return FromChannels(HexPair(text, 0), HexPair(text, 2), HexPair(text, text.size() - 2));
}

QString ColorToDecimalText(TColor colour)
{
    const RGBTriple triple = ColorToTriple(ResolveSystemColour(colour));
    return QStringLiteral("%1,%2,%3").arg(triple.red).arg(triple.green).arg(triple.blue);
}

TColor DecimalTextToColor(const QString& text)
{
    const QStringList pieces = text.split(QLatin1Char(','));
    int channels[3] = {};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        channels[i] = i < pieces.size() ? pieces[i].trimmed().toInt(&ok, 10) : -1;
        if (!ok || channels[i] < 0 || channels[i] > 255)
            throw PictaronError(QStringLiteral("'%1' is not a valid colour: give red, green and blue "
                                               "from 0 to 255, separated by commas.")
                                    .arg(text).toStdString());
    }
    return FromChannels(channels[0], channels[1], channels[2]);
}

} // namespace pictaron
