#include "formats/magickdecoder.h"

#include "components/installlayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QStringList>

#include <mutex>

namespace pictaron {

namespace {

// Beside the program first (a build tree, a portable copy), then under the
// lib folder of the install tree the program runs from (a package, a copy
// installed with --prefix), then where the configured prefix would put it,
// then where this build put it (tests).
QStringList ModuleCandidates()
{
    QStringList candidates;
    if (QCoreApplication::instance())
        candidates << QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(PICTARON_MAGICK_MODULE_NAME))
                   << InstalledModulePath();
    candidates << QStringLiteral(PICTARON_MAGICK_MODULE_INSTALLED) << QStringLiteral(PICTARON_MAGICK_MODULE_BUILT);
    return candidates;
}

struct Module {
    PictaronDecodeWithMagickFn decode = nullptr;
    QString problem;
};

const Module& LoadModule()
{
    static Module module;
    static std::once_flag once;
    std::call_once(once, [] {
        for (const QString& candidate : ModuleCandidates()) {
            QLibrary library(candidate);
            if (!QFile::exists(candidate))
                continue;
            module.decode = reinterpret_cast<PictaronDecodeWithMagickFn>(library.resolve("PictaronDecodeWithMagick"));
            if (module.decode)
                return;  // stays loaded for the life of the program
            module.problem = library.errorString();
        }
        if (module.problem.isEmpty())
            module.problem = QStringLiteral("%1 is missing.").arg(QStringLiteral(PICTARON_MAGICK_MODULE_NAME));
    });
    return module;
}

} // namespace

QImage DecodeWithMagick(const QByteArray& bytes, const MagickRequest& request, const DecodeGuard& guard,
                        RawTags* tags)
{
    const Module& module = LoadModule();
    if (!module.decode)
        guard.Fail(QStringLiteral("The picture library could not be loaded: %1").arg(module.problem));
    QImage picture;
    RawTags ignored;
    module.decode(&bytes, &request, &guard, &picture, tags ? tags : &ignored);
    return picture;
}

} // namespace pictaron
