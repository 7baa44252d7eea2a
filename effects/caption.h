// Caption: one line of text written onto the picture.
//
// The text is centred across the picture at the top, centre or bottom, or in
// a white strip added below it. It is drawn with the graphics toolkit, which
// lives in a module of its own (captiondrawing.*), loaded by the first caption:
// a run without one never loads the toolkit. Drawing needs a graphics
// application object; the command line makes one through the module on the
// offscreen platform. A family that is not installed is replaced by the
// platform's substitute, as font matching does everywhere else.
//
// Choices that matter:
// - The text height th is the font's line height (ascent + descent) whatever
//   the text, so an empty caption still adds a strip of th + 4 white rows.
// - Glyphs are drawn without anti-aliasing: crisp pixels survive colour
//   reduction to a small GIF palette without a fringe of extra colours.
#pragma once

#include "effects/pixels.h"

#include <memory>
#include <string>

namespace pictaron {

// The caption location list; NotSelected is the list with no item chosen and
// places the text as Top does.
enum class CaptionLocation { NotSelected = -1, Top, Center, Bottom, Caption };

// The caption's font as the font dialog gives it: a family, a pixel height, its
// style and the dialog's effects, and the colour of the text. Kept free of
// the toolkit's fonts so a settings value needs no GUI.
struct CaptionFont {
    std::string family = "MS Sans Serif";
    int pixelHeight = 11;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    TColor colour = clWindowText;
};

// Throws PictaronError when the module cannot be loaded or no graphics
// application exists.
Bitmap AddCaption(const Bitmap& source, const std::string& text, const CaptionFont& font, CaptionLocation location);

// The application object of a program without windows that draws captions:
// a graphics application on the offscreen platform (unless QT_QPA_PLATFORM
// names another), made and ended by the module, which alone knows its type.
class CaptionApplicationObject;
struct EndCaptionApplication {
    void operator()(CaptionApplicationObject* application) const;
};
using CaptionApplication = std::unique_ptr<CaptionApplicationObject, EndCaptionApplication>;
// The toolkit's own messages are meant for developers (the offscreen platform,
// for one, notes a missing runtime folder): only its critical and fatal ones
// reach the program, through this handler. After a fatal one the toolkit
// cannot go on; the handler should end the program, or it aborts.
using ToolkitMessageHandler = void (*)(const std::string& message, bool fatal);
// Throws PictaronError when the module cannot be loaded.
CaptionApplication MakeCaptionApplication(int& argc, char** argv, ToolkitMessageHandler onMessage);

} // namespace pictaron
