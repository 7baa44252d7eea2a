// Reading back what the code under test wrote to disk.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sys/stat.h>

namespace pictaron::testing {

// The whole file, or nothing when it cannot be read.
inline QByteArray FileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The file's type and permission bits as the system keeps them, without
// following a link; 0 when there is nothing there.
inline mode_t FileMode(const QString& path)
{
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode;
}

} // namespace pictaron::testing
