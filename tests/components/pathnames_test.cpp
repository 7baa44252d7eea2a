// The parts of a path's name against the toolkit's file information, which
// the command line took them from before.
#include "components/pathnames.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include <string>

namespace pictaron {
namespace {

TEST(PathNamesTest, PartsAsTheToolkitsFileInformationGivesThem)
{
    const char* const paths[] = {"photo.jpg", "web/photo.tar.gz", "/abs/dir.d/name", ".pal", "dir/.hidden.png",
                                 "dir/", "name.", "a..b", "", "/", "x/y/z.JPEG", "é/ça va.PNG", "dot.dir/plain"};
    for (const char* path : paths) {
        const QFileInfo info(QString::fromUtf8(path));
        EXPECT_EQ(std::string(FileNameOf(path)), info.fileName().toStdString()) << path;
        EXPECT_EQ(std::string(SuffixOf(path)), info.suffix().toStdString()) << path;
        EXPECT_EQ(std::string(CompleteBaseNameOf(path)), info.completeBaseName().toStdString()) << path;
    }
}

TEST(PathNamesTest, CleanAndAbsolutePathsAsTheToolkitMakesThem)
{
    const char* const paths[] = {"a/b/../c/", "/a/./b//c/", "/..", "/../x", "../a/../../b", "./", ".", "a/..",
                                 "a//", "//a", "x/y/z.JPEG", "é/./ça va.PNG", "a/b/c/../../..", "/"};
    for (const char* path : paths) {
        const QString text = QString::fromUtf8(path);
        EXPECT_EQ(CleanPath(path), QDir::cleanPath(text).toStdString()) << path;
        EXPECT_EQ(AbsolutePath(path), QFileInfo(text).absoluteFilePath().toStdString()) << path;
        EXPECT_EQ(std::string(FolderOf(path)), QFileInfo(text).path().toStdString()) << path;
    }
}

} // namespace
} // namespace pictaron
