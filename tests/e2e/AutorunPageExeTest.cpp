// The autorun page of the real Tidora.exe, driven from outside as a user
// would: the header button opens it, its rows are read through the list
// view, the switch button, F5, the full-list box, the popup menu's save
// and the look-up act on real Run values of the test prefix, and a run
// started afterwards reports the page's entries to the local test service.
#include "AutorunTestSupport.h"
#include "RemoteListView.h"
#include "TidoraProcess.h"
#include "child_process.h"
#include "service_client.h"
#include "test_env.h"

#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace autoruntest;

namespace {

using nlohmann::json;

constexpr int NameColumn = 0;
constexpr int SourceColumn = 1;

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Lower(std::wstring text)
{
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::wstring TargetOf(const std::wstring& name)
{
    return L"HKCU\\" + RunKey + L"\\" + name;
}

BYTE ApprovalState(const std::wstring& name)
{
    DWORD type = 0;
    std::vector<BYTE> data;
    return ReadRaw(HKEY_CURRENT_USER, ApprovedRun, name, type, data) && data.size() == 12 ? data[0] : 0;
}

// A visible top-level window of the process with the class, or null.
HWND ShownWindowOf(DWORD pid, const wchar_t* className)
{
    for (HWND window : ProcessWindows(pid, className))
        if (IsWindowVisible(window))
            return window;
    return nullptr;
}

// Posts a key press (down and up) to a window of another process.
void PostKey(HWND window, WORD key)
{
    PostMessageW(window, WM_KEYDOWN, key, 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

// The autorun entries as the test process reads them, in source order.
TAutorunList EntriesNow()
{
    TAutorunList entries;
    GetAutorun(entries);
    return entries;
}

// Live process names, for an exclusion file that keeps them alive.
std::vector<std::wstring> LiveProcessNames()
{
    std::set<std::wstring> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return {};
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        names.insert(Lower(entry.szExeFile));
    CloseHandle(snapshot);
    return {names.begin(), names.end()};
}

class AutorunPageExe : public testing::Test {
protected:
    void SetUp() override
    {
        service::Reset();
        testenv::ClearBrowserLog();
        folder = testenv::MakeTempDir(L"autorunpage");
        program = ChildProcess::CopyAs(folder, L"pageprogram.exe");
    }

    // A Run value of the current user starting `command`; the value and its
    // approval record are removed after the test.
    std::wstring AddRunValue(const std::wstring& prefix, const std::wstring& command)
    {
        const std::wstring name = UniqueName(prefix);
        SetText(HKEY_CURRENT_USER, RunKey, name, command);
        cleanup.Value(HKEY_CURRENT_USER, RunKey, name);
        cleanup.Value(HKEY_CURRENT_USER, ApprovedRun, name);
        return name;
    }
    std::wstring AddProgramValue(const std::wstring& prefix)
    {
        return AddRunValue(prefix, L"\"" + program + L"\" /autorun");
    }

    // Starts the program (or the copy at `exe`), presses "자동실행" and waits
    // until the row named `name` is shown.
    void OpenPage(const std::wstring& name, const std::wstring& exe = L"")
    {
        ASSERT_TRUE(app.Start(true, exe)) << "Tidora.exe did not show its window";
        HWND header = app.Control(L"Button", L"자동실행");
        ASSERT_NE(header, nullptr);
        ClickButton(header);
        ASSERT_TRUE(testenv::WaitUntil([&] { return FindChild(app.Window(), WC_LISTVIEWW, nullptr) != nullptr; }));
        EXPECT_EQ(app.ShownCard(), 1);
        list = std::make_unique<TRemoteListView>(FindChild(app.Window(), WC_LISTVIEWW, nullptr));
        ASSERT_TRUE(list->Ready());
        ASSERT_TRUE(testenv::WaitUntil([&] { return list->FindRow(NameColumn, name) >= 0; },
                                       std::chrono::seconds(30)))
            << "no row " << Utf8(name);
        switchButton = app.Control(L"Button", L"사용안함");
        fullList = app.Control(L"Button", L"전체목록");
    }

    bool RowShown(const std::wstring& name) const { return list->FindRow(NameColumn, name) >= 0; }

    // Declared before the program, so that the program ends first.
    TCleanup cleanup;
    std::wstring folder;
    std::wstring program;  // an existing program without version text
    TTidoraProcess app;
    std::unique_ptr<TRemoteListView> list;
    HWND switchButton = nullptr;
    HWND fullList = nullptr;
};

TEST_F(AutorunPageExe, RowsShowRunValuesButNotTheProductsOwn)
{
    const std::wstring shown = AddProgramValue(L"PageShown ");
    const std::wstring own = AddProgramValue(L"TidoraPage");
    const std::wstring missing = AddRunValue(L"PageMissing", L"\"C:\\nowhere\\page_missing.exe\" /x");
    ASSERT_NO_FATAL_FAILURE(OpenPage(shown));

    const int shownRow = list->FindRow(NameColumn, shown);
    EXPECT_EQ(list->Text(shownRow, SourceColumn), L"HKCU");
    const int missingRow = list->FindRow(NameColumn, missing);
    ASSERT_GE(missingRow, 0) << "a value of a missing program is listed";
    EXPECT_EQ(list->Text(missingRow, SourceColumn), L"HKCU");
    EXPECT_FALSE(RowShown(own)) << "the product's own prefix is white-listed";
}

TEST_F(AutorunPageExe, TheButtonSwitchesTheSelectedRowOffAndOn)
{
    const std::wstring name = AddProgramValue(L"PageSwitch");
    const std::wstring other = AddProgramValue(L"PageOther");
    ASSERT_NO_FATAL_FAILURE(OpenPage(name));
    ASSERT_NE(switchButton, nullptr);
    const int row = list->FindRow(NameColumn, name);
    ASSERT_TRUE(list->SelectRow(row));

    ClickButton(switchButton);
    EXPECT_EQ(ApprovalState(name), 3) << "switched off through the approval record";
    EXPECT_EQ(WindowText(switchButton), L"사용함");
    EXPECT_TRUE(IsWindowEnabled(switchButton));
    EXPECT_EQ(list->FindRow(NameColumn, name), row) << "the row stays where it was";

    // The button offers what the selected row needs.
    ASSERT_TRUE(list->SelectRow(list->FindRow(NameColumn, other)));
    EXPECT_EQ(WindowText(switchButton), L"사용안함");
    ASSERT_TRUE(list->SelectRow(row));
    EXPECT_EQ(WindowText(switchButton), L"사용함");

    ClickButton(switchButton);
    EXPECT_EQ(ApprovalState(name), 2);
    EXPECT_EQ(WindowText(switchButton), L"사용안함");
    EXPECT_EQ(ApprovalState(other), 0) << "the other row was not touched";
}

TEST_F(AutorunPageExe, F5HidesWhatWasSwitchedOffAndTheFullListShowsIt)
{
    const std::wstring name = AddProgramValue(L"PageOff");
    const std::wstring other = AddProgramValue(L"PageStays");
    ASSERT_NO_FATAL_FAILURE(OpenPage(name));
    ASSERT_NE(fullList, nullptr);
    EXPECT_EQ(SendMessageW(fullList, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // Switched off behind the page's back: shown until the list is read anew.
    SetBytes(HKEY_CURRENT_USER, ApprovedRun, name, MakeApproval(false));
    PostKey(list->Handle(), VK_F6);
    Sleep(500);
    EXPECT_TRUE(RowShown(name)) << "only F5 reads the list anew";
    PostKey(list->Handle(), VK_F5);
    EXPECT_TRUE(testenv::WaitUntil([&] { return !RowShown(name) && RowShown(other); }))
        << "F5 did not hide the switched-off entry";

    ClickButton(fullList);
    EXPECT_EQ(SendMessageW(fullList, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(testenv::WaitUntil([&] { return RowShown(name); })) << "the full list shows it";
    const int row = list->FindRow(NameColumn, name);
    ASSERT_GE(row, 0);
    ASSERT_TRUE(list->SelectRow(row));
    EXPECT_EQ(WindowText(switchButton), L"사용함");

    ClickButton(fullList);
    EXPECT_TRUE(testenv::WaitUntil([&] { return !RowShown(name); }));
}

// The popup menu opened from the keyboard, its one item chosen with the
// keys, the system's save dialog filled in and confirmed.
TEST_F(AutorunPageExe, TheListIsSavedThroughThePopupMenuAndTheSaveDialog)
{
    const std::wstring name = AddProgramValue(L"PageSave");
    const std::wstring own = AddProgramValue(L"TidoraSave");
    ASSERT_NO_FATAL_FAILURE(OpenPage(name));
    const TAutorunList entries = EntriesNow();
    ASSERT_NE(FindEntry(entries, L"HKCU", TargetOf(name)), nullptr);

    PostMessageW(list->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list->Handle()), -1);
    HWND menu = nullptr;
    ASSERT_TRUE(testenv::WaitUntil([&] { return (menu = ShownWindowOf(app.Pid(), L"#32768")) != nullptr; }))
        << "no popup menu";
    PostKey(menu, VK_DOWN);
    PostKey(menu, VK_RETURN);

    HWND dialog = nullptr;
    ASSERT_TRUE(testenv::WaitUntil([&] { return (dialog = ShownWindowOf(app.Pid(), L"#32770")) != nullptr; }))
        << "no save dialog";
    EXPECT_EQ(WindowText(dialog), L"파일 저장");
    HWND edit = GetDlgItem(dialog, edt1);
    if (!edit)
        edit = FindChild(GetDlgItem(dialog, cmb13), L"Edit", nullptr);
    ASSERT_NE(edit, nullptr) << "no file name box";
    const std::wstring path = folder + L"\\자동실행 목록.txt";
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    ClickButton(GetDlgItem(dialog, IDOK));
    ASSERT_TRUE(testenv::WaitUntil([&] { return !IsWindow(dialog); })) << "the dialog stayed";
    ASSERT_TRUE(testenv::WaitUntil([&] { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }));

    // Every entry of the sources, the hidden ones too, in source order.
    std::string expected = "\xEF\xBB\xBF";
    for (const TAutorunInfo& entry : entries)
        expected += Utf8(entry.From + L"|" + entry.Caption + L"|" + entry.Target) + "\r\n";
    std::string saved;
    testenv::WaitUntil([&] { return (saved = testenv::ReadFileBytes(path)).size() >= expected.size(); });
    EXPECT_EQ(saved, expected);
    std::set<std::string> lines;
    for (size_t at = 3, end = 0; (end = saved.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.insert(saved.substr(at, end - at));
    EXPECT_TRUE(lines.contains(Utf8(L"HKCU|" + name + L"|" + TargetOf(name))));
    EXPECT_TRUE(lines.contains(Utf8(L"HKCU|" + own + L"|" + TargetOf(own)))) << "hidden rows are saved too";
    EXPECT_TRUE(app.Running());
}

// The look-up address of a Run value named "Page 업데이트 <n>": source and
// name lower-cased and percent-encoded as UTF-8.
std::wstring LookUpAddress(const std::wstring& name)
{
    const std::wstring suffix = name.substr(std::wstring(L"Page 업데이트 ").size());
    return testenv::ServiceUrl() + L"/entry/hkcu/page%20%EC%97%85%EB%8D%B0%EC%9D%B4%ED%8A%B8%20" + Lower(suffix);
}

// Waits for the browser capture and gives what it caught.
std::vector<std::wstring> OpenedAddresses()
{
    if (!testenv::WaitUntil([] { return !testenv::BrowserLog().empty(); }))
        return {};
    Sleep(300);  // a second address would have come by now
    return testenv::BrowserLog();
}

TEST_F(AutorunPageExe, DoubleClickOnARowOpensItsLookUpAddress)
{
    const std::wstring name = AddProgramValue(L"Page 업데이트 ");
    ASSERT_NO_FATAL_FAILURE(OpenPage(name));
    const int row = list->FindRow(NameColumn, name);
    SendMessageW(list->Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    const RECT rect = list->RowRect(row);
    ASSERT_GT(rect.bottom, rect.top);
    const LPARAM at = MAKELPARAM(rect.left + 40, (rect.top + rect.bottom) / 2);
    PostMessageW(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list->Handle(), WM_LBUTTONUP, 0, at);
    PostMessageW(list->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(list->Handle(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(OpenedAddresses(), std::vector<std::wstring>{LookUpAddress(name)});
}

// Enter on a row looks it up as a double click does. The key is posted, so
// it comes through the message loop and the main window's dialog navigation
// (IsDialogMessage), which would take it unless the list asks for Enter.
TEST_F(AutorunPageExe, EnterOnARowOpensItsLookUpAddress)
{
    const std::wstring name = AddProgramValue(L"Page 업데이트 ");
    ASSERT_NO_FATAL_FAILURE(OpenPage(name));
    ASSERT_TRUE(list->SelectRow(list->FindRow(NameColumn, name)));
    PostKey(list->Handle(), VK_RETURN);
    EXPECT_EQ(OpenedAddresses(), std::vector<std::wstring>{LookUpAddress(name)});
}

// A run after a visit of the page reports every entry the page read, in
// order, after the processes. The run ends what it does not protect: it
// runs from a copy whose exclusion file names every process alive now.
TEST_F(AutorunPageExe, TheRunReportsThePagesEntries)
{
    const std::wstring name = AddProgramValue(L"PageReport");
    const std::wstring exe = folder + L"\\Tidora.exe";
    ASSERT_TRUE(CopyFileW((testenv::BinDir() + L"\\Tidora.exe").c_str(), exe.c_str(), FALSE));
    std::string exclusions = "// kept alive for the test run\r\n";
    for (const auto& process : LiveProcessNames())
        exclusions += Utf8(process) + "*\r\n";
    testenv::WriteFileBytes(folder + L"\\NoClean.txt", exclusions);

    ASSERT_NO_FATAL_FAILURE(OpenPage(name, exe));
    const TAutorunList entries = EntriesNow();
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
    const json records = json::parse(reports.begin().value().get<std::string>());
    ASSERT_TRUE(records.is_array());
    size_t first = 1;
    while (first < records.size() && records[first]["cate"] == "clean")
        ++first;
    EXPECT_GT(first, 1u) << "the processes come first";
    json starts = json::array();
    for (size_t i = first; i < records.size(); ++i)
        starts.push_back(records[i]);
    json expected = json::array();
    for (const TAutorunInfo& entry : entries)
        expected.push_back({{"cate", "start"}, {"item", Utf8(entry.Target)}, {"from", Utf8(entry.From)}});
    EXPECT_EQ(starts, expected);
    // The record as it is written: members in this order, backslashes escaped.
    std::string item = Utf8(TargetOf(name));
    for (size_t at = 0; (at = item.find('\\', at)) != std::string::npos; at += 2)
        item.insert(at, 1, '\\');
    EXPECT_NE(reports.begin().value().get<std::string>().find(R"({"cate":"start","item":")" + item +
                                                               R"(","from":"HKCU"})"),
              std::string::npos);
}

}  // namespace
