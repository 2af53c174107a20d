// TReg, the root-key names, Parse/Delete and the tolerant reads, against real
// keys of the test prefix.
#include "Registry.h"

#include "AutorunTestSupport.h"
#include "registry_sandbox.h"

#include <gtest/gtest.h>

using namespace autoruntest;

namespace {

TEST(RootKeyNames, BothDirections)
{
    struct TCase {
        HKEY Root;
        bool Short;
        const wchar_t* Name;
    } cases[] = {
        {HKEY_CURRENT_USER, true, L"HKCU"},
        {HKEY_CURRENT_USER, false, L"HKEY_CURRENT_USER"},
        {HKEY_LOCAL_MACHINE, true, L"HKLM"},
        {HKEY_CLASSES_ROOT, true, L"HKCR"},
        {HKEY_USERS, true, L"HKU"},
        {HKEY_CURRENT_CONFIG, true, L"HKEY_CURRENT_CONFIG"},  // no short name
        {HKEY_PERFORMANCE_DATA, true, L"HKEY_PERFORMANCE_DATA"},
        {HKEY_DYN_DATA, false, L"HKEY_DYN_DATA"},
        {reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234)), true, L""},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(RootKeyToName(c.Root, c.Short), c.Name);

    struct TNameCase {
        const wchar_t* Name;
        HKEY Root;
    } names[] = {
        {L"HKLM", HKEY_LOCAL_MACHINE},         {L"hklm", HKEY_LOCAL_MACHINE},
        {L"hkey_current_user", HKEY_CURRENT_USER}, {L"HKU", HKEY_USERS},
        {L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}, {L"HKCC", nullptr},
        {L"HKEY_DYN_DATA", HKEY_DYN_DATA},     {L"", nullptr},
        {L"HKLM ", nullptr},
    };
    for (const TNameCase& c : names)
        EXPECT_EQ(NameToRootKey(c.Name), c.Root) << c.Name;
}

TEST(RegistryParse, SplitsIntoRootKeyAndName)
{
    struct TCase {
        const wchar_t* Text;
        bool Ok;
        HKEY Root;
        const wchar_t* Key;
        const wchar_t* Name;
    } cases[] = {
        {L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater", true, HKEY_LOCAL_MACHINE,
         L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Updater"},
        {L"hkcu\\Software\\Run\\Tool", true, HKEY_CURRENT_USER, L"Software\\Run", L"Tool"},
        {L"HKEY_USERS\\a\\b", true, HKEY_USERS, L"a", L"b"},
        {L"Nowhere\\a\\b", true, nullptr, L"a", L"b"},
        {L"HKCU\\a\\\\b\\", true, HKEY_CURRENT_USER, L"a\\\\b", L""},  // empty pieces count
        {L"HKCU\\Run", false, nullptr, L"", L""},
        {L"HKCU", false, nullptr, L"", L""},
        {L"", false, nullptr, L"", L""},
    };
    for (const TCase& c : cases) {
        HKEY root = HKEY_CLASSES_ROOT;
        std::wstring key = L"stale", name = L"stale";
        EXPECT_EQ(TReg::Parse(c.Text, root, key, name), c.Ok) << c.Text;
        EXPECT_EQ(key, c.Key) << c.Text;
        EXPECT_EQ(name, c.Name) << c.Text;
        if (c.Ok) {
            EXPECT_EQ(root, c.Root) << c.Text;
        }
    }
}

class RegistryReads : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::wstring& k = FBox.Path();
        SetText(HKEY_CURRENT_USER, k, L"sz", L"plain text");
        SetText(HKEY_CURRENT_USER, k, L"expand", L"%SystemRoot%\\tool.exe", REG_EXPAND_SZ);
        SetText(HKEY_CURRENT_USER, k, L"empty", L"");
        const wchar_t cut[] = L"ab\0cd";
        SetRaw(HKEY_CURRENT_USER, k, L"cut", REG_SZ, cut, sizeof(cut));
        const wchar_t noNul[] = {L'x', L'y'};
        SetRaw(HKEY_CURRENT_USER, k, L"nonul", REG_SZ, noNul, sizeof(noNul));
        FBox.SetDword(L"", L"dword", 1033);
        FBox.SetDword(L"", L"zero", 0);
        FBox.SetDword(L"", L"negative", 0xFFFFFFFE);
        const wchar_t multi[] = L"one\0two\0";
        SetRaw(HKEY_CURRENT_USER, k, L"multi", REG_MULTI_SZ, multi, sizeof(multi));
        SetBytes(HKEY_CURRENT_USER, k, L"bin", {1, 2, 3});
        SetBytes(HKEY_CURRENT_USER, k, L"nobytes", {});
    }
    std::wstring Key() const { return FBox.Path(); }
    std::wstring Missing() const { return FBox.Path() + L"\\missing"; }

    RegistrySandbox FBox;
};

