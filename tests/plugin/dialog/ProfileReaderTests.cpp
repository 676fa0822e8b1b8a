// The reader of upload.ini: its rules on real files, and the lookup that the
// listing reads once per project held against it on awkward files.
#include <gtest/gtest.h>

#include <set>

#include "ProfileReader.h"
#include "support/Device.h"
#include "support/Printers.h"

namespace {

constexpr wchar_t kIni[] = L"\\Flash Disk\\Data\\P1\\upload.ini";

class ProfileReaderTest : public ::testing::Test {
protected:
    void Write(const std::string& bytes) { ASSERT_TRUE(device.WriteFile(kIni, bytes)); }
    fw::WString Read(const wchar_t* key, const wchar_t* section = L"result")
    {
        return ReadProfileString(section, key, L"<default>", device.Path(kIni));
    }
    testsupport::Device device;
};

TEST_F(ProfileReaderTest, TakesTheFirstMatchingKeyOfTheFirstSectionAsWritten)
{
    EXPECT_EQ(L"<default>", Read(L"F01.abc"));  // no file
    Write("F00.abc=outside\n"
          "[other]\nF01.abc=other section\n"
          "; F01.abc=comment\n"
          "[result]trailing text\n"
          "\n"
          "F01.abc=2024-05-01 10:00##uploaded\r\n"
          "F01.abc=second\n"
          "F02.abc =space before\n"
          " F03.abc=space in front\n"
          "F04.abc=a=b\n" +
          std::string(259, 'x') + "F05.abc=from a piece\n" +  // a piece of 259 characters, then one of 20
          std::string(250, 'y') + "=long\n"
          "[result]\nF06.abc=second result section\n");
    EXPECT_EQ(L"2024-05-01 10:00##uploaded\r", Read(L"F01.abc"));  // the carriage return stays
    const std::pair<std::wstring, const wchar_t*> answers[] = {
        {L"F00.abc", L"<default>"}, {L"F02.abc", L"<default>"},      {L"F02.abc ", L"space before"},
        {L"F03.abc", L"<default>"}, {L"F04.abc", L"a=b"},            {L"F04.abc=a", L"b"},
        {L"f01.abc", L"<default>"},  // keys are compared exactly
        {L"F05.abc", L"from a piece"}, {std::wstring(250, L'y'), L"long"}, {L"F06.abc", L"<default>"},
    };
    for (const auto& [key, value] : answers)
        EXPECT_EQ(value, Read(key.c_str())) << testing::PrintToString(fw::WString(key));
    EXPECT_EQ(L"other section", Read(L"F01.abc", L"other"));
    EXPECT_EQ(L"<default>", Read(L"F01.abc", L"resul"));

    Write("[result]\n" + std::string(259, 'x') + "[stop]\nF03.abc=after the stop\nF04.abc=last line without end");
    EXPECT_EQ(L"<default>", Read(L"F03.abc"));
    Write("[result]\nF04.abc=last line without end");
    EXPECT_EQ(L"last line without end", Read(L"F04.abc"));

    // A line of kilobytes is read in parts: double-byte characters across the
    // parts' ends still make pieces of 259 characters (12 of them, then "K=").
    ASSERT_EQ(L"中", fw::WString::FromAnsi("\xD6\xD0")) << "the reader's tests run in code page 936";
    std::string wide = "x";
    for (int i = 0; i < 12 * 259 - 1; ++i)
        wide += "\xD6\xD0";
    Write("[result]\n" + wide + "K=\xD6\xD0\xD6\xD0\n");
    EXPECT_EQ(L"中中", Read(L"K"));
    ProfileSection section;
    section.Want(L"K");
    ASSERT_TRUE(section.Load(device.Path(kIni), L"result"));
    EXPECT_EQ(L"中中", section.Get(L"K", L"<default>"));
    EXPECT_EQ(L"<default>", section.Get(L"F04.abc", L"<default>"));  // not asked for
}

// Every key a line of the file could answer, and a few it could not.
std::set<std::wstring> CandidateKeys(const std::string& bytes)
{
    std::set<std::wstring> keys{L"", L"F01.abc", L"missing", L"F01.abc ", L"[result]"};
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end;
        const std::wstring line = fw::WString::FromAnsi(bytes.substr(start, end - start).c_str()).str();
        for (size_t at = 0; at <= line.size(); ++at)
            keys.insert(line.substr(0, at));
        for (size_t at = 0; at + 1 < line.size(); at += 259)
            for (size_t length = 0; length <= 259 && at + length <= line.size(); ++length)
                keys.insert(line.substr(at, length));
        start = end + 1;
    }
    return keys;
}

TEST_F(ProfileReaderTest, LookupAnswersLikeTheReaderForEveryKey)
{
    const std::string awkward[] = {
        // duplicate keys, a second result section, keys with spaces and "="
        "[result]\nA=1\nA=2\nA =3\n A=4\nA=B=5\n=6\n;A=7\n[result]\nC=8\n",
        // long lines split into pieces, a section header inside a piece
        "[other]\n" + std::string(259, 'z') + "[result]\n" + std::string(300, 'k') + "=v\n" + std::string(258, 'q') +
            "=w\r\nE=" + std::string(400, 'e') + "\n",
        // binary bytes, a zero byte inside a key line, carriage returns
        std::string("[result]\r\nB=\xff\xfe\x01\n\x80\x81=x\nN") + '\0' + "UL=zero\nD=\r\r\n[end",
        // no line end at all, and a section never closed
        "[result]\nF01.abc=2024##ok",
    };
    ProfileSection none;
    EXPECT_FALSE(none.Load(device.Path(kIni), L"result"));
    EXPECT_EQ(L"none", none.Get(L"F01.abc", L"none"));
    for (const std::string& bytes : awkward) {
        Write(bytes);
        ProfileSection section;
        for (const std::wstring& key : CandidateKeys(bytes))
            section.Want(key);
        ASSERT_TRUE(section.Load(device.Path(kIni), L"result"));
        for (const std::wstring& key : CandidateKeys(bytes))
            ASSERT_EQ(Read(key.c_str()), section.Get(key, L"<default>")) << "key " << testing::PrintToString(fw::WString(key));
    }
}

}  // namespace
