#include "components/recentfiles.h"
#include "components/settingstext.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pictaron {
namespace {

// A settings file written by hand, as a damaged or edited file would be.
class SettingsFile : public ::testing::Test {
protected:
    QSettings Write(const QByteArray& text)
    {
        const QString path = folder_.filePath(QStringLiteral("Pictaron.conf"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        return QSettings(path, QSettings::IniFormat);
    }

    QTemporaryDir folder_;
};

TEST_F(SettingsFile, BadValuesGiveTheDefault)
{
    QSettings settings = Write("[General]\n"
                               "Splash=0\n"
                               "On=1\n"
                               "Words=yes please\n"
                               "Huge=99999999999999999999999\n"
                               "Wraps=4294967296\n"
                               "List=1, 2\n"
                               "Variant=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x18QFont)\n"
                               "Number= 42 \n");
    EXPECT_FALSE(ReadBoolSetting(settings, QStringLiteral("Splash"), true));
    EXPECT_TRUE(ReadBoolSetting(settings, QStringLiteral("On"), false));
    EXPECT_TRUE(ReadBoolSetting(settings, QStringLiteral("Missing"), true));
    EXPECT_TRUE(ReadBoolSetting(settings, QStringLiteral("Words"), true));
    EXPECT_FALSE(ReadBoolSetting(settings, QStringLiteral("Words"), false));
    EXPECT_TRUE(ReadBoolSetting(settings, QStringLiteral("List"), true));
    EXPECT_TRUE(ReadBoolSetting(settings, QStringLiteral("Variant"), true));
    EXPECT_EQ(ReadIntSetting(settings, QStringLiteral("Huge"), 5, 0, 100), 5);
    // 2^32 is a valid 64-bit number but out of range; it must not become 0.
    EXPECT_EQ(ReadIntSetting(settings, QStringLiteral("Wraps"), 5, -1000, 1000), 5);
    EXPECT_EQ(ReadIntSetting(settings, QStringLiteral("Number"), 5, 0, 100), 42);
    EXPECT_EQ(ReadIntSetting(settings, QStringLiteral("Number"), 5, 0, 40), 5);
    EXPECT_EQ(ReadTextSetting(settings, QStringLiteral("List"), QStringLiteral("dflt")), QStringLiteral("dflt"));
    EXPECT_EQ(ReadTextSetting(settings, QStringLiteral("Words")), QStringLiteral("yes please"));
}

TEST_F(SettingsFile, ValuesAreStoredAsText)
{
    QSettings settings = Write("");
    WriteBoolSetting(settings, QStringLiteral("Splash"), false);
    WriteIntSetting(settings, QStringLiteral("Top"), -12);
    settings.sync();
    QFile file(settings.fileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.contains("Splash=0")) << text.constData();
    EXPECT_TRUE(text.contains("Top=-12")) << text.constData();
}

TEST(RecentFilesList, KeepsFiveMostRecentFirst)
{
    RecentFilesList list;
    for (int i = 1; i <= 6; ++i)
        list.Add(QStringLiteral("/p/%1.jpg").arg(i));
    EXPECT_EQ(list.Paths(), (QStringList{QStringLiteral("/p/6.jpg"), QStringLiteral("/p/5.jpg"), QStringLiteral("/p/4.jpg"),
                                         QStringLiteral("/p/3.jpg"), QStringLiteral("/p/2.jpg")}));
    // Known paths move to the front without growing the list.
    list.Add(QStringLiteral("/p/3.jpg"));
    EXPECT_EQ(list.Paths().size(), 5);
    EXPECT_EQ(list.Paths().first(), QStringLiteral("/p/3.jpg"));
    EXPECT_EQ(list.Paths()[1], QStringLiteral("/p/6.jpg"));
    // Another letter case is another file here.
    list.Add(QStringLiteral("/P/3.JPG"));
    EXPECT_EQ(list.Paths()[0], QStringLiteral("/P/3.JPG"));
    EXPECT_EQ(list.Paths()[1], QStringLiteral("/p/3.jpg"));
}

TEST_F(SettingsFile, RecentFilesSurviveSaveAndLoadInOrder)
{
    QSettings settings = Write("[Recent%20Files]\nstale=1\n");
    RecentFilesList list;
    for (const char* path : {"/a/one.gif", "/b/two words.jpg", "/c/three,comma.png"})
        list.Add(QString::fromUtf8(path));
    list.Save(settings);
    settings.sync();

    QSettings again(settings.fileName(), QSettings::IniFormat);
    RecentFilesList loaded;
    loaded.Load(again);
    EXPECT_EQ(loaded.Paths(), list.Paths());
    again.beginGroup(QStringLiteral("Recent Files"));
    EXPECT_FALSE(again.contains(QStringLiteral("stale")));
}

} // namespace
} // namespace pictaron
