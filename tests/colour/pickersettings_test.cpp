// The picker's settings as text: forgiving reads, custom colours per scheme.
#include "colour/pickersettings.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace pictaron {
namespace {

class PickerSettings : public ::testing::Test {
protected:
    PickerSettings() : settings_(dir_.filePath(QStringLiteral("picker.ini")), QSettings::IniFormat) {}
    QTemporaryDir dir_;
    QSettings settings_;
};

TEST_F(PickerSettings, TruthIsYesTrueOrOneInAnyCase)
{
    for (const char* text : {"yes", "TRUE", "True", "1"}) {
        settings_.setValue(QStringLiteral("Fade"), QString::fromLatin1(text));
        EXPECT_TRUE(ReadPickerBool(settings_, QStringLiteral("Fade"), false)) << text;
    }
    for (const char* text : {"no", "false", "0", "2", ""}) {
        settings_.setValue(QStringLiteral("Fade"), QString::fromLatin1(text));
        EXPECT_FALSE(ReadPickerBool(settings_, QStringLiteral("Fade"), true)) << text;
    }
    EXPECT_TRUE(ReadPickerBool(settings_, QStringLiteral("missing"), true));
    WritePickerBool(settings_, QStringLiteral("Show "), true);
    EXPECT_EQ(settings_.value(QStringLiteral("Show ")).toString(), QStringLiteral("true"));
}

TEST_F(PickerSettings, IntegersAreDecimalOrHexadecimalText)
{
    const QString key = QStringLiteral(" Arrow Key Movement");
    EXPECT_EQ(ReadPickerInteger(settings_, key, 10), 10);
    settings_.setValue(key, QStringLiteral("25"));
    EXPECT_EQ(ReadPickerInteger(settings_, key, 10), 25);
    settings_.setValue(key, QStringLiteral("0x1F"));
    EXPECT_EQ(ReadPickerInteger(settings_, key, 10), 31);
    for (const char* bad : {"0x", "ten", "0x-5", "99999999999"}) {
        settings_.setValue(key, QString::fromLatin1(bad));
        EXPECT_EQ(ReadPickerInteger(settings_, key, 10), 10) << bad;
    }
}

TEST_F(PickerSettings, NamesWithSpacesAtTheEndsSurviveTheFile)
{
    WritePickerBool(settings_, QStringLiteral("Show "), true);
    settings_.setValue(QStringLiteral(" Arrow Key Movement"), QStringLiteral("7"));
    settings_.sync();
    QSettings again(settings_.fileName(), QSettings::IniFormat);
    EXPECT_TRUE(ReadPickerBool(again, QStringLiteral("Show "), false));
    EXPECT_FALSE(again.contains(QStringLiteral("Show")));
    EXPECT_EQ(ReadPickerInteger(again, QStringLiteral(" Arrow Key Movement"), 10), 7);
}

TEST_F(PickerSettings, CustomColoursRoundTripPerScheme)
{
    CustomColours colours;
    colours.fill(clWhite);
    colours[0] = 0x0080FF;
    colours[15] = 0x123456;
    SaveCustomColours(settings_, kDefaultScheme, colours);
    CustomColours greens;
    greens.fill(0x00FF00);
    SaveCustomColours(settings_, QStringLiteral("Greens"), greens);

    EXPECT_EQ(LoadCustomColours(settings_, kDefaultScheme), colours);
    EXPECT_EQ(LoadCustomColours(settings_, QStringLiteral("Greens")), greens);
    EXPECT_EQ(settings_.value(QStringLiteral("Custom Colours/0")).toString(), QStringLiteral("33023"));
    EXPECT_EQ(SchemeNames(settings_), QStringList({kDefaultScheme, QStringLiteral("Greens")}));

    RemoveScheme(settings_, QStringLiteral("Greens"));
    EXPECT_EQ(SchemeNames(settings_), QStringList({kDefaultScheme}));
    RemoveScheme(settings_, kDefaultScheme); // never removed
    EXPECT_EQ(LoadCustomColours(settings_, kDefaultScheme), colours);
}

TEST_F(PickerSettings, OnlyAsManyColoursAsValuesAreStoredAndBadOnesAreWhite)
{
    settings_.setValue(QStringLiteral("Custom Colours/Few/0"), QStringLiteral("255"));
    settings_.setValue(QStringLiteral("Custom Colours/Few/1"), QStringLiteral("junk"));
    settings_.setValue(QStringLiteral("Custom Colours/Few/5"), QStringLiteral("0x00FF00"));
    const CustomColours few = LoadCustomColours(settings_, QStringLiteral("Few"));
    EXPECT_EQ(few[0], 255u);
    EXPECT_EQ(few[1], clWhite);
    // Three values are stored, so only colours 0 to 2 are read.
    EXPECT_EQ(few[5], clWhite);
}

} // namespace
} // namespace pictaron
