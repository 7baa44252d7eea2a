#include "effects/caption.h"

#include "components/errors.h"
#include "components/moduleloader.h"
#include "effects/captiondrawing.h"

#include <mutex>

namespace pictaron {

namespace {

struct Module {
    PictaronDrawCaptionFn draw = nullptr;
    PictaronMakeCaptionApplicationFn makeApplication = nullptr;
    QString problem;
    bool missing = false;
};

const Module& LoadModule()
{
    static Module module;
    static std::once_flag once;
    std::call_once(once, [] {
        const ModuleFile file{PICTARON_CAPTION_MODULE_NAME, PICTARON_CAPTION_MODULE_INSTALLED,
                              PICTARON_CAPTION_MODULE_BUILT};
        module.draw = reinterpret_cast<PictaronDrawCaptionFn>(
            ResolveModuleEntry(file, "PictaronDrawCaption", &module.problem, &module.missing));
        if (module.draw)
            module.makeApplication = reinterpret_cast<PictaronMakeCaptionApplicationFn>(
                ResolveModuleEntry(file, "PictaronMakeCaptionApplication", &module.problem));
    });
    // The module comes with the window's package, which a machine with the
    // command line alone lacks: the message says which package to install.
    if (module.missing)
        throw PictaronError(QStringLiteral("Captions need the graphics module " PICTARON_CAPTION_MODULE_NAME
                                           ", which the pictaron package installs."));
    if (!module.draw || !module.makeApplication)
        throw PictaronError(QStringLiteral("The caption's text drawing could not be loaded: %1").arg(module.problem));
    return module;
}

} // namespace

Bitmap AddCaption(const Bitmap& source, const QString& text, const CaptionFont& font, CaptionLocation location)
{
    const Module& module = LoadModule();
    Bitmap captioned;
    module.draw(&source, &text, &font, ColorToTriple(font.colour), static_cast<int>(location), &captioned);
    return captioned;
}

std::unique_ptr<QCoreApplication> MakeCaptionApplication(int& argc, char** argv)
{
    return std::unique_ptr<QCoreApplication>(LoadModule().makeApplication(&argc, argv));
}

} // namespace pictaron
