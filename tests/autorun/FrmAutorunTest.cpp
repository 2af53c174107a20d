// The autorun page in-process on a test form, against real Run values of
// the test prefix.
#include "AutorunTestSupport.h"
#include "FrmAutorun.h"
#include "ListLoaders.h"
#include "MorvaneStyle.h"
#include "TestForm.h"
#include "Text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace autoruntest;

namespace {

class FrmAutorunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterMorvaneStyle();
        LoadListResource(FileWhite, L"FILE_WHITE");
        LoadListResource(NameWhite, L"NAME_WHITE");
        LoadListResource(NameBlack, L"NAME_BLACK");
        Form = std::make_unique<TTestForm>();
        Form->SetClientSize(375, 444);
        Page = new TFrmAutorun(Form.get(), Form.get(), FileWhite, NameWhite, NameBlack);
        PumpMessages();
    }

    // A Run value of the current user, removed after the test.
    std::wstring AddRunValue(const std::wstring& prefix, const std::wstring& command)
    {
        const std::wstring name = UniqueName(prefix);
        SetText(HKEY_CURRENT_USER, RunKey, name, command);
        Cleanup.Value(HKEY_CURRENT_USER, RunKey, name);
        Cleanup.Value(HKEY_CURRENT_USER, ApprovedRun, name);
        return name;
    }
    static std::wstring TargetOf(const std::wstring& name) { return L"HKCU\\" + RunKey + L"\\" + name; }

    // The rows as the control shows them: program name and source.
    int RowOf(const std::wstring& target) const
    {
        for (int i = 0; i < Page->ListAutorun->RowCount(); ++i)
            if (Page->ListAutorun->RowAs<TAutorunItem>(i)->Target == target)
                return i;
        return -1;
    }
    std::wstring ShownText(int row, int column) const
    {
        wchar_t buffer[512] = L"";
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = 512;
        SendMessageW(Page->ListAutorun->Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    std::vector<std::wstring> Targets() const
    {
        std::vector<std::wstring> targets;
        for (int i = 0; i < Page->ListAutorun->RowCount(); ++i)
            targets.push_back(Page->ListAutorun->RowAs<TAutorunItem>(i)->Target);
        return targets;
    }
    BYTE ApprovalState(const std::wstring& name) const
    {
        DWORD type = 0;
        std::vector<BYTE> data;
        return ReadRaw(HKEY_CURRENT_USER, ApprovedRun, name, type, data) && !data.empty() ? data[0] : 0;
    }

    TNameList FileWhite, NameWhite, NameBlack;
    TCleanup Cleanup;
    std::unique_ptr<TTestForm> Form;
    TFrmAutorun* Page = nullptr;
};

TEST_F(FrmAutorunTest, ShowsRunValuesAndHidesWhatTheWhiteListNames)
{
    const std::wstring shown = AddRunValue(L"PageShown ", L"\"C:\\windows\\notepad.exe\" /x");
    const std::wstring own = AddRunValue(L"TidoraHelper", L"C:\\windows\\notepad.exe");
    SetText(HKEY_CURRENT_USER, RunKey, L"", L"C:\\windows\\notepad.exe");  // the key's default value
    Cleanup.Value(HKEY_CURRENT_USER, RunKey, L"");
    Page->LoadAutorun();

    const int row = RowOf(TargetOf(shown));
    ASSERT_GE(row, 0);
    EXPECT_EQ(ShownText(row, 1), L"HKCU");
    EXPECT_FALSE(ShownText(row, 0).empty());
    EXPECT_EQ(RowOf(TargetOf(own)), -1) << "the product's own prefix is white-listed";
    EXPECT_EQ(RowOf(TargetOf(L"")), -1) << "a value without a name gets no row";
    EXPECT_NE(Page->ListAutorun->RowAs<TAutorunItem>(row)->Icon, ImageMissingFile);

    // ... but every entry goes into the saved list.
    const std::string saved = TFrmAutorun::SavedListText(Page->ListAutoObj);
    EXPECT_NE(saved.find(WideToUtf8(L"HKCU||" + TargetOf(L"") + L"\r\n")), std::string::npos);
    EXPECT_NE(saved.find(WideToUtf8(L"HKCU|" + own + L"|" + TargetOf(own) + L"\r\n")), std::string::npos);
}

TEST_F(FrmAutorunTest, AProgramThatIsGoneShowsTheMissingFileImage)
{
    const std::wstring gone = AddRunValue(L"PageGone", L"\"C:\\Program Files\\Gone\\gone.exe\" -s");
    Page->LoadAutorun();
    const int row = RowOf(TargetOf(gone));
    ASSERT_GE(row, 0) << "leftovers of removed programs are what users look for";
    EXPECT_EQ(Page->ListAutorun->RowAs<TAutorunItem>(row)->Icon, ImageMissingFile);
    EXPECT_EQ(ShownText(row, 0), gone);
}

TEST_F(FrmAutorunTest, LoadsKeepRowsAddNewOnesAndDropVanishedOnes)
{
    const std::wstring first = AddRunValue(L"PageFirst", L"C:\\windows\\notepad.exe");
    Page->LoadAutorun();
    const std::vector<std::wstring> once = Targets();
    Page->LoadAutorun();
    EXPECT_EQ(Targets(), once) << "a second load changes nothing";

    const std::wstring second = AddRunValue(L"PageSecond", L"C:\\windows\\notepad.exe");
    Page->LoadAutorun();
    ASSERT_EQ(Targets().size(), once.size() + 1);
    EXPECT_EQ(Targets().back(), TargetOf(second)) << "new entries are appended";

    RemoveValue(HKEY_CURRENT_USER, RunKey, first);
    Page->LoadAutorun();
    EXPECT_EQ(RowOf(TargetOf(first)), -1);
    EXPECT_GE(RowOf(TargetOf(second)), 0);
}

TEST_F(FrmAutorunTest, TheButtonSwitchesTheSelectedEntryOffAndOn)
{
    const std::wstring name = AddRunValue(L"PageSwitch", L"C:\\windows\\notepad.exe");
    Page->LoadAutorun();
    const int row = RowOf(TargetOf(name));
    ASSERT_GE(row, 0);
    Page->ListAutorun->SelectRow(row);
    EXPECT_EQ(Page->BtnAutorun->Caption(), L"사용안함") << "the focused row sets the button";
    EXPECT_FALSE(Page->BtnAutorun->Down());

    Page->BtnAutorunClick(Page->BtnAutorun);
    EXPECT_EQ(ApprovalState(name), 3) << "switched off through the approval record";
    const int after = RowOf(TargetOf(name));
    ASSERT_GE(after, 0) << "the row stays, in grey";
    EXPECT_FALSE(Page->ListAutorun->RowAs<TAutorunItem>(after)->Enabled);
    EXPECT_EQ(Page->BtnAutorun->Caption(), L"사용함");
    EXPECT_TRUE(Page->BtnAutorun->Down());
    EXPECT_TRUE(Page->BtnAutorun->Enabled());

    Page->BtnAutorunClick(Page->BtnAutorun);
    EXPECT_EQ(ApprovalState(name), 2);
    EXPECT_TRUE(Page->ListAutorun->RowAs<TAutorunItem>(RowOf(TargetOf(name)))->Enabled);
    EXPECT_EQ(Page->BtnAutorun->Caption(), L"사용안함");
    EXPECT_FALSE(Page->BtnAutorun->Down());
}

TEST_F(FrmAutorunTest, SwitchedOffEntriesShowOnlyWithTheFullList)
{
    const std::wstring name = AddRunValue(L"PageOff", L"C:\\windows\\notepad.exe");
    SetBytes(HKEY_CURRENT_USER, ApprovedRun, name, MakeApproval(false));
    Page->LoadAutorun();
    EXPECT_EQ(RowOf(TargetOf(name)), -1);

    SendMessageW(Page->ChkAllList->Handle(), BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_TRUE(Page->ChkAllList->Checked());
    EXPECT_GE(RowOf(TargetOf(name)), 0) << "the full list shows it";

    SendMessageW(Page->ChkAllList->Handle(), BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_EQ(RowOf(TargetOf(name)), -1);

    // F5 reloads from scratch; other keys do nothing.
    SendMessageW(Page->ChkAllList->Handle(), BM_CLICK, 0, 0);
    PumpMessages();
    const int rows = Page->ListAutorun->RowCount();
    SetBytes(HKEY_CURRENT_USER, ApprovedRun, name, MakeApproval(false));
    Page->ListAutorunKeyDown(Page->ListAutorun, VK_F6);
    EXPECT_EQ(Page->ListAutorun->RowCount(), rows);
    Page->ChkAllList->SetChecked(false);
    Page->ListAutorunKeyDown(Page->ListAutorun, VK_F5);
    EXPECT_EQ(RowOf(TargetOf(name)), -1);
}

TEST_F(FrmAutorunTest, TheKeyboardMovesTheButtonWithTheFocus)
{
    const std::wstring on = AddRunValue(L"PageKeyA", L"C:\\windows\\notepad.exe");
    const std::wstring off = AddRunValue(L"PageKeyB", L"C:\\windows\\notepad.exe");
    SetBytes(HKEY_CURRENT_USER, ApprovedRun, off, MakeApproval(false));
    Page->ChkAllList->SetChecked(true);
    Page->LoadAutorun();
    const int onRow = RowOf(TargetOf(on));
    const int offRow = RowOf(TargetOf(off));
    ASSERT_GE(onRow, 0);
    ASSERT_EQ(offRow, onRow + 1);

    Page->ListAutorun->SelectRow(onRow);
    EXPECT_EQ(Page->BtnAutorun->Caption(), L"사용안함");
    SetFocus(Page->ListAutorun->Handle());
    SendMessageW(Page->ListAutorun->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    PumpMessages();
    EXPECT_EQ(Page->ListAutorun->FocusedRow(), offRow);
    EXPECT_EQ(Page->BtnAutorun->Caption(), L"사용함");
    EXPECT_TRUE(Page->BtnAutorun->Down());
}

TEST(FrmAutorunText, TheSavedListIsUtf8WithBomAndCrLfAfterEveryLine)
{
    TAutorunList entries(2);
    entries[0].From = L"HKLM";
    entries[0].Caption = L"SecurityHealth";
    entries[0].Target = L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\SecurityHealth";
    entries[1].From = L"FILE";
    entries[1].Caption = L"시작";
    entries[1].Target = L"C:\\시작.lnk";
    EXPECT_EQ(TFrmAutorun::SavedListText(entries),
              "\xEF\xBB\xBF"
              "HKLM|SecurityHealth|HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\SecurityHealth\r\n"
              "FILE|\xEC\x8B\x9C\xEC\x9E\x91|C:\\\xEC\x8B\x9C\xEC\x9E\x91.lnk\r\n");
    EXPECT_EQ(TFrmAutorun::SavedListText({}), "\xEF\xBB\xBF");
}

TEST(FrmAutorunText, LookUpAddressesArePercentEncodedPieces)
{
    struct TCase {
        const wchar_t* From;
        const wchar_t* Target;
        const wchar_t* Address;
    };
    const TCase cases[] = {
        {L"HKCU", L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater", L"S/entry/hkcu/updater"},
        {L"FILE", L"C:\\Users\\me\\Start Menu\\Programs\\Startup\\Tool.LNK", L"S/entry/file/tool.lnk"},
        {L"SERV", L"wuauserv", L"S/entry/serv/wuauserv"},
        {L"SCHE", L"\\Update-Task_1.0~x", L"S/entry/sche/update-task_1.0~x"},
        {L"HKLM", L"HKLM\\...\\Run\\My App #1?a=b&c", L"S/entry/hklm/my%20app%20%231%3Fa%3Db%26c"},
        {L"HKCU", L"HKCU\\...\\Run\\\"q\"/x", L"S/entry/hkcu/%22q%22%2Fx"},
        {L"HKCU", L"HKCU\\...\\Run\\업데이트", L"S/entry/hkcu/%EC%97%85%EB%8D%B0%EC%9D%B4%ED%8A%B8"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TFrmAutorun::EntryAddress(L"S", c.From, c.Target), c.Address) << c.Target;
}

}  // namespace
