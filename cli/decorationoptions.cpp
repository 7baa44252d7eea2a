// --buttonize, --button-colour, --lighting, --fade, --invert, --caption,
// --caption-location, --font, --caption-style, --caption-colour.
#include "cli/optiongroups.h"
#include "components/qtbridge.h"

namespace pictaron {

namespace {

// A caption taller than this is no caption.
constexpr int kMaxFontPixels = 1000;

QString Usage()
{
    return QStringLiteral(
        "Buttonize and caption:\n"
        "  --buttonize PERCENT     bevelled button edges, PERCENT of the size (0..100)\n"
        "  --button-colour RRGGBB  line colour of the bevel (default black)\n"
        "  --lighting L            none, top-left, top-right, bottom-left or bottom-right\n"
        "                          (default: lit as from the top left)\n"
        "  --fade                  bevel bands fade into the picture\n"
        "  --invert                pressed look\n"
        "  --caption TEXT          write TEXT on the picture\n"
        "  --caption-location L    top (default), center, bottom, or caption: a white strip\n"
        "                          added below the picture\n"
        "  --font FAMILY[,PIXELS]  caption font and its height in pixels (default\n"
        "                          \"MS Sans Serif\",11, or the installed font that stands in)\n"
        "  --caption-style S       regular (default), bold, italic or bold-italic\n"
        "  --caption-colour RRGGBB colour of the caption text (default black)\n");
}

QList<QCommandLineOption> Options()
{
    return {
        {QStringLiteral("buttonize"), QString(), QStringLiteral("percent")},
        {QStringLiteral("button-colour"), QString(), QStringLiteral("colour")},
        {QStringLiteral("lighting"), QString(), QStringLiteral("lighting")},
        {QStringLiteral("fade"), QString()},
        {QStringLiteral("invert"), QString()},
        {QStringLiteral("caption"), QString(), QStringLiteral("text")},
        {QStringLiteral("caption-location"), QString(), QStringLiteral("location")},
        {QStringLiteral("font"), QString(), QStringLiteral("font")},
        {QStringLiteral("caption-style"), QString(), QStringLiteral("style")},
        {QStringLiteral("caption-colour"), QString(), QStringLiteral("colour")},
    };
}

// "FAMILY" or "FAMILY,PIXELS"; a family may itself hold commas.
bool ReadFont(const QString& text, CaptionFont& font, QString& error)
{
    QString family = text.trimmed();
    const int comma = family.lastIndexOf(QLatin1Char(','));
    if (comma >= 0) {
        bool ok = false;
        const int pixels = family.mid(comma + 1).trimmed().toInt(&ok);
        if (!ok || pixels < 1 || pixels > kMaxFontPixels) {
            error = QStringLiteral("--font needs FAMILY or FAMILY,PIXELS with PIXELS from 1 to %1, not \"%2\".")
                        .arg(kMaxFontPixels)
                        .arg(text);
            return false;
        }
        font.pixelHeight = pixels;
        family = family.left(comma).trimmed();
    }
    if (family.isEmpty()) {
        error = QStringLiteral("--font needs a font family, not \"%1\".").arg(text);
        return false;
    }
    font.family = ToUtf8(family);
    return true;
}

bool Read(const QCommandLineParser& parser, ConversionSettings& s, QString& error)
{
    s.buttonize = parser.isSet(QStringLiteral("buttonize"));
    if (!ReadIntOption(parser, QStringLiteral("buttonize"), s.buttonWidth, error))
        return false;
    s.buttonWidth = Clamp(s.buttonWidth, 0, 100);
    TColor line = clBlack;  // an empty colour entry
    if (!ReadColourOption(parser, QStringLiteral("button-colour"), line, error))
        return false;
    s.buttonLine = ColorToTriple(line);
    int lighting = static_cast<int>(s.lighting);
    if (!ReadChoiceOption(parser, QStringLiteral("lighting"),
                          {QStringLiteral("none"), QStringLiteral("top-left"), QStringLiteral("top-right"),
                           QStringLiteral("bottom-left"), QStringLiteral("bottom-right")},
                          lighting, error))
        return false;
    s.lighting = static_cast<Lighting>(lighting);
    s.fade = parser.isSet(QStringLiteral("fade"));
    s.invert = parser.isSet(QStringLiteral("invert"));

    if (parser.isSet(QStringLiteral("caption"))) {
        s.caption = true;
        s.captionText = parser.value(QStringLiteral("caption"));
    }
    int location = static_cast<int>(s.captionLocation);
    if (!ReadChoiceOption(parser, QStringLiteral("caption-location"),
                          {QStringLiteral("top"), QStringLiteral("center"), QStringLiteral("bottom"),
                           QStringLiteral("caption")},
                          location, error))
        return false;
    s.captionLocation = static_cast<CaptionLocation>(location);
    int style = 0;  // bit 0 bold, bit 1 italic
    if (!ReadChoiceOption(parser, QStringLiteral("caption-style"),
                          {QStringLiteral("regular"), QStringLiteral("bold"), QStringLiteral("italic"),
                           QStringLiteral("bold-italic")},
                          style, error))
        return false;
    s.captionFont.bold = (style & 1) != 0;
    s.captionFont.italic = (style & 2) != 0;
    if (!ReadColourOption(parser, QStringLiteral("caption-colour"), s.captionFont.colour, error))
        return false;
    return !parser.isSet(QStringLiteral("font")) || ReadFont(parser.value(QStringLiteral("font")), s.captionFont, error);
}

} // namespace

OptionGroup DecorationOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
