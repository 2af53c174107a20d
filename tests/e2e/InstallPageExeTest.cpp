// The install page of the real Tidora.exe, driven from outside as a user
// would: the header button opens it, its rows are read through the list
// view, the uninstaller of a row is started by the button, a double click
// or Enter, the rows follow the user's uninstall key while the page is
// open, and a run started afterwards reports the page's inventory to the
// local test service. The registrations are real keys of the test prefix;
// their "uninstallers" are reg.exe removing their own key, as a real
// uninstaller does last.
#include "AutorunTestSupport.h"
#include "ExeTestSupport.h"
#include "Install.h"
#include "RemoteListView.h"
#include "TidoraProcess.h"
#include "service_client.h"
#include "test_env.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <memory>
#include <string>

using namespace autoruntest;
using exetest::Utf8;

namespace {

using nlohmann::json;

constexpr int NameColumn = 0;
constexpr int PublisherColumn = 1;
constexpr int InstallCard = 2;

const std::wstring UninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The command that removes the registration below the user's uninstall key.
std::wstring RemoveCommand(const std::wstring& key)
{
    return L"C:\\windows\\system32\\reg.exe delete \"HKCU\\" + key + L"\" /f";
}

// The shown list view of the window (the install page's once it is open).
HWND ShownListView(HWND window)
{
    for (HWND list : FindChildren(window, WC_LISTVIEWW, nullptr))
        if (IsWindowVisible(list))
            return list;
    return nullptr;
}

class InstallPageExe : public testing::Test {
protected:
    void SetUp() override
    {
        service::Reset();
        folder = testenv::MakeTempDir(L"installpage");
    }

    // A registration of the current user, removed after the test; without
    // a publisher the value is left out. Gives its key below HKCU.
    std::wstring Register(const std::wstring& name, const std::wstring* publisher,
                          const std::wstring& date = L"20240101")
    {
        const std::wstring key = UninstallKey + L"\\" + UniqueName(L"InstallPageExe");
        cleanup.Key(HKEY_CURRENT_USER, key);
        SetText(HKEY_CURRENT_USER, key, L"DisplayName", name);
        if (publisher)
            SetText(HKEY_CURRENT_USER, key, L"Publisher", *publisher);
        SetText(HKEY_CURRENT_USER, key, L"InstallDate", date);
        SetText(HKEY_CURRENT_USER, key, L"UninstallString", RemoveCommand(key));
        return key;
    }
    std::wstring Register(const std::wstring& name, const std::wstring& publisher)
    {
        return Register(name, &publisher);
    }

    // Starts the program (or the copy at `exe`), presses "강제설치" and waits
    // until the row named `name` is shown.
    void OpenPage(const std::wstring& name, const std::wstring& exe = L"")
    {
        ASSERT_TRUE(app.Start(true, exe)) << "Tidora.exe did not show its window";
        HWND header = app.Control(L"Button", L"강제설치");
        ASSERT_NE(header, nullptr);
        ClickButton(header);
        HWND handle = nullptr;
        ASSERT_TRUE(testenv::WaitUntil([&] { return (handle = ShownListView(app.Window())) != nullptr; }));
        EXPECT_EQ(app.ShownCard(), InstallCard);
        list = std::make_unique<TRemoteListView>(handle);
        ASSERT_TRUE(list->Ready());
        ASSERT_TRUE(testenv::WaitUntil([&] { return RowShown(name); }, std::chrono::seconds(30)))
            << "no row " << Utf8(name);
        uninstallButton = app.Control(L"Button", L"삭제하기");
        ASSERT_NE(uninstallButton, nullptr);
    }

    bool RowShown(const std::wstring& name) const { return list->FindRow(NameColumn, name) >= 0; }

    // Waits until the uninstaller has removed the key and then until the
    // row has gone by itself.
    void ExpectRemovedAndGone(const std::wstring& key, const std::wstring& name)
    {
        EXPECT_TRUE(testenv::WaitUntil([&] { return !KeyExists(HKEY_CURRENT_USER, key); },
                                       std::chrono::seconds(20)))
            << "the uninstaller of " << Utf8(name) << " did not run";
        EXPECT_TRUE(testenv::WaitUntil([&] { return !RowShown(name); })) << "the row of " << Utf8(name) << " stayed";
    }

