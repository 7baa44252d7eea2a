// The caption's text drawing, in the module of its own that is the only part
// of a run to need the graphics toolkit (see caption.h).
#pragma once

#include "effects/caption.h"

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

// The module's entry points.
extern "C" {
using PictaronDrawCaptionFn = void (*)(const pictaron::Bitmap* source, const std::string* text,
                                       const pictaron::CaptionFont* font, pictaron::RGBTriple colour, int location,
                                       pictaron::Bitmap* captioned);
// The application is a QGuiApplication; the engine holds it as a
// CaptionApplicationObject it never looks into.
// The toolkit's messages go to onMessage from before the application is made.
using PictaronMakeCaptionApplicationFn = void* (*)(int* argc, char** argv, pictaron::ToolkitMessageHandler onMessage);
using PictaronEndCaptionApplicationFn = void (*)(void* application);
}
