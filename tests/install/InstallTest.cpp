// The installed-program inventory read from real uninstall keys of the test
// prefix: the skip rules, the fields, the sources and the order.
#include "Install.h"

#include "PathTokens.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

std::wstring Relative(const wchar_t* path)
{
    std::wstring text = path;
    return text.substr(text.find_first_not_of(L'\\'));
}

const TUninstallSource& Source(size_t index)
{
    return UninstallSources()[index];
}

std::wstring Environment(const wchar_t* name)
{
    wchar_t value[MAX_PATH * 2] = {};
    DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH * 2);
    return length && length < MAX_PATH * 2 ? std::wstring(value, length) : std::wstring();
}

// One uninstall registration written for a test and deleted afterwards.
class TestRegistration {
public:
    TestRegistration(const TUninstallSource& source, const std::wstring& subkey)
        : FRoot(source.Root), FParent(Relative(source.Path)), FSubkey(subkey)
    {
        RegCreateKeyExW(FRoot, Path().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &FKey,
                        nullptr);
    }
    ~TestRegistration()
    {
        if (FKey)
            RegCloseKey(FKey);
        HKEY parent = nullptr;
        if (RegOpenKeyExW(FRoot, FParent.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &parent) == ERROR_SUCCESS) {
            RegDeleteTreeW(parent, FSubkey.c_str());
            RegCloseKey(parent);
        }
    }
    TestRegistration(const TestRegistration&) = delete;
    TestRegistration& operator=(const TestRegistration&) = delete;

    std::wstring Path() const { return FParent + L"\\" + FSubkey; }

