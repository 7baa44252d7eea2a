// The two ways a colour is written as text: six hexadecimal digits as on web
// pages ("FF8000": red, green, blue) and three decimal numbers ("255,128,0").
#pragma once

#include "effects/pixels.h"

#include <QString>

namespace pictaron {

// System colours are resolved first; upper-case digits.
QString ColorToHexText(TColor colour);
// Characters 1-2 red, 3-4 green, the last two blue. Throws PictaronError when a
// pair is not hexadecimal or the text is shorter than six characters.
TColor HexTextToColor(const QString& text);

// System colours are resolved first; "255,128,0".
QString ColorToDecimalText(TColor colour);
// The first three pieces between "," as red, green, blue. Throws PictaronError
// when there are fewer than three or one is not a number from 0 to 255.
TColor DecimalTextToColor(const QString& text);

} // namespace pictaron
