// The install page in-process on a test form, against real uninstall keys
// of the test prefix and its real watches.
#include "AutorunTestSupport.h"
#include "FrmInstall.h"
#include "ListLoaders.h"
#include "MorvaneStyle.h"
#include "TestForm.h"
#include "WindowThread.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace autoruntest;

namespace {

const std::wstring UninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

class FrmInstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterMorvaneStyle();
        LoadListResource(NameBlack, L"NAME_BLACK");
        Form = std::make_unique<TTestForm>();
        Form->SetClientSize(375, 444);
        Page = new TFrmInstall(Form.get(), Form.get(), NameBlack);
        PumpMessages();
    }
    void TearDown() override
    {
        Form.reset();
        for (const std::wstring& key : Keys)
            RemoveKeyTree(HKEY_CURRENT_USER, key);
    }

    // A registration of the current user; `name` begins with a black-list
    // line when it is to be shown.
    std::wstring Register(const std::wstring& name, const std::wstring& publisher, const std::wstring& date,
                          const std::wstring& uninstall = L"C:\\windows\\notepad.exe")
    {
        const std::wstring key = UninstallKey + L"\\" + UniqueName(L"PageTest");
        SetText(HKEY_CURRENT_USER, key, L"DisplayName", name);
        SetText(HKEY_CURRENT_USER, key, L"Publisher", publisher);
        SetText(HKEY_CURRENT_USER, key, L"InstallDate", date);
        SetText(HKEY_CURRENT_USER, key, L"UninstallString", uninstall);
        Keys.push_back(key);
        return key;
    }

    std::vector<std::wstring> Shown(int column) const
    {
        std::vector<std::wstring> texts;
        for (int i = 0; i < Page->ListInstall->RowCount(); ++i)
            texts.push_back(Page->ListInstall->RowText(i, column));
        return texts;
    }
    int RowOf(const std::wstring& name) const
    {
        const auto names = Shown(0);
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == name)
                return static_cast<int>(i);
        return -1;
    }

    TNameList NameBlack;
    std::vector<std::wstring> Keys;
    std::unique_ptr<TTestForm> Form;
    TFrmInstall* Page = nullptr;
};

TEST_F(FrmInstallTest, ListsOnlyBlackListedProgramsOncePerName)
{
    const std::wstring suffix = UniqueName(L" ");
    Register(L"AnySign4PC" + suffix, L"Old Publisher", L"20190101");
    Register(L"AnySign4PC" + suffix, L"New Publisher", L"20240101");
    Register(L"anysign4pc" + suffix, L"Other Case", L"20230101");
    Register(L"IPinside LWS Agent" + suffix, L"", L"20200101", L"C:\\no\\such\\uninstall.exe");
    Register(L"Ordinary Editor" + suffix, L"Someone", L"20250101");
    Page->LoadInstall();

    EXPECT_EQ(RowOf(L"Ordinary Editor" + suffix), -1) << "not on the black list";
    EXPECT_EQ(RowOf(L"anysign4pc" + suffix), -1) << "a name differing in case only is the same program";
    const int newest = RowOf(L"AnySign4PC" + suffix);
    ASSERT_GE(newest, 0);
    EXPECT_EQ(Shown(1)[static_cast<size_t>(newest)], L"New Publisher") << "the newest record of a name wins";
    const int nameless = RowOf(L"IPinside LWS Agent" + suffix);
    ASSERT_GE(nameless, 0);
    EXPECT_EQ(Shown(1)[static_cast<size_t>(nameless)], L"알수없음");
    EXPECT_LT(newest, nameless) << "newest install first";
    EXPECT_EQ(Page->ListInstall->RowAs<TInstallItem>(nameless)->Icon, 0) << "no usable icon: image 0";
    EXPECT_GT(Page->ListInstall->RowAs<TInstallItem>(newest)->Icon, 3) << "the uninstaller's own icon";
}

TEST_F(FrmInstallTest, ARowGoesByItselfWhenItsRegistrationIsRemoved)
{
    const std::wstring name = L"AnySign4PC" + UniqueName(L" Gone ");
    const std::wstring key = Register(name, L"Maker", L"20240101");
    Page->LoadInstall();
    ASSERT_GE(RowOf(name), 0);

    RemoveKeyTree(HKEY_CURRENT_USER, key);
    EXPECT_TRUE(PumpUntil([&] { return RowOf(name) < 0; }, 5000)) << "the watch reloads the page";
}

// The uninstaller here is reg.exe removing the program's own registration,
// as a real uninstaller does last: the row goes once it has run.
TEST_F(FrmInstallTest, TheButtonStartsTheSelectedRowsUninstaller)
{
    const std::wstring name = L"AnySign4PC" + UniqueName(L" Removed ");
    std::wstring key = UninstallKey + L"\\" + UniqueName(L"PageRemove");
    const std::wstring command =
        L"C:\\windows\\system32\\reg.exe delete \"HKCU\\" + key + L"\" /f";
    SetText(HKEY_CURRENT_USER, key, L"DisplayName", name);
    SetText(HKEY_CURRENT_USER, key, L"InstallDate", L"20240101");
    SetText(HKEY_CURRENT_USER, key, L"UninstallString", command);
    Keys.push_back(key);
    Page->LoadInstall();
    const int row = RowOf(name);
    ASSERT_GE(row, 0);

    Page->ListInstall->SelectRow(row);
    SendMessageW(Page->BtnInstall->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(Page->BtnInstall->Enabled());
    EXPECT_TRUE(PumpUntil([&] { return !KeyExists(HKEY_CURRENT_USER, key); }, 10000)) << "the uninstaller ran";
    EXPECT_TRUE(PumpUntil([&] { return RowOf(name) < 0; }, 5000)) << "and its row went by itself";
}

TEST_F(FrmInstallTest, ClosingThePageStopsItsWatchesAtOnce)
{
    ASSERT_EQ(Page->ListInstThd.size(), 4u);
    const DWORD start = GetTickCount();
    Form.reset();
    EXPECT_LT(GetTickCount() - start, 1000u) << "the watches wait for a change or a stop, nothing else";

    // A change after the page has gone reaches nobody.
    Register(L"AnySign4PC" + UniqueName(L" Late "), L"Maker", L"20240101");
    PumpFor(300);
}

}  // namespace
