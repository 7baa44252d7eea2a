#include "components/installlayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace pictaron {

QString ProgramFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
#ifdef Q_OS_LINUX
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path();
#else
    return QString();
#endif
}

namespace {

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
