// The caption's text drawing, in the module of its own that is the only part
// of a run to need the graphics toolkit (see caption.h).
#pragma once

#include "effects/caption.h"
#include "effects/captionmodule.h"

#include <QString>
class QFont;

namespace pictaron {

// The QFont the caption is drawn with.
QFont CaptionQFont(const CaptionFont& font);

// The caption drawn in the given colour (system colours already resolved).
// Throws PictaronError when no graphics application exists.
Bitmap DrawCaption(const Bitmap& source, const QString& text, const CaptionFont& font, RGBTriple colour,
                   CaptionLocation location);

} // namespace pictaron
