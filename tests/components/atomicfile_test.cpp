#include "components/atomicfile.h"
#include "components/errors.h"
#include "tests/filetesting.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace pictaron;
using pictaron::testing::FileContents;
using pictaron::testing::FileMode;

namespace {

// Runs the write as a user who may not change the folder: the real thing when
// the tests run as an ordinary user, and a child that gives up root otherwise
// (root may write anywhere). True when the write was refused with a message
// naming the file.
bool RefusedWithoutWriteRights(const QString& folder, const QString& path)
{
    const auto attempt = [&] {
        try {
            WriteFileAtomically(path, "new contents");
        } catch (const PictaronError& error) {
            return error.message().contains(QDir::toNativeSeparators(path));
        }
        return false;
    };
    if (geteuid() != 0) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        const bool refused = attempt();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return refused;
    }
    chmod(QFile::encodeName(folder).constData(), 0755);
    const pid_t child = fork();
    if (child == 0) {
        const uid_t nobody = 65534;
        if (setgid(nobody) != 0 || setuid(nobody) != 0)
            _exit(2);
        _exit(attempt() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

TEST(AtomicFile, ReplacesTheFileAndKeepsItsPermissions)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("out.gif"));
    WriteFileAtomically(path, "first");
    EXPECT_EQ(FileMode(path) & 07777, 0644u);  // as a plain create gives, not a temporary's 0600
    chmod(QFile::encodeName(path).constData(), 0640);
    WriteFileAtomically(path, "second, longer");
    EXPECT_EQ(FileContents(path), QByteArray("second, longer"));
    EXPECT_EQ(FileMode(path) & 07777, 0640u);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("out.gif")});
}

TEST(AtomicFile, RefusedWritesLeaveTheOldFileAndNothingElse)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("kept.jpg"));
    WriteFileAtomically(path, "old contents");
    EXPECT_TRUE(RefusedWithoutWriteRights(folder.path(), path));
    EXPECT_EQ(FileContents(path), QByteArray("old contents"));

    // A folder standing where the file should go.
    const QString inTheWay = folder.filePath(QStringLiteral("taken"));
    QDir().mkdir(inTheWay);
    EXPECT_THROW(WriteFileAtomically(inTheWay, "x"), PictaronError);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("kept.jpg")});
}
