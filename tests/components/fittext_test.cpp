#include "components/fittext.h"

#include <gtest/gtest.h>

namespace pictaron {
namespace {

// One unit per character, so every result can be checked by hand.
int Characters(const QString& text) { return static_cast<int>(text.size()); }

TEST(FitTextToWidth, LeavesTextThatFits)
{
    EXPECT_EQ(FitTextToWidth(QStringLiteral("abcdefgh"), 8, Characters), QStringLiteral("abcdefgh"));
    EXPECT_EQ(FitTextToWidth(QString(), 0, Characters), QString());
}

TEST(FitTextToWidth, TakesCharactersFromTheMiddle)
{
    EXPECT_EQ(FitTextToWidth(QStringLiteral("abcdefgh"), 7, Characters), QStringLiteral("ab...gh"));
    EXPECT_EQ(FitTextToWidth(QStringLiteral("abcdefgh"), 6, Characters), QStringLiteral("ab...h"));
    EXPECT_EQ(FitTextToWidth(QStringLiteral("abcdefgh"), 3, Characters), QStringLiteral("..."));
    EXPECT_EQ(FitTextToWidth(QStringLiteral("abcdefgh"), 2, Characters), QStringLiteral(".."));
}

TEST(FitTextToWidth, EndsEvenWhenNothingFits)
{
    // A label narrower than its zoom list has a negative width to fill.
    EXPECT_EQ(FitTextToWidth(QStringLiteral("/a/rather/long/path/to/a/picture.jpg"), -10, Characters), QString());
}

TEST(FitTextToWidth, KeepsAsMuchAsFitsOfBothEnds)
{
    const QString path = QStringLiteral("/home/someone/pictures/holidays/2026/the-beach-at-dawn.jpg");
    for (int width = 3; width < path.size(); ++width) {
        const QString fitted = FitTextToWidth(path, width, Characters);
        // Exactly as wide as allowed: nothing was taken that could have stayed.
        ASSERT_EQ(fitted.size(), width) << width;
        const qsizetype dots = fitted.indexOf(QStringLiteral("..."));
        ASSERT_GE(dots, 0);
        EXPECT_TRUE(path.startsWith(fitted.left(dots))) << fitted.toStdString();
        EXPECT_TRUE(path.endsWith(fitted.mid(dots + 3))) << fitted.toStdString();
        EXPECT_LE(std::abs(dots - (fitted.size() - dots - 3)), 1) << fitted.toStdString();
    }
}

TEST(FitTextToWidth, WorksWithProportionalWidths)
{
    // Wide "W", narrow everything else: the result still fits.
    const auto measure = [](const QString& text) {
        int width = 0;
        for (QChar c : text)
            width += c == QLatin1Char('W') ? 9 : 3;
        return width;
    };
    const QString text = QStringLiteral("WWWWabcdWWWWefghWWWW");
    for (int width = 9; width < measure(text); width += 5)
        EXPECT_LE(measure(FitTextToWidth(text, width, measure)), width) << width;
}

} // namespace
} // namespace pictaron
