#include <gtest/gtest.h>

#include "framework/WString.h"
#include "support/Printers.h"

using fw::WString;

TEST(WString, FormatsWideAndNarrowArgumentsAndLongResults)
{
    EXPECT_EQ(WString(L"RemoveDirectory ok:\\t\\\r\n"), WString::Format(L"RemoveDirectory ok:%ls\r\n", L"\\t\\"));
    EXPECT_EQ(WString(L"*.abc,4"), WString::Format(L"%ls,%d", L"*.abc", 4));
    EXPECT_EQ(WString(L"narrow"), WString::Format(L"%hs", "narrow"));
    std::wstring longText(5000, L'x');
    EXPECT_EQ(5002u, WString::Format(L"[%ls]", longText.c_str()).Length());
}

TEST(WString, ConvertsThroughTheAnsiCodePage)
{
    EXPECT_EQ(WString(L"12 abc"), WString::FromAnsi("12 abc"));
    EXPECT_EQ(std::string("12 abc"), WString(L"12 abc").ToAnsi());
    EXPECT_EQ(WString(L"ab"), WString::FromAnsi("abcdef", 2));
    EXPECT_TRUE(WString::FromAnsi(nullptr).IsEmpty());
    EXPECT_TRUE(WString().ToAnsi().empty());
    // A character the code page lacks becomes the platform's replacement, never a cut text.
    EXPECT_EQ(3u, WString(L"a\u786cb").ToAnsi().size());
}

TEST(WString, SubstringsClampTheirBounds)
{
    WString text(L"update.ini");
    EXPECT_EQ(WString(L"update"), text.Left(6));
    EXPECT_EQ(text, text.Left(100));
    EXPECT_EQ(WString(L"ini"), text.Mid(7));
    EXPECT_EQ(WString(L"da"), text.Mid(2, 2));
    EXPECT_TRUE(text.Mid(50).IsEmpty());
    EXPECT_EQ(WString(L".ini"), text.Right(4));
    EXPECT_EQ(text, text.Right(40));
    EXPECT_EQ(6u, text.ReverseFind(L'.'));
    EXPECT_EQ(WString::kNoPosition, text.Find(L'\\'));
    EXPECT_TRUE(text.StartsWith(L"upd"));
    EXPECT_TRUE(text.EndsWith(L".ini"));
    EXPECT_FALSE(text.EndsWith(L"xupdate.ini"));
}

TEST(WString, ChangesCaseOfAsciiLettersOnly)
{
    WString text(L"Q9Main.EXE \u00c4\u00e4");
    EXPECT_EQ(WString(L"q9main.exe \u00c4\u00e4"), WString(text).MakeLower());
    EXPECT_EQ(WString(L"Q9MAIN.EXE \u00c4\u00e4"), WString(text).MakeUpper());
}

TEST(WString, ReplacesAndRemovesEveryOccurrence)
{
    WString version(L"Ver6.0-Ver1");
    EXPECT_EQ(2u, version.Replace(L"Ver", L""));
    EXPECT_EQ(WString(L"6.0-1"), version);
    WString growing(L"aa");
    EXPECT_EQ(2u, growing.Replace(L"a", L"aa"));  // the replacement is not searched again
    EXPECT_EQ(WString(L"aaaa"), growing);
    WString line(L"\rkey=\nvalue\r");
    EXPECT_EQ(2u, line.Remove(L'\r'));
    EXPECT_EQ(WString(L"key=\nvalue"), line);
}