    TestRegistration& Text(const std::wstring& name, const std::wstring& value, DWORD type = REG_SZ)
    {
        RegSetValueExW(FKey, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        return *this;
    }
    TestRegistration& Number(const std::wstring& name, DWORD value)
    {
        RegSetValueExW(FKey, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
        return *this;
    }
    TestRegistration& Binary(const std::wstring& name)
    {
        RegSetValueExW(FKey, name.c_str(), 0, REG_BINARY, nullptr, 0);
        return *this;
    }

private:
    HKEY FRoot;
    std::wstring FParent;
    std::wstring FSubkey;
    HKEY FKey = nullptr;
};

// The records of the inventory whose display name starts with `tag`, in
// inventory order; the prefix may hold registrations of its own.
TInstallList Tagged(const std::wstring& tag)
{
    TInstallList all;
    GetInstall(all);
    TInstallList tagged;
    for (const TInstallInfo& info : all)
        if (info.DisplayName.rfind(tag, 0) == 0)
            tagged.push_back(info);
    return tagged;
}

std::optional<TInstallInfo> Find(const TInstallList& list, const std::wstring& name)
{
    for (const TInstallInfo& info : list)
        if (info.DisplayName == name)
            return info;
    return std::nullopt;
}

std::vector<std::wstring> Names(const TInstallList& list)
{
    std::vector<std::wstring> names;
    for (const TInstallInfo& info : list)
        names.push_back(info.DisplayName);
    return names;
}

// Sets a folder's last-write time to noon (local time) of the given day.
bool SetFolderDate(const std::wstring& folder, WORD year, WORD month, WORD day)
{
    SYSTEMTIME local{};
    local.wYear = year;
    local.wMonth = month;
    local.wDay = day;
    local.wHour = 12;
    SYSTEMTIME utc{};
    FILETIME time{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &time))
        return false;
    HANDLE handle = CreateFileW(folder.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool set = SetFileTime(handle, nullptr, nullptr, &time);
    CloseHandle(handle);
    return set;
}

std::wstring MakeFile(const std::wstring& folder, const std::wstring& name)
{
    const std::wstring path = folder + L"\\" + name;
    testenv::WriteFileBytes(path, "x");
    return path;
}

// ---------------------------------------------------------------------------
// Which registrations are listed

struct SkipCase {
    const char* What;
    std::function<void(TestRegistration&)> Write;
    bool Listed;
};

TEST(InstallTest, EverySkipRule)
{
    const std::wstring tag = L"TidoraSkip ";
    const std::vector<SkipCase> cases = {
        {"plain registration", [](TestRegistration&) {}, true},
        {"no uninstall string", [](TestRegistration& r) { r.Text(L"UninstallString", L""); }, false},
        {"blank uninstall string", [](TestRegistration& r) { r.Text(L"UninstallString", L" \t "); }, false},
        {"ParentKeyName as text", [](TestRegistration& r) { r.Text(L"ParentKeyName", L"Office"); }, false},
        {"ParentKeyName empty binary", [](TestRegistration& r) { r.Binary(L"ParentKeyName"); }, false},
        {"NoRemove 1", [](TestRegistration& r) { r.Number(L"NoRemove", 1); }, false},
        {"NoRemove 0", [](TestRegistration& r) { r.Number(L"NoRemove", 0); }, true},
        {"NoRemove as text 1", [](TestRegistration& r) { r.Text(L"NoRemove", L"1"); }, true},
        {"SystemComponent 1", [](TestRegistration& r) { r.Number(L"SystemComponent", 1); }, false},
        {"SystemComponent 7", [](TestRegistration& r) { r.Number(L"SystemComponent", 7); }, false},
        {"SystemComponent as text 1", [](TestRegistration& r) { r.Text(L"SystemComponent", L"1"); }, true},
        {"uninstall string as a number", [](TestRegistration& r) { r.Number(L"UninstallString", 5); }, true},
    };
    std::vector<std::unique_ptr<TestRegistration>> written;
    for (size_t i = 0; i < cases.size(); ++i) {
        auto reg = std::make_unique<TestRegistration>(Source(0), L"TidoraSkip" + std::to_wstring(i));
        reg->Text(L"DisplayName", tag + std::to_wstring(i)).Text(L"UninstallString", L"C:\\Skip\\un.exe");
        cases[i].Write(*reg);
        written.push_back(std::move(reg));
    }
    // Display names that are missing or blank: recognisable only by their
    // uninstall strings.
    TestRegistration noName(Source(0), L"TidoraSkipNoName");
    noName.Text(L"UninstallString", L"C:\\Skip\\noname.exe");
    TestRegistration blankName(Source(0), L"TidoraSkipBlankName");
    blankName.Text(L"DisplayName", L"   ").Text(L"UninstallString", L"C:\\Skip\\blankname.exe");

    TInstallList all;
    GetInstall(all);
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(Find(all, tag + std::to_wstring(i)).has_value(), cases[i].Listed) << cases[i].What;
    for (const TInstallInfo& info : all) {
        EXPECT_NE(info.UninstallString, L"C:\\Skip\\noname.exe");
        EXPECT_NE(info.UninstallString, L"C:\\Skip\\blankname.exe");
        EXPECT_FALSE(info.DisplayName.empty());
    }
}

// Duplicates are found among the records already listed: a registration
// skipped for another rule does not hide a later one of the same program.
TEST(InstallTest, DuplicatesAreFoundAmongListedRecordsOnly)
{
    const std::wstring name = L"TidoraDup Viewer";
    TestRegistration hidden(Source(0), L"TidoraDupA");
    hidden.Text(L"DisplayName", name).Text(L"Publisher", L"Maker").Text(L"UninstallString", L"C:\\a.exe");
    hidden.Number(L"SystemComponent", 1);
    TestRegistration shown(Source(0), L"TidoraDupB");
    shown.Text(L"DisplayName", name).Text(L"Publisher", L"Maker").Text(L"UninstallString", L"C:\\b.exe");
    TestRegistration again(Source(0), L"TidoraDupC");
    again.Text(L"DisplayName", L" " + name + L" ").Text(L"Publisher", L"Maker ").Text(L"UninstallString", L"C:\\c.exe");

    TInstallList list = Tagged(L"TidoraDup ");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].UninstallString, L"C:\\b.exe");
}

