// Loading modules: the reasons given for a module that cannot be had are
// worded as the toolkit's library loader words them, and the program's own
// folder is the one the kernel names.
#include "components/installlayout.h"
#include "components/moduleloader.h"
#include "components/qtbridge.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>

namespace pictaron {
namespace {

// A shared library every Debian system has, and one of its entries.
constexpr char kSystemLibrary[] = "/lib/x86_64-linux-gnu/libz.so.1";

std::string Problem(const std::string& path, const char* entry, bool* missing = nullptr)
{
    const std::string name = path.substr(path.find_last_of('/') + 1);
    const ModuleFile module{name.c_str(), path.c_str(), ""};
    std::string problem;
    EXPECT_EQ(ResolveModuleEntry(module, entry, &problem, missing), nullptr) << path;
    return problem;
}

TEST(ModuleLoaderTest, ReasonsAreWordedAsTheToolkitsLoaderWordsThem)
{
    QTemporaryDir folder;
    const QString broken = folder.filePath(QStringLiteral("libbroken.so"));
    {
        QFile file(broken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a library");
    }
    QLibrary toolkitBroken(broken);
    EXPECT_EQ(toolkitBroken.resolve("Entry"), nullptr);
    EXPECT_EQ(Problem(ToUtf8(broken), "Entry"), ToUtf8(toolkitBroken.errorString()));

    if (!QFile::exists(QString::fromLatin1(kSystemLibrary)))
        GTEST_SKIP() << kSystemLibrary << " is not here";
    QLibrary toolkitLibrary(QString::fromLatin1(kSystemLibrary));
    EXPECT_EQ(toolkitLibrary.resolve("NoSuchEntry"), nullptr);
    EXPECT_EQ(Problem(kSystemLibrary, "NoSuchEntry"), ToUtf8(toolkitLibrary.errorString()));

    const ModuleFile present{"libz.so.1", kSystemLibrary, ""};
    std::string problem;
    EXPECT_NE(ResolveModuleEntry(present, "zlibVersion", &problem), nullptr);
}

TEST(ModuleLoaderTest, AModuleThatIsNowhereIsMissing)
{
    bool missing = false;
    EXPECT_EQ(Problem("/nonexistent/libpictaron_nothing.so", "Entry", &missing), "libpictaron_nothing.so is missing.");
    EXPECT_TRUE(missing);
    // One that is there but does not load is not missing.
    QTemporaryDir folder;
    const QString broken = folder.filePath(QStringLiteral("libbroken.so"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    Problem(ToUtf8(broken), "Entry", &missing);
    EXPECT_FALSE(missing);

    const LazyModule module({"libpictaron_nothing.so", "/nonexistent/libpictaron_nothing.so", ""}, {"Entry"});
    try {
        module.Required<void (*)()>(0, "The nothing module");
        ADD_FAILURE() << "a missing module gave an entry";
    } catch (const PictaronError& error) {
        EXPECT_EQ(error.message(), "The nothing module could not be loaded: libpictaron_nothing.so is missing.");
    }
}

TEST(ModuleLoaderTest, TheProgramFolderIsTheToolkitsApplicationFolder)
{
    int argc = 1;
    char name[] = "moduleloader_test";
    char* argv[] = {name, nullptr};
    const QCoreApplication application(argc, argv);
    EXPECT_EQ(ProgramFolder(), ToUtf8(QCoreApplication::applicationDirPath()));
    // Worked out from there, without "." or ".." left in it.
    const std::string installed = InstalledModulePath("libx.so");
    EXPECT_TRUE(installed.ends_with("/libx.so")) << installed;
    EXPECT_EQ(installed, ToUtf8(QDir::cleanPath(ToQString(installed))));
}

} // namespace
} // namespace pictaron
