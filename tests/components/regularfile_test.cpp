// Reading the user's files: sizes worded as the toolkit words them, and the
// refusals of what is not a plain file.
#include "components/errors.h"
#include "components/qtbridge.h"
#include "components/regularfile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <cstdint>
#include <random>

#include <sys/stat.h>

namespace pictaron {
namespace {

TEST(RegularFileTest, SizesReadAsTheToolkitWordsThem)
{
    // Around every unit, and exact halves of a hundredth, which a toolkit
    // rounds up where printf would round to even.
    std::vector<std::int64_t> sizes = {0, 1, 9'999, 10'000, 10'239, 10'240, 10'368, 1'048'575, 1'048'576,
                                       5'248'123, 10'538'188, std::int64_t{4} << 30, (std::int64_t{1} << 40) + 5,
                                       (std::int64_t{3} << 50) / 7, std::int64_t{1} << 62};
    // In units of 2^(10p), a size of 2^(10p-2) times an odd number lies
    // exactly half-way between two hundredths.
    for (int power = 1; power <= 4; ++power)
        for (const std::int64_t odd : {41, 77, 1001, 4095})
            sizes.push_back((std::int64_t{1} << (10 * power - 2)) * odd);
    std::mt19937_64 random(3);
    for (int n = 0; n < 2000; ++n)
        sizes.push_back(static_cast<std::int64_t>(random() >> (random() % 50 + 14)));
    for (const std::int64_t bytes : sizes) {
        const QString toolkit = bytes < 10'000
            ? QStringLiteral("%1 bytes").arg(bytes)
            : QLocale::c().formattedDataSize(bytes, 2, QLocale::DataSizeIecFormat);
        EXPECT_EQ(DescribeFileSize(bytes), toolkit.toStdString()) << bytes;
    }
}

TEST(RegularFileTest, NamesThatAreNoPlainFileAreRefusedWithTheReason)
{
    QTemporaryDir folder;
    const std::string base = ToUtf8(folder.path());
    const std::string pipe = base + "/pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {base, "Cannot read " + base + ".  It is a folder, not a file."},
        {pipe, "Cannot read " + pipe + ".  It is a named pipe, not a file."},
        {"/dev/zero", "Cannot read /dev/zero.  It is a device, not a file."},
        {base + "/none", "Cannot read " + base + "/none.  It does not exist."},
    };
    for (const auto& c : cases) {
        try {
            ReadWholeFile(c.path, 100);
            ADD_FAILURE() << c.path << " was read";
        } catch (const PictaronError& error) {
            EXPECT_EQ(error.message(), c.message);
        }
    }
}

TEST(RegularFileTest, ReadsWholeOrInPartAndMapsWithoutACopy)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("bytes.bin"));
    std::string contents(70'000, '\0');
    for (std::size_t i = 0; i < contents.size(); ++i)
        contents[i] = static_cast<char>(i * 7 % 251);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents.data(), static_cast<qsizetype>(contents.size()));
    }
    EXPECT_EQ(ReadWholeFile(ToUtf8(path), 70'000), contents);
    EXPECT_EQ(ReadFileStart(ToUtf8(path), 13), contents.substr(0, 13));
    try {
        ReadWholeFile(ToUtf8(path), 69'999);
        ADD_FAILURE() << "a file over the limit was read";
    } catch (const PictaronError& error) {
        EXPECT_EQ(error.message(), "Cannot read " + ToUtf8(path) + ".  It is 68.36 KiB; a file of this kind holds at most 68.36 KiB.");
    }
    RegularFile file(ToUtf8(path));
    const std::string_view mapped = file.Map();
    EXPECT_EQ(mapped, contents);
    EXPECT_EQ(file.Map().data(), mapped.data());  // the same mapping, not a copy
}

} // namespace
} // namespace pictaron