TEST(InstallTest, SameProgramInTwoSources)
{
    struct Case {
        const char* What;
        std::wstring Publisher1;
        std::wstring Publisher2;
        std::vector<std::wstring> Versions;  // DisplayVersion of the listed records, in order
    };
    const std::vector<Case> cases = {
        {"same publisher: listed once, from the first source", L"Maker", L"Maker", {L"native"}},
        {"different publishers: both", L"Maker", L"Other", {L"native", L"wow"}},
        {"publishers differing in case: both", L"Maker", L"MAKER", {L"native", L"wow"}},
        {"both without publisher: once", L"", L"", {L"native"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TestRegistration native(Source(0), L"TidoraTwo");
        native.Text(L"DisplayName", L"TidoraTwo App").Text(L"UninstallString", L"C:\\u.exe");
        native.Text(L"Publisher", c.Publisher1).Text(L"DisplayVersion", L"native").Text(L"InstallDate", L"20200101");
        TestRegistration wow(Source(1), L"TidoraTwo");
        wow.Text(L"DisplayName", L"TidoraTwo App").Text(L"UninstallString", L"C:\\u.exe");
        wow.Text(L"Publisher", c.Publisher2).Text(L"DisplayVersion", L"wow").Text(L"InstallDate", L"20200101");

        std::vector<std::wstring> versions;
        for (const TInstallInfo& info : Tagged(L"TidoraTwo "))
            versions.push_back(info.DisplayVersion);
        EXPECT_EQ(versions, c.Versions);
    }
}

// Each of the four sources is read, in the 64-bit view: a registration
// below the machine's native key is not the one below Wow6432Node.
TEST(InstallTest, AllFourSourcesAreRead)
{
    std::vector<std::unique_ptr<TestRegistration>> written;
    for (size_t i = 0; i < 4; ++i) {
        auto reg = std::make_unique<TestRegistration>(Source(i), L"TidoraSource");
        reg->Text(L"DisplayName", L"TidoraSource " + std::to_wstring(i)).Text(L"UninstallString", L"C:\\u.exe");
        reg->Text(L"InstallDate", L"20200101");
        written.push_back(std::move(reg));
    }
    EXPECT_EQ(Names(Tagged(L"TidoraSource ")),
              (std::vector<std::wstring>{L"TidoraSource 0", L"TidoraSource 1", L"TidoraSource 2", L"TidoraSource 3"}));
}

TEST(InstallTest, MissingKeyAddsNothing)
{
    TInstallList list(1);
    list[0].DisplayName = L"kept";
    ReadUninstallKey(HKEY_CURRENT_USER, L"\\SOFTWARE\\TidoraNoSuchKey\\Uninstall", list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].DisplayName, L"kept");
}

// ---------------------------------------------------------------------------
// The fields of a record

TEST(InstallTest, FieldsAreReadAndTrimmed)
{
    TestRegistration reg(Source(2), L"TidoraFields");
    reg.Text(L"DisplayName", L"  TidoraFields App\t").Text(L"Publisher", L" Maker ");
    reg.Text(L"UninstallString", L" C:\\App\\un.exe /S ");
    reg.Text(L"DisplayVersion", L" 1.2 ").Text(L"HelpLink", L"http://help/").Text(L"URLInfoAbout", L"http://about/");
    reg.Text(L"InstallLocation", L"C:\\App\\").Number(L"EstimatedSize", 4321).Text(L"DisplayIcon", L"C:\\App\\app.exe");
    reg.Text(L"InstallDate", L"20190203");

    TInstallList list = Tagged(L"TidoraFields ");
    ASSERT_EQ(list.size(), 1u);
    const TInstallInfo& info = list[0];
    EXPECT_EQ(info.DisplayName, L"TidoraFields App");
    EXPECT_EQ(info.Publisher, L"Maker");
    EXPECT_EQ(info.UninstallString, L"C:\\App\\un.exe /S");
    EXPECT_EQ(info.DisplayVersion, L" 1.2 ");
    EXPECT_EQ(info.HelpLink, L"http://help/");
    EXPECT_EQ(info.URLInfoAbout, L"http://about/");
    EXPECT_EQ(info.InstallLocation, L"C:\\App\\");
    EXPECT_EQ(info.EstimatedSize, 4321);
    EXPECT_EQ(info.InstallDate, L"20190203");
    EXPECT_EQ(info.DisplayIcon, L"C:\\App\\app.exe");
    EXPECT_EQ(info.DisplayIconIndex, 0);
}

TEST(InstallTest, OtherValueTypes)
{
    TestRegistration reg(Source(2), L"TidoraTypes");
    reg.Text(L"DisplayName", L"TidoraTypes App").Text(L"UninstallString", L"C:\\un.exe");
    reg.Number(L"DisplayVersion", 7).Text(L"EstimatedSize", L"100").Text(L"HelpLink", L"%TEMP%", REG_EXPAND_SZ);
    reg.Binary(L"URLInfoAbout");

    TInstallList list = Tagged(L"TidoraTypes ");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].DisplayVersion, L"7");
    EXPECT_EQ(list[0].EstimatedSize, 0);
    EXPECT_EQ(list[0].HelpLink, L"%TEMP%");
    EXPECT_EQ(list[0].URLInfoAbout, L"");
}

