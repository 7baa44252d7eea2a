#include "components/moduleloader.h"

#include "components/installlayout.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QStringList>

namespace pictaron {

QFunctionPointer ResolveModuleEntry(const ModuleFile& module, const char* entry, QString* problem, bool* missing)
{
    const QString name = QString::fromUtf8(module.name);
    QStringList candidates;
    if (const QString program = ProgramFolder(); !program.isEmpty())
        candidates << QDir(program).filePath(name) << InstalledModulePath(name);
    candidates << QString::fromUtf8(module.installed);
    // An installed program never loads code from the folder it was built in,
    // which may be anyone's (a package built under /tmp) or long gone.
    if (!RunsInstalled())
        candidates << QString::fromUtf8(module.built);
    problem->clear();
    for (const QString& candidate : candidates) {
        if (candidate.isEmpty() || !QFile::exists(candidate))
            continue;
        QLibrary library(candidate);
        if (const QFunctionPointer found = library.resolve(entry))
            return found;
        *problem = library.errorString();
    }
    if (missing)
        *missing = problem->isEmpty();
    if (problem->isEmpty())
        *problem = QStringLiteral("%1 is missing.").arg(name);
    return nullptr;
}

void LazyModule::Load() const
{
    std::call_once(once_, [this] {
        entries_.assign(names_.size(), nullptr);
        for (std::size_t i = 0; i < names_.size(); ++i) {
            entries_[i] = ResolveModuleEntry(file_, names_[i], &problem_, i == 0 ? &missing_ : nullptr);
            if (!entries_[i]) {
                entries_.assign(names_.size(), nullptr);
                return;
            }
        }
    });
}

} // namespace pictaron
