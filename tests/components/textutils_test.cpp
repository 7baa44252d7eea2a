#include "components/pathutils.h"
#include "components/textutils.h"

#include <gtest/gtest.h>

namespace pictaron {
namespace {

TEST(SplitText, KeepsEmptyInnerPiecesButNoTrailingOne)
{
    EXPECT_EQ(SplitText(QStringLiteral("a||b|"), QStringLiteral("|")),
              (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
    EXPECT_EQ(SplitText(QStringLiteral("|a"), QStringLiteral("|")), (QStringList{QString(), QStringLiteral("a")}));
    EXPECT_TRUE(SplitText(QString(), QStringLiteral("|")).isEmpty());
    // The delimiter is found regardless of letter case.
    EXPECT_EQ(SplitText(QStringLiteral("oneANDtwoandthree"), QStringLiteral("and")),
              (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}));
    // The download list's rows split into their columns.
    EXPECT_EQ(SplitText(QStringLiteral("28.8k|(10 sec)|2.0 sec"), QStringLiteral("|")).size(), 3);
}

TEST(PosNoCase, FindsShortAndLongPatternsIgnoringCase)
{
    EXPECT_EQ(PosNoCase(QStringLiteral("b"), QStringLiteral("abc")), 2);
    EXPECT_EQ(PosNoCase(QStringLiteral("ABC"), QStringLiteral("xxabc")), 3);
    EXPECT_EQ(PosNoCase(QStringLiteral("zz"), QStringLiteral("abc")), 0);
    EXPECT_EQ(PosNoCase(QString(), QStringLiteral("abc")), 0);

    // Long patterns take the skip-table search; compare it with a plain
    // case-insensitive search over many placements and near misses.
    const QString pattern = QStringLiteral("Needle-In-HayStack");
    for (int at = 0; at < 40; ++at) {
        QString text = QString(at, QLatin1Char('h')) + QStringLiteral("needle-in-haystacK") + QStringLiteral("tail");
        text.insert(0, QStringLiteral("needle-in-haystaX"));  // a near miss first
        const int expected = static_cast<int>(text.indexOf(pattern, 0, Qt::CaseInsensitive)) + 1;
        EXPECT_EQ(PosNoCase(pattern, text), expected) << at;
    }
    EXPECT_EQ(PosNoCase(QStringLiteral("123456789"), QStringLiteral("12345678")), 0);
    EXPECT_EQ(PosNoCase(QStringLiteral("123456789"), QStringLiteral("0123456789")), 2);
}

TEST(ReplaceAllText, NeverRescansWhatItInserted)
{
    EXPECT_EQ(ReplaceAllText(QStringLiteral("aaa"), QStringLiteral("a"), QStringLiteral("aa"), true),
              QStringLiteral("aaaaaa"));
    EXPECT_EQ(ReplaceAllText(QStringLiteral("Cat cat"), QStringLiteral("cat"), QStringLiteral("dog"), true),
              QStringLiteral("Cat dog"));
    EXPECT_EQ(ReplaceAllText(QStringLiteral("Cat cat"), QStringLiteral("cat"), QStringLiteral("dog"), false),
              QStringLiteral("dog dog"));
    EXPECT_EQ(ReplaceAllText(QStringLiteral("abc"), QString(), QStringLiteral("x"), true), QStringLiteral("abc"));
}

TEST(TextBeforeAfter, FallBackAsTheFlagSays)
{
    const QString hint = QStringLiteral(" line one\r\n line two");
    EXPECT_EQ(TextBefore(hint, QStringLiteral("\r\n"), true), QStringLiteral(" line one"));
    EXPECT_EQ(TextAfter(hint, QStringLiteral("\r\n"), true), QStringLiteral(" line two"));
    EXPECT_EQ(TextBefore(QStringLiteral("whole"), QStringLiteral("\r\n"), true), QStringLiteral("whole"));
    EXPECT_EQ(TextAfter(QStringLiteral("whole"), QStringLiteral("\r\n"), true), QStringLiteral("whole"));
    EXPECT_EQ(TextBefore(QStringLiteral("whole"), QStringLiteral("\r\n"), false), QString());
    EXPECT_EQ(TextAfter(QStringLiteral("whole"), QStringLiteral("\r\n"), false), QString());
    // A separator at the very start gives the fallback, not an empty text.
    EXPECT_EQ(TextBefore(QStringLiteral("|x"), QStringLiteral("|"), true), QStringLiteral("|x"));
    EXPECT_EQ(TextAfter(QStringLiteral("aXb"), QStringLiteral("x"), false), QStringLiteral("b"));
}

TEST(NumbersAndFlags, ParseWithoutWrapping)
{
    EXPECT_EQ(IntOrDefault(QStringLiteral("42"), 7), 42);
    EXPECT_EQ(IntOrDefault(QStringLiteral("-3"), 7), -3);
    EXPECT_EQ(IntOrDefault(QStringLiteral("4x"), 7), 7);
    EXPECT_EQ(IntOrDefault(QString(), 7), 7);
    EXPECT_EQ(IntOrDefault(QStringLiteral("4294967297"), 7), 7);  // would wrap to 1 in 32 bits
    EXPECT_TRUE(IsTrueText(QStringLiteral("YES")));
    EXPECT_TRUE(IsTrueText(QStringLiteral("True")));
    EXPECT_TRUE(IsTrueText(QStringLiteral("1")));
    EXPECT_FALSE(IsTrueText(QStringLiteral("2")));
    EXPECT_FALSE(IsTrueText(QStringLiteral("on")));
}

TEST(Paths, JoinWithExactlyOneSeparator)
{
    EXPECT_EQ(JoinPath("/home/me", "a.gif"), "/home/me/a.gif");
    EXPECT_EQ(JoinPath("/home/me/", "/a.gif"), "/home/me/a.gif");
    EXPECT_EQ(JoinPath("C:\\pics\\", "a.gif"), "C:\\pics\\a.gif");
    EXPECT_EQ(JoinPath("", "a.gif"), "a.gif");
    EXPECT_EQ(FolderWithSeparator("/home/me/a.gif"), "/home/me/");
    EXPECT_EQ(FolderWithSeparator("a.gif"), "");
}

TEST(Paths, ChangeFileExtTouchesOnlyTheFileName)
{
    EXPECT_EQ(ChangeFileExt("/a/b.c/pic.gif", ".jpg"), "/a/b.c/pic.jpg");
    EXPECT_EQ(ChangeFileExt("/a/b.c/pic", ".jpg"), "/a/b.c/pic.jpg");
    EXPECT_EQ(ChangeFileExt("pic.tar.gz", ".gif"), "pic.tar.gif");
}

TEST(Paths, DialogFiltersBecomeQtFilters)
{
    EXPECT_EQ(QtFileFilter("pal,act,gif|*.pal;*.act;*.gif|All Files (*.*)|*.*"),
              "pal,act,gif (*.pal *.act *.gif);;All Files (*)");
    EXPECT_EQ(QtFileFilter("*.jpg|*.jpg"), "*.jpg (*.jpg)");
    // Patterns the description already shows are not shown a second time;
    // other parentheses in it stay.
    EXPECT_EQ(QtFileFilter("Palette Files (RIFF & JASC) (*.pal)|*.pal|Both (*.gif;*.act)|*.gif;*.act"),
              "Palette Files (RIFF & JASC) (*.pal);;Both (*.gif *.act)");
    EXPECT_EQ(QtFileFilter("Pictures (*.png)|*.gif"), "Pictures (*.png) (*.gif)");
}

} // namespace
} // namespace pictaron