TEST(InstallTest, DisplayIconAndIndex)
{
    struct Case {
        std::wstring Icon;       // DisplayIcon; none when empty
        std::wstring Uninstall;
        std::wstring File;
        int Index;
    };
    const std::wstring programs = Environment(L"ProgramW6432");
    ASSERT_FALSE(programs.empty());
    const std::vector<Case> cases = {
        {L"C:\\App\\app.exe,3", L"C:\\un.exe", L"C:\\App\\app.exe", 3},
        {L"C:\\App\\app.exe,100", L"C:\\un.exe", L"C:\\App\\app.exe", 100},
        {L"C:\\App\\app.exe,150", L"C:\\un.exe", L"C:\\App\\app.exe", 0},
        {L"C:\\App\\app.exe,-1", L"C:\\un.exe", L"C:\\App\\app.exe", 0},
        {L"C:\\App\\app.exe,x", L"C:\\un.exe", L"C:\\App\\app.exe", 0},
        {L"C:\\App\\app.exe,2,5", L"C:\\un.exe", L"C:\\App\\app.exe", 0},
        {L"\"C:\\App Dir\\app.exe\"", L"C:\\un.exe", L"C:\\App Dir\\app.exe", 0},
        {L"\"C:\\App\\app.exe\",3", L"C:\\un.exe", L"C:\\App\\app.exe\"", 0},
        {L"", L"  C:\\App\\un.exe  ", L"C:\\App\\un.exe", 0},
        {L"", L"\"C:\\App\\un.exe\" /S", L"C:\\App\\un.exe\" /", 0},
        {L"%programfiles%\\App\\app.exe,1", L"C:\\un.exe", programs + L"\\App\\app.exe", 1},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i);
        TestRegistration reg(Source(0), L"TidoraIcon");
        reg.Text(L"DisplayName", L"TidoraIcon App").Text(L"UninstallString", c.Uninstall);
        if (!c.Icon.empty())
            reg.Text(L"DisplayIcon", c.Icon);
        TInstallList list = Tagged(L"TidoraIcon ");
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].DisplayIcon, c.File);
        EXPECT_EQ(list[0].DisplayIconIndex, c.Index);
    }
}

TEST(InstallTest, ProgramFilesInTheUninstallStringIsExpanded)
{
    TestRegistration reg(Source(0), L"TidoraExpand");
    reg.Text(L"DisplayName", L"TidoraExpand App").Text(L"UninstallString", L"\"%ProgramFiles%\\X\\un.exe\" /S");
    reg.Text(L"DisplayIcon", L"C:\\x.ico");
    TInstallList list = Tagged(L"TidoraExpand ");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].UninstallString, L"\"" + Environment(L"ProgramW6432") + L"\\X\\un.exe\" /S");
}