    // Declared before the program, so that the program ends first.
    TCleanup cleanup;
    std::wstring folder;
    TTidoraProcess app;
    std::unique_ptr<TRemoteListView> list;
    HWND uninstallButton = nullptr;
};

TEST_F(InstallPageExe, ListsBlackListedRegistrationsWithTheirPublishers)
{
    const std::wstring listed = L"AnySign4PC" + UniqueName(L" Listed ");
    const std::wstring nameless = L"IPinside LWS Agent" + UniqueName(L" Nameless ");
    const std::wstring emptyName = L"AnySign4PC" + UniqueName(L" Empty ");
    const std::wstring ordinary = L"Ordinary Editor" + UniqueName(L" ");
    Register(listed, L"보안 Maker Ltd.");
    Register(nameless, nullptr);
    Register(emptyName, L"");
    Register(ordinary, L"Someone");
    ASSERT_NO_FATAL_FAILURE(OpenPage(listed));

    // One load read all of them: the rows are there once the first is.
    EXPECT_EQ(list->Text(list->FindRow(NameColumn, listed), PublisherColumn), L"보안 Maker Ltd.");
    for (const std::wstring& name : {nameless, emptyName}) {
        const int row = list->FindRow(NameColumn, name);
        ASSERT_GE(row, 0) << Utf8(name);
        EXPECT_EQ(list->Text(row, PublisherColumn), L"알수없음") << Utf8(name);
    }
    EXPECT_FALSE(RowShown(ordinary)) << "not on the black list";
}

// Two rows that can both be removed: only the selected one's uninstaller
// runs.
TEST_F(InstallPageExe, TheButtonStartsTheSelectedRowsUninstaller)
{
    const std::wstring name = L"AnySign4PC" + UniqueName(L" Button ");
    const std::wstring other = L"AnySign4PC" + UniqueName(L" Kept ");
    const std::wstring key = Register(name, L"Maker");
    const std::wstring otherKey = Register(other, L"Maker");
    ASSERT_NO_FATAL_FAILURE(OpenPage(name));
    ASSERT_TRUE(RowShown(other));

    ASSERT_TRUE(list->SelectRow(list->FindRow(NameColumn, name)));
    ClickButton(uninstallButton);
    ExpectRemovedAndGone(key, name);
    EXPECT_TRUE(IsWindowEnabled(uninstallButton));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, otherKey)) << "the other row's uninstaller ran";
    EXPECT_TRUE(RowShown(other));
}

// A double click on a row and Enter on the selected row do what the button
// does. Enter is posted, so it comes through the message loop and the main
// window's dialog navigation, which would take it unless the list asks for it.
TEST_F(InstallPageExe, DoubleClickAndEnterStartTheRowsUninstaller)
{
    enum class TWay { DoubleClick, Enter };
    struct TCase {
        TWay Way;
        const wchar_t* Label;
        std::wstring Name;
        std::wstring Key;
    };
    TCase cases[] = {{TWay::DoubleClick, L" Double ", {}, {}}, {TWay::Enter, L" Enter ", {}, {}}};
    for (TCase& c : cases) {
        c.Name = L"AnySign4PC" + UniqueName(c.Label);
        c.Key = Register(c.Name, L"Maker");
    }
    ASSERT_NO_FATAL_FAILURE(OpenPage(cases[0].Name));

    for (const TCase& c : cases) {
        SCOPED_TRACE(Utf8(c.Label));
        const int row = list->FindRow(NameColumn, c.Name);
        ASSERT_GE(row, 0);
        ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, c.Key));
        if (c.Way == TWay::DoubleClick) {
            ASSERT_TRUE(exetest::PostDoubleClick(*list, row));
        } else {
            ASSERT_TRUE(list->SelectRow(row));
            exetest::PostKey(list->Handle(), VK_RETURN);
        }
        ExpectRemovedAndGone(c.Key, c.Name);
    }
    EXPECT_TRUE(app.Running());
}

