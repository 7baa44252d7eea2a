#include "formats/magickdecoder.h"

#include "components/moduleloader.h"

#include <mutex>

namespace pictaron {

namespace {

struct Module {
    PictaronDecodeWithMagickFn decode = nullptr;
    QString problem;
};

const Module& LoadModule()
{
    static Module module;
    static std::once_flag once;
    std::call_once(once, [] {
        const ModuleFile file{PICTARON_MAGICK_MODULE_NAME, PICTARON_MAGICK_MODULE_INSTALLED, PICTARON_MAGICK_MODULE_BUILT};
        module.decode = reinterpret_cast<PictaronDecodeWithMagickFn>(
            ResolveModuleEntry(file, "PictaronDecodeWithMagick", &module.problem));
    });
    return module;
}

} // namespace

Bitmap DecodeWithMagick(const QByteArray& bytes, const MagickRequest& request, const DecodeGuard& guard,
                        RawTags* tags)
{
    const Module& module = LoadModule();
    if (!module.decode)
        guard.Fail(QStringLiteral("The picture library could not be loaded: %1").arg(module.problem));
    Bitmap picture;
    RawTags ignored;
    module.decode(&bytes, &request, &guard, &picture, tags ? tags : &ignored);
    return picture;
}

} // namespace pictaron