// Windows Installer registrations without an icon of their own: the first
// file of the product's cache folder, or msiexec itself.
TEST(InstallTest, InstallerProductIcon)
{
    const std::wstring windows = Environment(L"WinDir");
    ASSERT_FALSE(windows.empty());
    const std::wstring code = L"{6E3F1D2A-1111-4C1B-9A1E-0123456789AB}";
    const std::wstring cache = windows + L"\\Installer\\" + code;
    CreateDirectoryW((windows + L"\\Installer").c_str(), nullptr);
    CreateDirectoryW(cache.c_str(), nullptr);
    CreateDirectoryW((cache + L"\\0sub").c_str(), nullptr);  // a folder is never the icon
    MakeFile(cache, L"product.ico");

    struct Case {
        std::wstring Uninstall;
        std::wstring Icon;  // DisplayIcon; none when empty
        std::wstring Expected;
    };
    const std::vector<Case> cases = {
        {L"MsiExec.exe /X" + code, L"", cache + L"\\product.ico"},
        {L"MsiExec.exe /I{6E3F1D2A-2222-4C1B-9A1E-0123456789AB}", L"", windows + L"\\System32\\msiexec.exe"},
        {L"C:\\un.exe", L"C:\\Windows\\System32\\MSIEXEC.EXE", windows + L"\\System32\\msiexec.exe"},
        {L"msiexec /x}{", L"", windows + L"\\System32\\msiexec.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.Uninstall.begin(), c.Uninstall.end()));
        TestRegistration reg(Source(0), L"TidoraMsi");
        reg.Text(L"DisplayName", L"TidoraMsi App").Text(L"UninstallString", c.Uninstall);
        if (!c.Icon.empty())
            reg.Text(L"DisplayIcon", c.Icon);
        TInstallList list = Tagged(L"TidoraMsi ");
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].DisplayIcon, c.Expected);
        EXPECT_EQ(list[0].UninstallString, c.Uninstall);
    }
}

TEST(InstallTest, FindInstallerIcon)
{
    const std::wstring windows = Environment(L"WinDir");
    const std::wstring code = L"{6E3F1D2A-3333-4C1B-9A1E-0123456789AB}";
    const std::wstring cache = windows + L"\\Installer\\" + code;
    CreateDirectoryW((windows + L"\\Installer").c_str(), nullptr);
    CreateDirectoryW(cache.c_str(), nullptr);
    const std::wstring emptyCode = L"{6E3F1D2A-4444-4C1B-9A1E-0123456789AB}";
    CreateDirectoryW((windows + L"\\Installer\\" + emptyCode).c_str(), nullptr);
    CreateDirectoryW((windows + L"\\Installer\\" + emptyCode + L"\\only-a-folder").c_str(), nullptr);
    MakeFile(cache, L"a.ico");

    EXPECT_EQ(FindInstallerIcon(L"MsiExec.exe /X" + code + L" /quiet"), cache + L"\\a.ico");
    EXPECT_EQ(FindInstallerIcon(L"MsiExec.exe /X" + emptyCode), L"");
    EXPECT_EQ(FindInstallerIcon(L"MsiExec.exe /X{6E3F1D2A-5555-4C1B-9A1E-0123456789AB}"), L"");
    EXPECT_EQ(FindInstallerIcon(L"MsiExec.exe"), L"");
    EXPECT_EQ(FindInstallerIcon(L"} before {" + code), L"");
}

// The native machine's program folder, also where the process's own
// "ProgramFiles" says otherwise (as it does for a 32-bit build on 64-bit
// Windows).
TEST(InstallTest, ExpandProgramFilesTakesTheNativeFolder)
{
    ASSERT_TRUE(IsAmd64Machine());
    const std::wstring native = Environment(L"ProgramW6432");
    ASSERT_FALSE(native.empty());
    const std::wstring saved = Environment(L"ProgramFiles");
    SetEnvironmentVariableW(L"ProgramFiles", L"X:\\Program Files (x86)");

    EXPECT_EQ(ExpandProgramFiles(L"%ProgramFiles%\\A\\a.exe"), native + L"\\A\\a.exe");
    EXPECT_EQ(ExpandProgramFiles(L"\"%PROGRAMFILES%\\A\" %programfiles%"), L"\"" + native + L"\\A\" " + native);
    EXPECT_EQ(ExpandProgramFiles(L"%ProgramFiles(x86)%\\A"), L"%ProgramFiles(x86)%\\A");
    EXPECT_EQ(ExpandProgramFiles(L"C:\\%ProgramFiles\\A"), L"C:\\%ProgramFiles\\A");
    EXPECT_EQ(ExpandProgramFiles(L""), L"");

    SetEnvironmentVariableW(L"ProgramFiles", saved.c_str());
}

// ---------------------------------------------------------------------------
// Install dates and the order