// Changes behind the page's back show without any action on it.
TEST_F(InstallPageExe, RowsFollowTheUninstallKeyWhileThePageIsOpen)
{
    const std::wstring early = L"AnySign4PC" + UniqueName(L" Early ");
    const std::wstring earlyKey = Register(early, L"Maker");
    ASSERT_NO_FATAL_FAILURE(OpenPage(early));

    const std::wstring late = L"IPinside LWS Agent" + UniqueName(L" Late ");
    const std::wstring lateKey = Register(late, L"First Maker");
    EXPECT_TRUE(testenv::WaitUntil([&] { return RowShown(late); })) << "an added registration did not show";

    SetText(HKEY_CURRENT_USER, lateKey, L"Publisher", L"Second Maker");
    EXPECT_TRUE(testenv::WaitUntil([&] {
        const int row = list->FindRow(NameColumn, late);
        return row >= 0 && list->Text(row, PublisherColumn) == L"Second Maker";
    })) << "a changed publisher did not show";

    RemoveKeyTree(HKEY_CURRENT_USER, earlyKey);
    EXPECT_TRUE(testenv::WaitUntil([&] { return !RowShown(early); })) << "a removed registration stayed";
    EXPECT_TRUE(RowShown(late));
}

// A run after a visit of the page reports every record of its inventory
// (not only the shown ones), in inventory order, after the processes. The
// run ends what it does not protect: it runs from a copy whose exclusion
// file names every process alive now.
TEST_F(InstallPageExe, TheRunReportsThePagesInventory)
{
    // Quote, slash, backslash and Hangul: each is written escaped.
    const std::wstring suffix = UniqueName(L" ");
    const std::wstring name = L"AnySign4PC \"E2E\" a/b\\c 따옴표" + suffix;
    const std::wstring publisher = L"Maker \"Q\" 한/글";
    const std::wstring ordinary = L"Ordinary Editor" + UniqueName(L" ");
    Register(name, &publisher, L"20240101");
    Register(ordinary, nullptr, L"20240102");
    const std::wstring exe = exetest::ProtectedProgramCopy(folder);
    ASSERT_FALSE(exe.empty());

    ASSERT_NO_FATAL_FAILURE(OpenPage(name, exe));
    TInstallList inventory;
    GetInstall(inventory);
    ASSERT_TRUE(testenv::WaitUntil([] {
        for (const auto& request : service::Requests())
            if (request["path"] == "/api.init.php")
                return true;
        return false;
    }, std::chrono::seconds(20)));

    ClickButton(app.Control(L"Button", L"처음화면"));
    EXPECT_EQ(app.ShownCard(), 0);
    HWND run = app.Control(L"Button", L"실행하기");
    ASSERT_NE(run, nullptr);
    ClickButton(run);
    ASSERT_TRUE(app.WaitForExit(90000)) << "the program did not end after its run";

    const json reports = json::parse(service::Call(L"GET", L"/_test/reports"));
    ASSERT_EQ(reports.size(), 1u);
    const std::string body = reports.begin().value().get<std::string>();
    const json records = json::parse(body);
    ASSERT_TRUE(records.is_array());
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records[0]["cate"], "memory");
    size_t first = 1;
    while (first < records.size() && records[first]["cate"] == "clean")
        ++first;
    EXPECT_GT(first, 1u) << "the processes come first";
    while (first < records.size() && records[first]["cate"] == "start")
        ++first;
    json installs = json::array();
    for (size_t i = first; i < records.size(); ++i)
        installs.push_back(records[i]);
    json expected = json::array();
    for (const TInstallInfo& record : inventory)
        expected.push_back(
            {{"cate", "install"}, {"displayname", Utf8(record.DisplayName)}, {"publisher", Utf8(record.Publisher)}});
    EXPECT_EQ(installs, expected);

    // The records as they are written: members in this order, escaped.
    EXPECT_NE(body.find(R"({"cate":"install","displayname":"AnySign4PC \"E2E\" a\/b\\c \uB530\uC634\uD45C)" +
                        Utf8(suffix) + R"(","publisher":"Maker \"Q\" \uD55C\/\uAE00"})"),
              std::string::npos)
        << body;
    EXPECT_NE(body.find(R"({"cate":"install","displayname":")" + Utf8(ordinary) + R"(","publisher":""})"),
              std::string::npos)
        << "a record the page does not show is reported too";
}

}  // namespace
