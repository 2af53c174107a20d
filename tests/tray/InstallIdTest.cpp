#include "InstallId.h"
#include "Random.h"
#include "registry_sandbox.h"
#include "registry_state.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <string>

namespace {

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0,
              WORD milliseconds = 0)
{
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    time.wMilliseconds = milliseconds;
    return time;
}

bool IsUpperHex(const std::wstring& text)
{
    for (wchar_t c : text)
        if (!((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F')))
            return false;
    return !text.empty();
}

TEST(MakeInstallId, DateAndTimeBetweenRandomHexadecimalPieces)
{
    SeedRandom(12345);
    std::wstring id = MakeInstallId(At(2031, 3, 5), At(2031, 3, 5, 14, 7, 9));
    ASSERT_EQ(id.size(), 32u);
    EXPECT_TRUE(IsUpperHex(id.substr(0, 8)));
    EXPECT_EQ(id.substr(8, 6), L"310305");
    EXPECT_TRUE(IsUpperHex(id.substr(14, 4)));
    EXPECT_EQ(id.substr(18, 6), L"140709");
    EXPECT_TRUE(IsUpperHex(id.substr(24, 8)));
}

TEST(MakeInstallId, YearWithoutLeadingZeroAndTimeRoundedToTheSecond)
{
    struct Case {
        SYSTEMTIME date, time;
        const wchar_t* datePiece;
        const wchar_t* timePiece;
    };
    const Case cases[] = {
        {At(2105, 3, 5), At(2105, 3, 5, 14, 7, 9), L"50305", L"140709"},
        {At(2000, 12, 31), At(2000, 12, 31, 0, 0, 0), L"01231", L"000000"},
        {At(2024, 1, 2), At(2024, 1, 2, 9, 5, 59, 499), L"240102", L"090559"},
        {At(2024, 1, 2), At(2024, 1, 2, 9, 5, 59, 500), L"240102", L"090600"},
        {At(2024, 1, 2), At(2024, 1, 2, 9, 59, 59, 700), L"240102", L"100000"},
    };
    for (const auto& c : cases) {
        std::wstring id = MakeInstallId(c.date, c.time);
        const size_t dateLength = wcslen(c.datePiece);
        ASSERT_EQ(id.size(), 26 + dateLength);
        EXPECT_EQ(id.substr(8, dateLength), c.datePiece);
        EXPECT_EQ(id.substr(12 + dateLength, 6), c.timePiece);
    }
}

TEST(MakeInstallId, RandomPiecesStayInTheirRanges)
{
    SeedRandom(GetTickCount());
    bool differ = false;
    std::wstring previous;
    for (int i = 0; i < 300; ++i) {
        std::wstring id = MakeInstallId(At(2031, 3, 5), At(2031, 3, 5, 14, 7, 9));
        // 0..0x7FFFFFFE and 0..0xFFFE: the first digit of the long pieces is
        // at most 7, the short piece is never FFFF.
        EXPECT_LE(id[0], L'7');
        EXPECT_LE(id[24], L'7');
        EXPECT_NE(id.substr(14, 4), L"FFFF");
        differ = differ || (!previous.empty() && id != previous);
        previous = id;
    }
    EXPECT_TRUE(differ);
}

class ReadInstallIdTest : public ::testing::Test {
protected:
    RegistrySandbox sandbox;
    std::wstring Key() const { return sandbox.Path() + L"\\Morvane"; }
};

TEST_F(ReadInstallIdTest, MissingKeyGivesNothingAndIsNotCreated)
{
    EXPECT_EQ(ReadInstallId(HKEY_CURRENT_USER, Key().c_str()), L"");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, Key()));
}

TEST_F(ReadInstallIdTest, MissingValueIsMadeAndStoredAsString)
{
    CreateKey(HKEY_CURRENT_USER, Key());
    std::wstring id = ReadInstallId(HKEY_CURRENT_USER, Key().c_str());
    EXPECT_TRUE(id.size() == 31 || id.size() == 32) << std::string(id.begin(), id.end());
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(GetValue(HKEY_CURRENT_USER, Key(), L"MUID", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data.size(), (id.size() + 1) * sizeof(wchar_t));  // with its terminating zero
    EXPECT_EQ(GetString(HKEY_CURRENT_USER, Key(), L"MUID"), id);
    EXPECT_EQ(ReadInstallId(HKEY_CURRENT_USER, Key().c_str()), id);  // the same from then on
}

TEST_F(ReadInstallIdTest, StoredStringsAreReadAsTheyAre)
{
    struct Case {
        DWORD type;
        std::wstring stored;   // may hold zeros and lack its terminator
        std::wstring expected;
    };
    const Case cases[] = {
        {REG_SZ, std::wstring(L"ABC123\0", 7), L"ABC123"},
        {REG_EXPAND_SZ, std::wstring(L"%SystemRoot%x\0", 14), L"%SystemRoot%x"},   // not expanded
        {REG_SZ, std::wstring(L"AB\0CD\0", 6), L"AB"},                            // up to the first zero
        {REG_SZ, std::wstring(L"NOZERO", 6), L"NOZERO"},                           // no terminator stored
        {REG_SZ, std::wstring(), L""},
    };
    for (const auto& c : cases) {
        SetValue(HKEY_CURRENT_USER, Key(), L"MUID", c.type, c.stored.data(),
                 static_cast<DWORD>(c.stored.size() * sizeof(wchar_t)));
        EXPECT_EQ(ReadInstallId(HKEY_CURRENT_USER, Key().c_str()), c.expected);
    }
}

TEST_F(ReadInstallIdTest, OtherValueTypesGiveNothingAndStayUnchanged)
{
    DWORD number = 7;
    SetValue(HKEY_CURRENT_USER, Key(), L"MUID", REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(ReadInstallId(HKEY_CURRENT_USER, Key().c_str()), L"");
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(GetValue(HKEY_CURRENT_USER, Key(), L"MUID", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, std::vector<BYTE>({7, 0, 0, 0}));

    const wchar_t multi[] = L"A\0B\0";
    SetValue(HKEY_CURRENT_USER, Key(), L"MUID", REG_MULTI_SZ, multi, sizeof(multi));
    EXPECT_EQ(ReadInstallId(HKEY_CURRENT_USER, Key().c_str()), L"");
}

}  // namespace
