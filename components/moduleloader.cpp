#include "components/moduleloader.h"

#include "components/installlayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QStringList>

namespace pictaron {

QFunctionPointer ResolveModuleEntry(const ModuleFile& module, const char* entry, QString* problem)
{
    const QString name = QString::fromUtf8(module.name);
    QStringList candidates;
    if (QCoreApplication::instance())
        candidates << QDir(QCoreApplication::applicationDirPath()).filePath(name) << InstalledModulePath(name);
    candidates << QString::fromUtf8(module.installed) << QString::fromUtf8(module.built);
    problem->clear();
    for (const QString& candidate : candidates) {
        if (candidate.isEmpty() || !QFile::exists(candidate))
            continue;
        QLibrary library(candidate);
        if (const QFunctionPointer found = library.resolve(entry))
            return found;
        *problem = library.errorString();
    }
    if (problem->isEmpty())
        *problem = QStringLiteral("%1 is missing.").arg(name);
    return nullptr;
}

} // namespace pictaron
