#include "colour/colourfield.h"

#include "components/colourtext.h"
#include "components/errors.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpression>

#include <optional>

namespace pictaron {

namespace {

constexpr int kSwatchWidth = 18;

QColor ToQColor(TColor colour)
{
    const RGBTriple triple = ColorToTriple(ResolveSystemColour(colour));
    return QColor(triple.red, triple.green, triple.blue);
}

// Hexadecimal when the text is six hexadecimal digits, decimal when it holds
// commas; nothing otherwise.
std::optional<TColor> ParseColour(const QString& text)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{6}$"));
    try {
        const QString trimmed = text.trimmed();
        if (hex.match(trimmed).hasMatch())
            return HexTextToColor(trimmed);
        if (trimmed.count(QLatin1Char(',')) == 2)
            return DecimalTextToColor(trimmed);
    } catch (const PictaronError&) {
    }
    return std::nullopt;
}

} // namespace

ColourField::ColourField(TColor emptyColour, QWidget* parent)
    : QWidget(parent), entry_(new QLineEdit(this)), emptyColour_(emptyColour)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kSwatchWidth + 3, 0, 0, 0);
    layout->addWidget(entry_);
    entry_->setMaxLength(11);
    entry_->setPlaceholderText(QStringLiteral("RRGGBB"));
    entry_->setToolTip(tr("Six hexadecimal digits (FF8000) or red, green and blue from 0 to 255 (255,128,0)"));
    setFocusProxy(entry_);
    connect(entry_, &QLineEdit::textChanged, this, &ColourField::TextEdited);
}

void ColourField::SetColour(TColor colour)
{
    entry_->setText(ColorToHexText(colour));
}

void ColourField::SetFrameColour(TColor colour)
{
    frame_ = colour;
    update();
}

void ColourField::TextEdited(const QString& text)
{
    const std::optional<TColor> parsed = ParseColour(text);
    valid_ = parsed.has_value();
    if (parsed)
        colour_ = *parsed;
    update();
    emit OnChange();
}

QRect ColourField::SwatchRect() const
{
    return QRect(0, (height() - kSwatchWidth) / 2, kSwatchWidth, kSwatchWidth);
}

void ColourField::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect swatch = SwatchRect().adjusted(0, 0, -1, -1);
    if (valid_) {
        painter.fillRect(swatch, ToQColor(colour_));
    } else {
        // An empty entry: a light hatch says "no colour chosen".
        painter.fillRect(swatch, palette().base());
        painter.setPen(QPen(palette().mid().color(), 1));
        painter.drawLine(swatch.bottomLeft(), swatch.topRight());
    }
    painter.setPen(isEnabled() ? ToQColor(frame_) : palette().mid().color());
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(swatch);
}

} // namespace pictaron
