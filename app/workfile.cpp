#include "app/workfile.h"

#include "components/installlayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace pictaron {

namespace {

const QString kWorkFileName = QStringLiteral("work.jpg");

bool IsWritableFolder(const QString& folder)
{
    return ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

} // namespace

QString WorkFilePath()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    // An installed program shares its folder with every other program, even
    // when a root session could write there.
    if (!programFolder.isEmpty() && !RunsInstalled() && IsWritableFolder(programFolder))
        return QDir(programFolder).filePath(kWorkFileName);

    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dataFolder);
    return QDir(dataFolder).filePath(kWorkFileName);
}

} // namespace pictaron
