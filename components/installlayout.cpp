#include "components/installlayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace pictaron {

namespace {

// The folder of the running program; empty before the application object
// exists (some tests), so that no relative path resolves against the
// current folder by accident.
QString ProgramFolder()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
}

QString FromProgram(const QString& relative)
{
    const QString program = ProgramFolder();
    return program.isEmpty() ? QString() : QDir::cleanPath(QDir(program).filePath(relative));
}

} // namespace

QString InstalledModulePath(const QString& fileName)
{
    return FromProgram(QStringLiteral(PICTARON_MODULE_DIR_FROM_BIN "/") + fileName);
}

QString InstalledDataPath(const QString& name)
{
    return FromProgram(QStringLiteral(PICTARON_DATA_DIR_FROM_BIN "/") + name);
}

bool RunsInstalled()
{
    const QString program = ProgramFolder();
    if (program.isEmpty())
        return false;
    return QFileInfo::exists(InstalledModulePath(QStringLiteral(PICTARON_MAGICK_MODULE_NAME))) || QDir(program) == QDir(QStringLiteral(PICTARON_INSTALL_BINDIR));
}

} // namespace pictaron