TEST_F(RegistryReads, ReadStringFallbacks)
{
    struct TCase {
        std::wstring Key;
        const wchar_t* Name;
        const wchar_t* Expected;
    } cases[] = {
        {Key(), L"sz", L"plain text"},
        {L"\\" + Key(), L"sz", L"plain text"},  // a leading backslash names the same key
        {Key(), L"expand", L"%SystemRoot%\\tool.exe"},  // never expanded
        {Key(), L"empty", L""},
        {Key(), L"cut", L"ab"},
        {Key(), L"nonul", L"xy"},
        {Key(), L"absent", L""},  // key exists, value does not: empty, not the fallback
        {Missing(), L"sz", L"fallback"},
        {Key(), L"dword", L"fallback"},
        {Key(), L"multi", L"fallback"},
        {Key(), L"bin", L"fallback"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, c.Key, c.Name, L"fallback"), c.Expected) << c.Name;
}

TEST_F(RegistryReads, NumbersFlagsAndBinary)
{
    EXPECT_EQ(TReg::ReadInteger(HKEY_CURRENT_USER, Key(), L"dword", 7), 1033);
    EXPECT_EQ(TReg::ReadInteger(HKEY_CURRENT_USER, Key(), L"negative", 7), -2);
    EXPECT_EQ(TReg::ReadInteger(HKEY_CURRENT_USER, Key(), L"sz", 7), 7);
    EXPECT_EQ(TReg::ReadInteger(HKEY_CURRENT_USER, Key(), L"absent", 7), 7);
    EXPECT_EQ(TReg::ReadInteger(HKEY_CURRENT_USER, Missing(), L"dword", 7), 7);
    EXPECT_TRUE(TReg::ReadBool(HKEY_CURRENT_USER, Key(), L"dword", false));
    EXPECT_FALSE(TReg::ReadBool(HKEY_CURRENT_USER, Key(), L"zero", true));
    EXPECT_TRUE(TReg::ReadBool(HKEY_CURRENT_USER, Key(), L"sz", true));
    EXPECT_FALSE(TReg::ReadBool(HKEY_CURRENT_USER, Missing(), L"dword", false));
    EXPECT_EQ(TReg::ReadBinary(HKEY_CURRENT_USER, Key(), L"bin"), (std::vector<BYTE>{1, 2, 3}));
    EXPECT_TRUE(TReg::ReadBinary(HKEY_CURRENT_USER, Key(), L"absent").empty());
    EXPECT_TRUE(TReg::ReadBinary(HKEY_CURRENT_USER, Key(), L"nobytes").empty());
    EXPECT_TRUE(TReg::ReadBinary(HKEY_CURRENT_USER, Missing(), L"bin").empty());
    EXPECT_TRUE(TReg::IsKey(HKEY_CURRENT_USER, Key()));
    EXPECT_FALSE(TReg::IsKey(HKEY_CURRENT_USER, Missing()));
}

TEST_F(RegistryReads, NameLists)
{
    FBox.SetString(L"sub1", L"v", L"x");
    FBox.SetString(L"sub2\\deeper", L"v", L"x");
    std::vector<std::wstring> names{L"stale"};
    EXPECT_EQ(TReg::ReadKeyNames(HKEY_CURRENT_USER, Key(), names), 2);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"sub1", L"sub2"}));
    EXPECT_EQ(TReg::ReadValueNames(HKEY_CURRENT_USER, Key() + L"\\sub1", names), 1);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"v"}));
    EXPECT_EQ(TReg::ReadValueNames(HKEY_CURRENT_USER, Key(), names), 11);
    names = {L"stale"};
    EXPECT_EQ(TReg::ReadKeyNames(HKEY_CURRENT_USER, Missing(), names), 0);
    EXPECT_TRUE(names.empty());
    names = {L"stale"};
    EXPECT_EQ(TReg::ReadValueNames(HKEY_CURRENT_USER, Missing(), names), 0);
    EXPECT_TRUE(names.empty());
}

