// "websafe.pal" is written only into a folder of the user's own, atomically,
// and a link in its place is replaced rather than followed.
#include "colour/websafefile.h"
#include "components/errors.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "tests/filetesting.h"

#include <sys/stat.h>

namespace pictaron {
namespace {

using testing::FileContents;
using testing::FileMode;

class WebSafeFile : public ::testing::Test {
protected:
    QString Folder() const { return dir_.filePath(QStringLiteral("pictaron-me")); }
    QString Path() const { return Folder() + QStringLiteral("/websafe.pal"); }
    QTemporaryDir dir_;
};

TEST_F(WebSafeFile, LivesInAPerUserFolderOfTheTemporaryFolder)
{
    EXPECT_EQ(QFileInfo(WebSafePaletteFolder()).absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    EXPECT_TRUE(QFileInfo(WebSafePaletteFolder()).fileName().startsWith(QStringLiteral("pictaron-")));
    EXPECT_EQ(WebSafePalettePath(), WebSafePaletteFolder() + QStringLiteral("/websafe.pal"));
}

TEST_F(WebSafeFile, WrittenIntoAnOwnerOnlyFolder)
{
    EnsureWebSafePaletteFile(Path());
    EXPECT_EQ(FileContents(Path()), WebSafePaletteFileBytes());
    EXPECT_EQ(FileMode(Folder()) & 0777, 0700u);
}

TEST_F(WebSafeFile, AnOpenFolderOfOurOwnIsNarrowed)
{
    ASSERT_TRUE(QDir().mkdir(Folder()));
    ASSERT_EQ(::chmod(QFile::encodeName(Folder()).constData(), 0777), 0);
    EnsureWebSafePaletteFile(Path());
    EXPECT_EQ(FileMode(Folder()) & 0777, 0700u);
}

TEST_F(WebSafeFile, AnExistingFileIsLeftAlone)
{
    ASSERT_TRUE(QDir().mkdir(Folder()));
    QFile mine(Path());
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.write("my own palette");
    mine.close();
    EnsureWebSafePaletteFile(Path());
    EXPECT_EQ(FileContents(Path()), QByteArray("my own palette"));
}

TEST_F(WebSafeFile, ALinkInPlaceOfTheFileIsReplacedNotFollowed)
{
    ASSERT_TRUE(QDir().mkdir(Folder()));
    const QString victim = dir_.filePath(QStringLiteral("victim.txt"));
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("precious");
    file.close();
    ASSERT_TRUE(QFile::link(victim, Path()));

    EnsureWebSafePaletteFile(Path());
    EXPECT_EQ(FileContents(victim), QByteArray("precious"));
    EXPECT_TRUE(S_ISREG(FileMode(Path())));
    EXPECT_EQ(FileContents(Path()), WebSafePaletteFileBytes());
}

TEST_F(WebSafeFile, AFolderThatIsALinkIsRefused)
{
    const QString elsewhere = dir_.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkdir(elsewhere));
    ASSERT_TRUE(QFile::link(elsewhere, Folder()));
    EXPECT_THROW(EnsureWebSafePaletteFile(Path()), PictaronError);
    EXPECT_TRUE(QDir(elsewhere).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

TEST_F(WebSafeFile, AFileInPlaceOfTheFolderIsRefused)
{
    QFile file(Folder());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_THROW(EnsureWebSafePaletteFile(Path()), PictaronError);
}

} // namespace
} // namespace pictaron
