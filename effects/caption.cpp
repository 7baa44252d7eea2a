#include "effects/caption.h"

#include "components/errors.h"
#include "components/moduleloader.h"
#include "effects/captionmodule.h"

namespace pictaron {

namespace {

const LazyModule module({PICTARON_CAPTION_MODULE_NAME, PICTARON_CAPTION_MODULE_INSTALLED,
                         PICTARON_CAPTION_MODULE_BUILT},
                        {"PictaronDrawCaption", "PictaronMakeCaptionApplication", "PictaronEndCaptionApplication"});

constexpr char kWhat[] = "The caption's text drawing";

// The module comes with the window's package, which a machine with the
// command line alone lacks: the message then says which package to install.
void CheckInstalled()
{
    if (module.Missing())
        throw PictaronError(std::string("Captions need the graphics module " PICTARON_CAPTION_MODULE_NAME
                                         ", which the pictaron package installs."));
}

} // namespace

Bitmap AddCaption(const Bitmap& source, const std::string& text, const CaptionFont& font, CaptionLocation location)
{
    CheckInstalled();
    Bitmap captioned;
    const auto draw = module.Required<PictaronDrawCaptionFn>(0, kWhat);
    draw(&source, &text, &font, ColorToTriple(font.colour), static_cast<int>(location), &captioned);
    return captioned;
}

CaptionApplication MakeCaptionApplication(int& argc, char** argv, ToolkitMessageHandler onMessage)
{
    CheckInstalled();
    const auto makeApplication = module.Required<PictaronMakeCaptionApplicationFn>(1, kWhat);
    return CaptionApplication(static_cast<CaptionApplicationObject*>(makeApplication(&argc, argv, onMessage)));
}

void EndCaptionApplication::operator()(CaptionApplicationObject* application) const
{
    // The module that made the application is loaded for good by then.
    module.Entry<PictaronEndCaptionApplicationFn>(2)(application);
}

} // namespace pictaron