TEST_F(RegistryReads, TolerantReadsOfAnOpenKey)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Key().c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(ReadText(key, L"dword", L"fb"), L"1033");
    EXPECT_EQ(ReadText(key, L"sz", L"fb"), L"plain text");
    EXPECT_EQ(ReadText(key, L"expand", L"fb"), L"%SystemRoot%\\tool.exe");
    EXPECT_EQ(ReadText(key, L"multi", L"fb"), L"fb");
    EXPECT_EQ(ReadText(key, L"bin", L"fb"), L"fb");
    EXPECT_EQ(ReadText(key, L"absent", L"fb"), L"fb");
    EXPECT_EQ(ReadNumber(key, L"dword", 5), 1033);
    EXPECT_EQ(ReadNumber(key, L"sz", 5), 5);
    EXPECT_EQ(ReadNumber(key, L"absent", 5), 5);
    EXPECT_TRUE(ReadFlag(key, L"dword", false));
    EXPECT_FALSE(ReadFlag(key, L"zero", true));
    EXPECT_TRUE(ReadFlag(key, L"sz", true));
    RegCloseKey(key);
}

TEST(RegistryWrites, CreateMissingKeysAndKeepTypes)
{
    RegistrySandbox box;
    const std::wstring deep = box.Path() + L"\\new\\deeper";
    TReg::WriteBinary(HKEY_CURRENT_USER, deep, L"bin", {9, 8, 7});
    TReg::WriteInteger(HKEY_CURRENT_USER, L"\\" + deep, L"num", -5);
    TReg::WriteString(HKEY_CURRENT_USER, deep, L"text", L"%TEMP%");
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, deep, L"bin", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(data, (std::vector<BYTE>{9, 8, 7}));
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, deep, L"num", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(TReg::ReadInteger(HKEY_CURRENT_USER, deep, L"num", 0), -5);
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, deep, L"text", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, TextBytes(L"%TEMP%"));

    // A delete below a missing path leaves that path created and empty.
    TReg::DeleteValue(HKEY_CURRENT_USER, box.Path() + L"\\made\\by\\delete", L"nothing");
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, box.Path() + L"\\made\\by\\delete"));
}

TEST(RegistryWrites, DeleteKeyOrValue)
{
    RegistrySandbox box;
    const std::wstring root = L"HKCU\\" + box.Path();
    box.SetString(L"tree\\a\\b", L"v", L"x");
    box.SetString(L"tree", L"v", L"x");
    box.SetString(L"", L"value", L"x");
    box.SetString(L"", L"keep", L"x");
    box.SetString(L"both", L"", L"x");  // a subkey "both" ...
    box.SetString(L"", L"both", L"x");  // ... and a value "both"

    TReg::Delete(root + L"\\tree");  // a subkey with everything below it
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, box.Path() + L"\\tree"));
    TReg::Delete(root + L"\\value");
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, box.Path(), L"value", L"gone"), L"");
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, box.Path(), L"keep", L""), L"x");
    TReg::Delete(root + L"\\both");  // the subkey goes first, the value stays
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, box.Path() + L"\\both"));
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, box.Path(), L"both", L""), L"x");
    TReg::Delete(L"HKCU\\nothing");  // unparsable: no effect, no error
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, box.Path()));

    box.SetString(L"direct\\inner", L"v", L"x");
    TReg::DeleteKey(HKEY_CURRENT_USER, box.Path(), L"direct");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, box.Path() + L"\\direct"));
}

TEST(RegistryWrites, ExactValuesMoveUnchanged)
{
    RegistrySandbox box;
    const wchar_t text[] = L"%ProgramFiles%\\a.exe";
    SetRaw(HKEY_CURRENT_USER, box.Path(), L"v", REG_EXPAND_SZ, text, sizeof(text));
    std::optional<TRegValue> value = TReg::ReadValue(HKEY_CURRENT_USER, box.Path(), L"v");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->Type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_TRUE(TReg::WriteValue(HKEY_CURRENT_USER, box.Path() + L"\\copy", L"v", *value));
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(ReadRaw(HKEY_CURRENT_USER, box.Path() + L"\\copy", L"v", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(data, TextBytes(text));
    EXPECT_TRUE(TReg::ValueExists(HKEY_CURRENT_USER, box.Path(), L"v"));
    EXPECT_TRUE(TReg::RemoveValue(HKEY_CURRENT_USER, box.Path(), L"v"));
    EXPECT_FALSE(TReg::ValueExists(HKEY_CURRENT_USER, box.Path(), L"v"));
    EXPECT_FALSE(TReg::RemoveValue(HKEY_CURRENT_USER, box.Path(), L"v"));
    EXPECT_FALSE(TReg::ReadValue(HKEY_CURRENT_USER, box.Path(), L"v"));
}

}  // namespace
