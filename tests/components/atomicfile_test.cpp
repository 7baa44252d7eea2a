#include "components/atomicfile.h"
#include "components/qtbridge.h"
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
// naming the file. Without a folder, only the file's own mode stands in the way.
bool RefusedWithoutWriteRights(const QString& folder, const QString& path)
{
    const auto attempt = [&] {
        try {
            WriteFileAtomically(path, "new contents");
        } catch (const PictaronError& error) {
            return ToQString(error.message()).contains(QDir::toNativeSeparators(path));
        }
        return false;
    };
    if (geteuid() != 0 && folder.isEmpty())
        return attempt();
    if (geteuid() != 0) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        const bool refused = attempt();
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return refused;
    }
    if (!folder.isEmpty())
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

TEST(AtomicFile, AFileTheUserMayNotWriteIsRefusedEvenInAWritableFolder)
{
    // The rename alone would replace it: the folder lets anyone write.
    QTemporaryDir folder;
    chmod(QFile::encodeName(folder.path()).constData(), 0777);
    const QString path = folder.filePath(QStringLiteral("locked.gif"));
    WriteFileAtomically(path, "old contents");
    chmod(QFile::encodeName(path).constData(), 0444);
    EXPECT_TRUE(RefusedWithoutWriteRights(QString(), path));
    EXPECT_EQ(FileContents(path), QByteArray("old contents"));
    EXPECT_EQ(FileMode(path) & 07777, 0444u);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("locked.gif")});
}

TEST(AtomicFile, WritesThroughSymbolicLinksToTheFileTheyName)
{
    QTemporaryDir folder;
    QDir(folder.path()).mkdir(QStringLiteral("real"));
    const QString real = folder.filePath(QStringLiteral("real/picture.jpg"));
    WriteFileAtomically(real, "old");
    // A relative link to a relative link: each is read from its own folder.
    const QString inner = folder.filePath(QStringLiteral("real/inner.jpg"));
    const QString outer = folder.filePath(QStringLiteral("outer.jpg"));
    ASSERT_EQ(symlink("picture.jpg", QFile::encodeName(inner).constData()), 0);
    ASSERT_EQ(symlink("real/inner.jpg", QFile::encodeName(outer).constData()), 0);

    WriteFileAtomically(outer, "through the links");
    EXPECT_EQ(FileContents(real), QByteArray("through the links"));
    EXPECT_TRUE(S_ISLNK(FileMode(outer)));
    EXPECT_TRUE(S_ISLNK(FileMode(inner)));

    // A link to nothing yet makes the file it names.
    const QString dangling = folder.filePath(QStringLiteral("new-link.gif"));
    ASSERT_EQ(symlink("real/new.gif", QFile::encodeName(dangling).constData()), 0);
    WriteFileAtomically(dangling, "made");
    EXPECT_EQ(FileContents(folder.filePath(QStringLiteral("real/new.gif"))), QByteArray("made"));
    EXPECT_TRUE(S_ISLNK(FileMode(dangling)));

    // A loop is an error naming the file, and writes nothing.
    const QString loop = folder.filePath(QStringLiteral("loop.gif"));
    ASSERT_EQ(symlink("loop.gif", QFile::encodeName(loop).constData()), 0);
    try {
        WriteFileAtomically(loop, "never");
        ADD_FAILURE() << "a link loop was written through";
    } catch (const PictaronError& error) {
        EXPECT_TRUE(ToQString(error.message()).contains(QDir::toNativeSeparators(loop))) << error.message();
    }
}
