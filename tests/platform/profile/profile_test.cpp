#include "platform/profile/profile.h"

#include "platform/base/text_encoding.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

using platform::ProfileFile;
using testsupport::ReadAll;
using testsupport::TempPath;
using testsupport::WriteAll;

TEST(ProfileFile, BuildsSectionsAndKeysInWritingOrderWithCrLf)
{
    std::string path = TempPath("order.ini");
    ProfileFile profile(path);
    profile.Set("Main", "A", "1");
    profile.Set("Main", "B", "2");
    profile.Set("Other", "C", "3");
    profile.Set("Main", "D", "4");   // new key: end of its own section, not of the file
    profile.Set("Main", "A", "10");  // existing key: replaced where it stands
    ASSERT_TRUE(profile.Save());
    EXPECT_EQ(ReadAll(path), "[Main]\r\nA=10\r\nB=2\r\nD=4\r\n[Other]\r\nC=3\r\n");
}

TEST(ProfileFile, KeepsForeignLinesAndMatchesNamesWithoutCase)
{
    std::string path = TempPath("foreign.ini");
    WriteAll(path, "; comment\n[main]\nx = 5 \nUnknown=keep\n\n[Tail]\nz=1\n");
    ProfileFile profile(path);
    EXPECT_EQ(profile.Get("MAIN", "X", "?"), "5");
    EXPECT_EQ(profile.Get("Main", "missing", "dflt"), "dflt");
    EXPECT_FALSE(profile.Get("Nope", "x"));
    profile.Set("Main", "X", "6");
    profile.Set("Main", "New", "7");
    ASSERT_TRUE(profile.Save());
    // The new key goes after the section's last key, before the blank line that ends it.
    EXPECT_EQ(ReadAll(path), "; comment\r\n[main]\r\nX=6\r\nUnknown=keep\r\nNew=7\r\n\r\n[Tail]\r\nz=1\r\n");
}

TEST(ProfileFile, StoresJapaneseAsCp932AndLongValuesWhole)
{
    std::string path = TempPath("cp932.ini");
    std::string longValue(5000, 'x');
    std::string japanese = "C:\\図面\\ファイル.qlk";
    ASSERT_TRUE(platform::WriteProfileString("S", "Long", longValue, path));
    ASSERT_TRUE(platform::WriteProfileString("S", "Name", japanese, path));
    std::string bytes = ReadAll(path);
    EXPECT_NE(bytes.find(platform::Utf8ToCp932(japanese)), std::string::npos);
    EXPECT_EQ(platform::ReadProfileString("S", "Long", "", path), longValue);
    EXPECT_EQ(platform::ReadProfileString("S", "Name", "", path), japanese);
}

TEST(ProfileFile, MissingFileReadsAsEmptyAndValueMayHoldEquals)
{
    std::string path = TempPath("absent.ini");
    EXPECT_EQ(platform::ReadProfileString("S", "K", "d", path), "d");
    ASSERT_TRUE(platform::WriteProfileString("S", "K", "a=b", path));
    EXPECT_EQ(platform::ReadProfileString("S", "K", "", path), "a=b");
}

TEST(ProfileFile, SaveIntoMissingFolderFails)
{
    ProfileFile profile(TempPath("no/such/folder/x.ini"));
    profile.Set("S", "K", "v");
    std::string error;
    EXPECT_FALSE(profile.Save(&error));
    EXPECT_FALSE(error.empty());
}