TEST(InstallTest, InstallDate)
{
    const std::wstring folder = testenv::MakeTempDir(L"install-date");
    const std::wstring icon = MakeFile(folder, L"app.exe");
    ASSERT_TRUE(SetFolderDate(folder, 2019, 7, 15));

    struct Case {
        std::wstring Date;  // InstallDate; none when empty
        std::wstring Icon;
        std::wstring Expected;
    };
    const std::vector<Case> cases = {
        {L"2021-03-04", icon, L"20210304"},
        {L"20210304", icon, L"20210304"},
        {L"2021/3/4", icon, L"20190715"},
        {L"2021/3/4", L"C:\\NoSuchFolder\\app.exe", L"202134"},
        {L"", icon, L"20190715"},
        {L"", folder, L""},  // a folder is not an icon file
        {L"202103041", icon, L"20190715"},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i);
        TestRegistration reg(Source(2), L"TidoraDate");
        reg.Text(L"DisplayName", L"TidoraDate App").Text(L"UninstallString", L"C:\\un.exe");
        reg.Text(L"DisplayIcon", c.Icon);
        if (!c.Date.empty())
            reg.Text(L"InstallDate", c.Date);
        TInstallList list = Tagged(L"TidoraDate ");
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].InstallDate, c.Expected);
    }
}

TEST(InstallTest, GetFolderDate)
{
    const std::wstring folder = testenv::MakeTempDir(L"folder-date");
    ASSERT_TRUE(SetFolderDate(folder, 2018, 12, 31));
    EXPECT_EQ(GetFolderDate(folder + L"\\missing.exe"), L"20181231");
    EXPECT_EQ(GetFolderDate(folder + L"/missing.exe"), L"20181231");
    EXPECT_EQ(GetFolderDate(L"C:\\NoSuchFolder\\x.exe"), L"");
    EXPECT_EQ(GetFolderDate(L"app.exe"), L"");
}

// Newest first; equal dates keep the order of the sources and of the
// registry's enumeration; empty dates last. Many records, so that an
// unstable sort would show.
TEST(InstallTest, SortedByDateNewestFirstAndStable)
{
    const std::vector<std::wstring> dates = {L"20200101", L"20211231", L"", L"20200101", L"20220105"};
    std::vector<std::unique_ptr<TestRegistration>> written;
    std::map<std::wstring, std::wstring> dateOf;
    for (size_t source : {size_t{0}, size_t{2}}) {
        for (int i = 0; i < 30; ++i) {
            wchar_t subkey[32];
            swprintf(subkey, 32, L"TidoraSort%02d", i);
            const std::wstring name = L"TidoraSort " + std::to_wstring(source) + L"-" + std::to_wstring(i);
            const std::wstring date = dates[(i * 7 + source) % dates.size()];
            auto reg = std::make_unique<TestRegistration>(Source(source), subkey);
            reg->Text(L"DisplayName", name).Text(L"UninstallString", L"C:\\un.exe").Text(L"DisplayIcon", L"C:\\x.ico");
            if (!date.empty())
                reg->Text(L"InstallDate", date);
            dateOf[name] = date;
            written.push_back(std::move(reg));
        }
    }
    // The order the registry enumerates them in, source by source.
    std::vector<std::wstring> readOrder;
    for (size_t source : {size_t{0}, size_t{2}}) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(Source(source).Root, Relative(Source(source).Path).c_str(), 0,
                                KEY_READ | KEY_WOW64_64KEY, &key),
                  ERROR_SUCCESS);
        wchar_t subkey[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = 256;
            if (RegEnumKeyExW(key, index, subkey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            std::wstring text = subkey;
            if (text.rfind(L"TidoraSort", 0) == 0)
                readOrder.push_back(L"TidoraSort " + std::to_wstring(source) + L"-" + std::to_wstring(std::stoi(text.substr(10))));
        }
        RegCloseKey(key);
    }
    std::vector<std::wstring> expected = readOrder;
    std::stable_sort(expected.begin(), expected.end(),
                     [&](const std::wstring& a, const std::wstring& b) { return dateOf[a] > dateOf[b]; });

    const std::vector<std::wstring> names = Names(Tagged(L"TidoraSort "));
    EXPECT_EQ(names, expected);
    ASSERT_EQ(names.size(), 60u);
    EXPECT_EQ(dateOf[names.front()], L"20220105");
    EXPECT_EQ(dateOf[names.back()], L"");
}

}  // namespace
